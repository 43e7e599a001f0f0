#pragma once

#include <memory>

class QProgressDialog;
class QWidget;

// Progress of a print job of many pages, with a way for the user to cancel it.
class PrintProgress {
public:
    virtual ~PrintProgress() = default;

    // A job of pageCount pages begins.
    virtual void Start(int pageCount) = 0;

    // pagesDone pages are composed. Returns false when the user has cancelled the job.
    virtual bool Advance(int pagesDone) = 0;

    // The composed job is being handed to the printer, which can take long (a large job, a slow
    // or unreachable print server). Called over and over on the interface thread until the
    // hand-over ends: handles the application's events, waiting for the next one, and returns
    // false once the user has cancelled. By default it handles every event but the user's input
    // and never cancels.
    virtual bool WaitSending();

    // The job is over, whatever its outcome; any dialog closes.
    virtual void Finish() = 0;
};

// An application-modal progress dialog with a Cancel button (Esc cancels too). It appears only
// when the job is expected to take longer than about a second, and while it is shown the
// application keeps handling its events, with input to all other windows blocked. While the job
// is handed to the printer it says "Sending to the printer ..." and keeps its Cancel; it appears
// then once the hand-over has taken about a second.
class PrintProgressDialog : public PrintProgress {
public:
    explicit PrintProgressDialog(QWidget* parent = nullptr, int minimumDurationMs = 1000);
    ~PrintProgressDialog() override;

    void Start(int pageCount) override;
    bool Advance(int pagesDone) override;
    bool WaitSending() override;
    void Finish() override;

    // The dialog itself, for tests; null outside Start() ... Finish().
    QProgressDialog* Dialog() const { return m_dialog.get(); }

private:
    QWidget* m_parent;
    int m_minimumDurationMs;
    std::unique_ptr<QProgressDialog> m_dialog;
    bool m_sending = false;
};
