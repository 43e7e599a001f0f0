#pragma once

#include <QString>

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
    // not accepted. The spool file may be moved; whatever is left there is removed afterwards.
    virtual bool Deliver(const QPrinter& printer, const QString& spoolPath, const QString& title,
                         QString& reason) = 0;
};

// The system's default printer, without a dialog. Failing when no default printer is set up or it
// is unusable. The finished job is submitted to the print system.
class DefaultPrinterTarget : public PrintTarget {
public:
    QString SpoolDirectory() const override;
    bool Prepare(QPrinter& printer, const QString& spoolPath, QString& reason) override;
    bool Deliver(const QPrinter& printer, const QString& spoolPath, const QString& title,
                 QString& reason) override;
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
