// Prints the data report of a full table (or of the count given as the first argument) to a PDF
// file and prints the time taken, the page count and the peak memory of the process. With
// --default-printer it prints to the default printer of CUPS instead (CUPS_SERVER chooses the
// server) and also prints how long the hand-over took and how long the window went without
// handling its events meanwhile.
#include "reports/PrintProgress.h"
#include "reports/PrintReports.h"
#include "reports/PrintTarget.h"
#include "seams/MessageBoxes.h"
#include "state/GVarMod.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

#include <cstdio>
#include <sys/resource.h>

namespace {

class PrintedBoxes : public MessageBoxes {
public:
    bool Question(const QString&) override { return false; }
    void Message(const QString& text) override { std::printf("message: %s\n", qPrintable(text)); }
};

class NoProgress : public PrintProgress {
public:
    void Start(int) override {}
    bool Advance(int) override { return true; }
    bool WaitSending() override {
        if (!m_sending.isValid())
            m_sending.start();
        PrintProgress::WaitSending();
        m_longestWithoutEvents = std::max(
            m_longestWithoutEvents, m_sinceLastEvents.isValid() ? m_sinceLastEvents.elapsed() : 0);
        m_sinceLastEvents.start();
        return true;
    }
    void Finish() override {
        if (m_sending.isValid())
            m_sendingMs = m_sending.elapsed();
    }
    qint64 SendingMs() const { return m_sendingMs; }
    qint64 LongestWithoutEventsMs() const { return m_longestWithoutEvents; }

private:
    QElapsedTimer m_sending;
    QElapsedTimer m_sinceLastEvents;
    qint64 m_sendingMs = -1;
    qint64 m_longestWithoutEvents = 0;
};

long peakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool toPrinter = args.removeAll(QStringLiteral("--default-printer")) > 0;
    const int count = args.isEmpty() ? kReadingLimit : args.first().toInt();

    GVarMod state;
    for (int i = 0; i < count; ++i) {
        Reading& r = state.AppendRecord();
        r.TRH = QString::fromUtf8("DP 23.5°C 45.6%");
        r.Value = 12.34 + i % 100;
        r.Data = QString::number(r.Value);
        r.Unit = QStringLiteral("m/s");
        r.Time = QStringLiteral("06.05.14\\10:11:12");
    }
    const long before = peakKib();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    PdfFileTarget file(path);
    NoProgress progress;
    PrintedBoxes boxes;
    QTimer tick; // an event every 10 ms, which the window handles when it is responsive
    tick.start(10);
    QElapsedTimer timer;
    timer.start();
    const PrintOutcome outcome =
        PrintDataReport(state, boxes, {toPrinter ? nullptr : &file, &progress, nullptr});
    const qint64 ms = timer.elapsed();
    if (toPrinter) {
        std::printf("hand-over: %.2f s, longest time without handling events meanwhile: %lld ms\n",
                    progress.SendingMs() / 1000.0, progress.LongestWithoutEventsMs());
    }

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished();
    const QString pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                              .match(QString::fromUtf8(info.readAllStandardOutput()))
                              .captured(1);

    std::printf("readings: %d\n", count);
    std::printf("outcome: %s\n", outcome == PrintOutcome::Printed ? "printed" : "not printed");
    std::printf("pages: %s\n", toPrinter ? "(on the printer)" : qPrintable(pages));
    std::printf("pdf size: %lld KiB\n", QFileInfo(path).size() / 1024);
    std::printf("time: %.2f s (%.2f ms per page)\n", ms / 1000.0,
                pages.toInt() > 0 ? double(ms) / pages.toInt() : 0.0);
    std::printf("peak memory: %ld KiB before printing, %ld KiB after (+%ld KiB)\n", before,
                peakKib(), peakKib() - before);
    return outcome == PrintOutcome::Printed ? 0 : 1;
}
