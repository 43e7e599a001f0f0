#pragma once

#include "recording/RecordingForm.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <vector>

class OpenDialog;

// Opens recordings: reads each file on a thread of its own, shows a progress dialog with Cancel
// when reading takes longer than a second, then opens a recording window, or says why the file
// could not be read (and still shows the readings before a bad line). Any number of windows can
// be open at once; they close with the program.
class RecordingWindows : public QObject {
    Q_OBJECT
public:
    struct Seams {
        MessageBoxes& messages;
        OpenDialog* openDialog = nullptr; // null: the real file dialog
        SaveDialog* saveDialog = nullptr; // null: each window's own
        PrintSetup print;
    };
    explicit RecordingWindows(Seams seams);
    ~RecordingWindows() override; // cancels what is being read and waits for it

    // Asks for files and opens them.
    void AskAndOpen(QWidget* over);
    // Starts reading each file.
    void Open(const QStringList& paths, QWidget* over = nullptr);

    // The windows open now.
    std::vector<RecordingForm*> Windows() const;
    // Files being read.
    int Reading() const { return int(m_jobs.size()); }

signals:
    // A file was read (opened is the window, or null when nothing could be shown).
    void Done(const QString& path, RecordingForm* opened);

private:
    struct Job;
    void finished(Job* job);

    Seams m_seams;
    std::unique_ptr<OpenDialog> m_ownOpenDialog;
    std::vector<std::unique_ptr<Job>> m_jobs;
    std::vector<QPointer<RecordingForm>> m_windows;
};
