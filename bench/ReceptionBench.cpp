// Pushes 50000 frames through the real reception handler of the shown main window (offscreen) and
// prints, at about 0, 10000 and 50000 stored readings, the median and 99th percentile time per
// frame: the handler alone, and the handler plus the repaints it causes; then the total and the
// process's peak memory.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_reception [--graph]
//
// --graph also keeps the graph window open, which the handler then repaints on every frame.
//
// The windows repaint at most once every 40 ms (PaceScreenUpdates): frames pushed back to back as
// here mostly cause no paint of their own. bench/x-reception measures the program at a steady
// rate under a real X server.

#include "graph/GraphWindowHost.h"
#include "link/LinuxPortPlatform.h"
#include "link/MeterFrame.h"
#include "link/SerialPort.h"
#include "shell/MainForm.h"
#include "state/GVarMod.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SaveDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

class AnswerNo : public MessageBoxes {
public:
    bool Question(const QString&) override { return false; }
    void Message(const QString&) override {}
};

class CancelDialog : public SaveDialog {
protected:
    QString Show(const Request&) override { return {}; }
};

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

    QTemporaryDir noDevices;
    LinuxPortPlatform platform(noDevices.path(), noDevices.path());
    FedSerialPort port;
    AnswerNo messages;
    CancelDialog dialog1;
    CancelDialog dialog2;
    GVarMod state;
    MainForm form(MainParts{state, port, platform, messages, dialog1, dialog2, {}});
    form.show();
    form.MDIForm_Load();
    if (withGraph)
        form.graphHost().OpenGraph();
    QApplication::processEvents();

    constexpr int kFrames = 50000;
    std::vector<QByteArray> frames;
    frames.reserve(kFrames);
    for (int i = 0; i < kFrames; ++i)
        frames.push_back(frameBytes(i));

    const double memoryBefore = peakMegabytes();
    std::vector<double> handler(kFrames);
    std::vector<double> withRepaints(kFrames);
    QElapsedTimer total;
    total.start();
    QElapsedTimer clock;
    for (int i = 0; i < kFrames; ++i) {
        port.waiting = frames[std::size_t(i)];
        clock.start();
        form.MSComm1_OnComm();
        handler[std::size_t(i)] = double(clock.nsecsElapsed()) / 1e6;
        QApplication::processEvents();
        withRepaints[std::size_t(i)] = double(clock.nsecsElapsed()) / 1e6;
    }
    const double seconds = double(total.nsecsElapsed()) / 1e9;
    const double memoryAfter = peakMegabytes();

    std::printf("reception of %d frames, live display%s shown (offscreen)\n", kFrames,
                withGraph ? " and graph window" : "");
    std::printf("%-10s %-24s %-24s\n", "stored", "handler p50 / p99 ms", "with repaints p50 / p99");
    // The frame storing reading 50000 asks to save and empties the table: it is left out.
    const struct {
        const char* name;
        int from;
        int to;
    } windows[] = {{"0", 0, 1000}, {"10000", 10000, 11000}, {"50000", kFrames - 1001, kFrames - 1}};
    for (const auto& w : windows) {
        const std::vector<double> h(handler.begin() + w.from, handler.begin() + w.to);
        const std::vector<double> r(withRepaints.begin() + w.from, withRepaints.begin() + w.to);
        const Stats a = stats(h);
        const Stats b = stats(r);
        std::printf("%-10s %7.3f / %7.3f          %7.3f / %7.3f\n", w.name, a.median, a.p99,
                    b.median, b.p99);
    }
    std::printf("total %.2f s (%.3f ms a frame with repaints)\n", seconds, seconds * 1e3 / kFrames);
    std::printf("peak memory %.1f MB before, %.1f MB after: %.1f MB for %d readings\n",
                memoryBefore, memoryAfter, memoryAfter - memoryBefore, kFrames);
    std::printf("readings stored at the end: %d (the table was emptied at 50000)\n",
                state.ReadingCount);
    return 0;
}
