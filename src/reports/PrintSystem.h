#pragma once

#include <QString>

#include <atomic>

class QPrinter;

// A finished document on its way to a printer of the system's print service.
struct PrintSubmission {
    QString printer;      // the printer as the print support names it ("queue" or "queue/instance")
    QString documentPath; // a complete PDF document
    QString title;        // the job's name in the printer's queue
    QString media;        // the paper's key, such as "A4"
    bool landscape = false;
};

// The system's print service: which printer is the default, and how a finished job reaches it.
class PrintSystem {
public:
    virtual ~PrintSystem() = default;

    // Points printer at the system's default printer. Where the service takes finished documents
    // (UsesSpoolFile()), the printer writes the job to spoolPath; otherwise the printer's own
    // engine submits the job when the document ends. False with the reason when no usable default
    // printer is set up.
    virtual bool PrepareDefault(QPrinter& printer, const QString& spoolPath, QString& reason) = 0;

    virtual bool UsesSpoolFile() const { return true; }

    // Hands a complete document over. Runs off the interface thread and may block for as long as
    // a slow print server takes. Once cancel turns non-zero it returns as soon as it can and
    // withdraws whatever part of the job has reached the server. True only when the whole
    // document was accepted; otherwise false with the reason.
    virtual bool Submit(const PrintSubmission& job, const std::atomic<int>& cancel,
                        QString& reason) = 0;
};

// The print service of this platform: CUPS where the program is built with it, otherwise the
// printer engine of the print support, which prints without a spool file of its own.
PrintSystem& SystemPrintService();

// Points printer at the default printer of the print support, in the printer's own output
// format. False with the reason when there is none or it cannot be used.
bool UseDefaultPrinter(QPrinter& printer, QString& reason);
