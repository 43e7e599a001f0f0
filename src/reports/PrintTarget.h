#pragma once

#include <QString>

#include <atomic>

class PrintSystem;
class QPrinter;

// Where a print job goes. A job is composed into a spool file first and handed over only when it
// is complete, so a failed or cancelled job never reaches paper or leaves a partial file.
class PrintTarget {
public:
    virtual ~PrintTarget() = default;

    // The folder for the spool file of a job.
    virtual QString SpoolDirectory() const = 0;

    // Points printer at this target and writes its output to spoolPath. Returns false with the
    // reason when there is nothing to print on.
    virtual bool Prepare(QPrinter& printer, const QString& spoolPath, QString& reason) = 0;

    // Hands the complete document in spoolPath over. Returns false with the reason when it was
    // not accepted, or when the delivery was cancelled (DeliveryCancel()) before it was
    // complete. The spool file may be moved; whatever is left there is removed afterwards.
    //
    // Runs off the interface thread while the interface waits: it may read printer, not change
    // it, and touches nothing else of the program.
    virtual bool Deliver(const QPrinter& printer, const QString& spoolPath, const QString& title,
                         QString& reason) = 0;

    // False where the printer's own engine prints the document directly and submits it when the
    // document ends (a platform without a print system library): there is no spool file then,
    // and Deliver() is not called.
    virtual bool UsesSpoolFile() const { return true; }

    // Asks a delivery in progress to stop, from any thread; the renderer clears it before each
    // delivery.
    void SetDeliveryCancelled(bool cancelled) { m_deliveryCancel.store(cancelled ? 1 : 0); }

protected:
    // Non-zero once the delivery in progress has been cancelled.
    const std::atomic<int>& DeliveryCancel() const { return m_deliveryCancel; }

private:
    std::atomic<int> m_deliveryCancel{0};
};

// The system's default printer, without a dialog. Failing when no default printer is set up or it
// is unusable. The finished job is handed to the print system.
class DefaultPrinterTarget : public PrintTarget {
public:
    DefaultPrinterTarget(); // the system's print service
    explicit DefaultPrinterTarget(PrintSystem& system);

    QString SpoolDirectory() const override;
    bool Prepare(QPrinter& printer, const QString& spoolPath, QString& reason) override;
    bool Deliver(const QPrinter& printer, const QString& spoolPath, const QString& title,
                 QString& reason) override;
    bool UsesSpoolFile() const override;

private:
    PrintSystem& m_system;
};

// A PDF file, as the default printer would print it. The file is replaced only by a complete
// document; a failed or cancelled job leaves an existing file as it was.
class PdfFileTarget : public PrintTarget {
public:
    explicit PdfFileTarget(QString path);
    const QString& Path() const { return m_path; }

    QString SpoolDirectory() const override;
    bool Prepare(QPrinter& printer, const QString& spoolPath, QString& reason) override;
    bool Deliver(const QPrinter& printer, const QString& spoolPath, const QString& title,
                 QString& reason) override;

private:
    QString m_path;
};
