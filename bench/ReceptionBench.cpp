// Pushes 50000 frames through the real reception handler of the shown main window (offscreen) and
// prints, at about 0, 10000 and 50000 stored readings, the median and 99th percentile time per
// frame: the handler alone (elapsed, and the processor time of its thread, which other programs on
// a busy machine do not inflate), and the handler plus the repaints it causes; then the total and
// the process's peak memory; then how long a start takes to restore 50000 readings from a recovery
// log.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_reception [--graph] [--traverse] [--no-recovery]
//
// --graph also keeps the graph window open, which the handler then repaints on every frame.
// --traverse keeps the traverse window open with a take running that hears every frame (its
// clock stands still, so the take never ends). Without it the traverse window stays closed.
// The recovery log is on (in a temporary folder) unless --no-recovery is given.
//
// The windows repaint at most once every 40 ms (PaceScreenUpdates): frames pushed back to back as
// here mostly cause no paint of their own. bench/x-reception measures the program at a steady
// rate under a real X server.

#include "graph/GraphWindowHost.h"
#include "link/LinkController.h"
#include "link/LinuxPortPlatform.h"
#include "link/MeterFrame.h"
#include "link/SerialPort.h"
#include "recovery/RecoveryLog.h"
#include "recovery/RecoveryLogFile.h"
#include "recovery/RecoveryLogFormat.h"
#include "seams/MessageBoxes.h"
#include "seams/SaveDialog.h"
#include "shell/MainForm.h"
#include "state/GVarMod.h"
#include "traverse/TraverseClock.h"
#include "traverse/TraverseWindowHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <vector>

namespace {

// A port whose waiting bytes are whatever the benchmark feeds it.
class FedSerialPort : public SerialPort {
public:
    QByteArray waiting;
    QString name;
    bool open = true;
    int threshold = kFrameLength;

    QString CommPort() const override { return name; }
    void SetCommPort(const QString& n) override { name = n; }
    bool PortOpen() const override { return open; }
    bool Open(QString* = nullptr) override { return open = true; }
    void Close() override {
        open = false;
        waiting.clear();
    }
    int RThreshold() const override { return threshold; }
    void SetRThreshold(int t) override { threshold = t; }
    int InBufferCount() override { return int(waiting.size()); }
    void DiscardInput() override { waiting.clear(); }
    QByteArray Input() override { return std::exchange(waiting, {}); }
    QByteArray TakeInput(int count) override {
        const QByteArray taken = waiting.left(count);
        waiting.remove(0, count);
        return taken;
    }
    int CommEvent() const override { return kCommEventReceive; }
};

// No to every question but the one that offers readings back.
class AnswerNo : public MessageBoxes {
public:
    bool Question(const QString& text) override {
        return text.startsWith(QStringView(kRestoreQuestion).first(20));
    }
    void Message(const QString& text) override { std::printf("message: %s\n", qPrintable(text)); }
};

class CancelDialog : public SaveDialog {
protected:
    QString Show(const Request&) override { return {}; }
};

// A take clock that stands still.
class StoppedClock : public TraverseClock {
public:
    qint64 NowMs() const override { return 0; }
    void StartTicking() override {}
    void StopTicking() override {}
};

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

struct Stats {
    double median = 0;
    double p99 = 0;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const auto at = [&](double q) {
        return v[std::min(v.size() - 1, std::size_t(std::ceil(q * double(v.size())) - 1))];
    };
    return {at(0.5), at(0.99)};
}

QByteArray frameBytes(int i) {
    MeterFrameFields f;
    f.temperatureMagnitude = std::uint16_t(200 + i % 50);
    f.humidityTenths = std::uint16_t(400 + i % 90);
    f.valueMagnitude = std::uint16_t(300 + (i * 37) % 2000); // 3.00 ... 22.99 m/s
    f.decimalCode = 3;
    const MeterFrame frame = EncodeFrame(f);
    return QByteArray(reinterpret_cast<const char*>(frame.data()), kFrameLength);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool withGraph = app.arguments().contains(QStringLiteral("--graph"));
    const bool withTraverse = app.arguments().contains(QStringLiteral("--traverse"));
    const bool withLog = !app.arguments().contains(QStringLiteral("--no-recovery"));

    QTemporaryDir noDevices;
    QTemporaryDir logFolder;
    LinuxPortPlatform platform(noDevices.path(), noDevices.path());
    FedSerialPort port;
    AnswerNo messages;
    CancelDialog dialog1;
    CancelDialog dialog2;
    GVarMod state;
    StoppedClock takeClock;
    MainParts parts{state, port, platform, messages, dialog1, dialog2, {}};
    parts.traverseDialog = &dialog1;
    parts.traverseClock = &takeClock;
    if (withLog)
        parts.recoveryFolder = logFolder.path();
    MainForm form(std::move(parts));
    form.show();
    form.MDIForm_Load();
    // The link in step with the meter, as its first quiet flush tick leaves it: frames are taken.
    form.link().Timer1_Timer();
    if (withGraph)
        form.graphHost().OpenGraph();
    if (withTraverse)
        form.traverseHost().Open()->Take();
    QApplication::processEvents();

    constexpr int kFrames = 50000;
    std::vector<QByteArray> frames;
    frames.reserve(kFrames);
    for (int i = 0; i < kFrames; ++i)
        frames.push_back(frameBytes(i));

    const double memoryBefore = peakMegabytes();
    std::vector<double> handler(kFrames);
    std::vector<double> withRepaints(kFrames);
    std::vector<double> handlerCpu(kFrames);
    QElapsedTimer total;
    total.start();
    QElapsedTimer clock;
    for (int i = 0; i < kFrames; ++i) {
        port.waiting = frames[std::size_t(i)];
        const double cpu = threadCpuMs();
        clock.start();
        form.MSComm1_OnComm();
        handler[std::size_t(i)] = double(clock.nsecsElapsed()) / 1e6;
        handlerCpu[std::size_t(i)] = threadCpuMs() - cpu;
        QApplication::processEvents();
        withRepaints[std::size_t(i)] = double(clock.nsecsElapsed()) / 1e6;
    }
    const double seconds = double(total.nsecsElapsed()) / 1e9;
    const double memoryAfter = peakMegabytes();

    std::printf("reception of %d frames, live display%s%s shown (offscreen), recovery log %s\n",
                kFrames, withGraph ? " and graph window" : "",
                withTraverse ? " and traverse window taking" : "",
                withLog ? qPrintable("on in " + logFolder.path()) : "off");
    std::printf("%-10s %-24s %-24s %-24s\n", "stored", "handler p50 / p99 ms",
                "handler cpu p50 / p99", "with repaints p50 / p99");
    // The frame storing reading 50000 asks to save and empties the table: it is left out.
    const struct {
        const char* name;
        int from;
        int to;
    } windows[] = {{"0", 0, 1000}, {"10000", 10000, 11000}, {"50000", kFrames - 1001, kFrames - 1}};
    for (const auto& w : windows) {
        const std::vector<double> h(handler.begin() + w.from, handler.begin() + w.to);
        const std::vector<double> r(withRepaints.begin() + w.from, withRepaints.begin() + w.to);
        const std::vector<double> c(handlerCpu.begin() + w.from, handlerCpu.begin() + w.to);
        const Stats a = stats(h);
        const Stats cs = stats(c);
        const Stats b = stats(r);
        std::printf("%-10s %7.3f / %7.3f        %7.3f / %7.3f        %7.3f / %7.3f\n", w.name,
                    a.median, a.p99, cs.median, cs.p99, b.median, b.p99);
    }
    std::printf("total %.2f s (%.3f ms a frame with repaints)\n", seconds, seconds * 1e3 / kFrames);
    std::printf("peak memory %.1f MB before, %.1f MB after: %.1f MB for %d readings\n",
                memoryBefore, memoryAfter, memoryAfter - memoryBefore, kFrames);
    std::printf("readings stored at the end: %d (the table was emptied at 50000)\n",
                state.ReadingCount);
    if (!withLog)
        return 0;

    // A log of 50000 readings left by a run that did not end normally, restored at a start.
    QTemporaryDir earlier;
    {
        RecoveryLogFile log;
        QString reason;
        if (!log.Create(earlier.path(), &reason)) {
            std::printf("no log: %s\n", qPrintable(reason));
            return 1;
        }
        for (int n = 1; n <= kReadingLimit; ++n) {
            LoggedReading e{state.Readings(n), QStringLiteral("VEL"), QDateTime::currentDateTime()};
            e.reading.No = n;
            log.Append(RecoveryLogEntry(e), &reason);
        }
    } // left behind, as a killed program leaves it
    GVarMod restored;
    FedSerialPort port2;
    MainParts parts2{restored, port2, platform, messages, dialog1, dialog2, {}};
    parts2.recoveryFolder = earlier.path();
    MainForm form2(std::move(parts2));
    form2.show();
    QApplication::processEvents();
    total.start();
    form2.MDIForm_Load(); // asks, restores, then asks to save the full table (No)
    std::printf("restore of %d readings at a start: %.2f s; readings stored after the save "
                "question: %d\n",
                kReadingLimit, double(total.nsecsElapsed()) / 1e9, restored.ReadingCount);
    return 0;
}
