// The print service through CUPS: the job is composed into a spool file and sent to the printer's
// queue over IPP only when it is complete, so a cancelled or failed job never prints half.
#include "reports/PrintSystem.h"

#include <QFile>
#include <QPrinter>

#include <cups/cups.h>

#include <array>

namespace {

// While waiting for the server, the wait is cut into slices; after each silent slice the
// hand-over looks whether the user cancelled and whether the server has been silent too long.
constexpr double kWaitSliceSeconds = 0.25;
constexpr int kSilentSlicesAllowed = 240; // one minute without a word from the server
constexpr int kConnectTimeoutMs = 30000;
constexpr int kWithdrawTimeoutMs = 5000;
constexpr qint64 kChunkBytes = 64 * 1024;

struct Waiting {
    const std::atomic<int>* cancel = nullptr;
    int silentSlices = 0;
};

int keepWaiting(http_t*, void* data) {
    auto* waiting = static_cast<Waiting*>(data);
    if (waiting->cancel->load() != 0)
        return 0;
    return ++waiting->silentSlices < kSilentSlicesAllowed ? 1 : 0;
}

// A print server that wants a password refuses the job instead of asking on a terminal.
const char* noPassword(const char*, http_t*, const char*, const char*, void*) {
    return nullptr;
}

// The server's answers 0x0000 to 0x00ff say yes, some with a remark (an option it substituted).
bool accepted(ipp_status_t status) {
    return status < IPP_STATUS_REDIRECTION_OTHER_SITE;
}

QString lastError() {
    return QString::fromUtf8(cupsLastErrorString());
}

class Connection {
public:
    Connection(int timeoutMs, const std::atomic<int>* cancel) {
        // httpConnect2 looks at the cancel flag between its attempts; it only reads it.
        static_assert(sizeof(std::atomic<int>) == sizeof(int) &&
                      std::atomic<int>::is_always_lock_free);
        int* flag = cancel ? const_cast<int*>(reinterpret_cast<const int*>(cancel)) : nullptr;
        m_http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              timeoutMs, flag);
    }
    ~Connection() {
        if (m_http)
            httpClose(m_http);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    http_t* get() const { return m_http; }

private:
    http_t* m_http = nullptr;
};

class CupsPrintSystem : public PrintSystem {
public:
    bool PrepareDefault(QPrinter& printer, const QString& spoolPath, QString& reason) override {
        if (!UseDefaultPrinter(printer, reason))
            return false;
        // The printer's engine writes the job to the spool file instead of submitting it at the
        // end of the document, so that a cancelled job can still be thrown away.
        printer.setOutputFileName(spoolPath);
        if (printer.outputFormat() != QPrinter::NativeFormat) {
            reason = QStringLiteral("the printer %1 cannot be used").arg(printer.printerName());
            return false;
        }
        return true;
    }

    bool Submit(const PrintSubmission& job, const std::atomic<int>& cancel,
                QString& reason) override {
        cupsSetPasswordCB2(noPassword, nullptr); // for this thread
        QFile document(job.documentPath);
        if (!document.open(QIODevice::ReadOnly)) {
            reason = document.errorString();
            return false;
        }
        Connection http(kConnectTimeoutMs, &cancel);
        if (!http.get()) {
            reason = cancel.load() ? QStringLiteral("cancelled")
                                   : QStringLiteral("the print server %1 cannot be reached")
                                         .arg(QString::fromUtf8(cupsServer()));
            return false;
        }
        Waiting waiting;
        waiting.cancel = &cancel;
        httpSetTimeout(http.get(), kWaitSliceSeconds, keepWaiting, &waiting);

        // A printer instance is named "queue/instance"; jobs go to the queue itself.
        const QByteArray queue = job.printer.section(u'/', 0, 0).toUtf8();
        const QByteArray title = job.title.toUtf8();
        cups_option_t* options = nullptr;
        int optionCount = cupsAddOption("media", job.media.toUtf8().constData(), 0, &options);
        if (job.landscape)
            optionCount = cupsAddOption("landscape", "", optionCount, &options);
        const int id =
            cupsCreateJob(http.get(), queue.constData(), title.constData(), optionCount, options);
        cupsFreeOptions(optionCount, options);
        if (id == 0) {
            reason = lastError();
            return false;
        }

        bool sent = cupsStartDocument(http.get(), queue.constData(), id, title.constData(),
                                      CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
        std::array<char, kChunkBytes> chunk{};
        while (sent && cancel.load() == 0) {
            const qint64 n = document.read(chunk.data(), kChunkBytes);
            if (n < 0) {
                reason = document.errorString();
                sent = false;
            } else if (n == 0) {
                break;
            } else {
                waiting.silentSlices = 0;
                sent = cupsWriteRequestData(http.get(), chunk.data(), static_cast<size_t>(n)) ==
                       HTTP_STATUS_CONTINUE;
            }
        }
        // Nothing is committed before the last chunk has gone and the server has said yes.
        if (sent && cancel.load() == 0 &&
            accepted(cupsFinishDocument(http.get(), queue.constData())))
            return true;
        if (reason.isEmpty())
            reason = cancel.load() ? QStringLiteral("cancelled") : lastError();
        withdraw(queue, id);
        return false;
    }

private:
    // The connection of the job may be in the middle of a request: a new one cancels it. A job
    // whose document never arrived completely is never printed, even where this fails.
    static void withdraw(const QByteArray& queue, int id) {
        Connection http(kWithdrawTimeoutMs, nullptr);
        if (http.get())
            cupsCancelJob2(http.get(), queue.constData(), id, 0);
    }
};

} // namespace

PrintSystem& SystemPrintService() {
    static CupsPrintSystem service;
    return service;
}
