// Recordings of 10 000, 100 000 and 1 000 000 readings written as vantello-log CSV (the logger's
// own line writer, one reading every 0.6048 s, so a million readings are a week), then for each:
// the time to read the file back, the memory the recording holds and the peak while reading, and
// the time of a redraw (layout and painting at 1000 x 600) at five zooms, from all to one minute,
// over 200 positions each, as p50 and p99.
//
//   bench_recording [--sizes 10000,100000,1000000] [--keep DIR]
//   bench_recording --write FILE [--count N]     writes one recording and exits
#include "charts/ChartPainter.h"
#include "link/MeterFrame.h"
#include "logger/LogRows.h"
#include "recording/RecordingPlot.h"
#include "recording/RecordingReader.h"
#include "recording/RecordingStats.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

namespace {

constexpr double kDay = 86400.0;

// The week: velocity in m/s with a daily swing, temperature and humidity following the day; the
// meter unplugged for two hours on the third day; dew point shown for half a day on the fifth.
bool writeRecording(const QString& path, qint64 count) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray buffer = LogHeading(LogFormat::Csv);
    const QDateTime start(QDate(2026, 11, 30), QTime(0, 0), Qt::OffsetFromUTC, 3600);
    QRandomGenerator random(24);
    qint64 written = 0;
    for (qint64 i = 0; written < count; ++i) {
        const qint64 ms = i * 6048 / 10;
        const double t = double(ms) / 1000.0;
        if (t >= 2 * kDay + 10 * 3600 && t < 2 * kDay + 12 * 3600)
            continue; // unplugged
        const double phase = 2 * M_PI * std::fmod(t, kDay) / kDay;
        MeterFrameFields f;
        f.mode = t >= 4 * kDay + 6 * 3600 && t < 4 * kDay + 18 * 3600 ? 1 : 0;
        f.kind = 1;
        f.unitCode = 1;
        f.decimalCode = 3; // hundredths
        const double velocity = 5 + 2.5 * std::sin(phase) + random.bounded(100) / 100.0;
        f.valueMagnitude = std::uint16_t(std::lround(std::max(0.0, velocity) * 100));
        const double temperature = 21 + 4 * std::sin(phase - 1) + random.bounded(10) / 10.0;
        f.temperatureMagnitude = std::uint16_t(std::lround(temperature * 10));
        f.humidityTenths = std::uint16_t(std::lround((55 + 12 * std::cos(phase)) * 10));
        const DecodedFrame d = DecodeFrame(EncodeFrame(f));
        buffer += LogLine(LogFormat::Csv, ++written, d, start.addMSecs(ms));
        if (buffer.size() > (1 << 22)) {
            file.write(buffer);
            buffer.clear();
        }
    }
    file.write(buffer);
    return file.flush();
}

qint64 statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::stoll(line.substr(std::strlen(field)));
    return -1;
}

// CPU time of this thread: what the work itself costs, whatever else the machine runs.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

void measure(const QString& path, qint64 count) {
    const qint64 before = statusKb("VmRSS:");
    resetPeak();
    QElapsedTimer clock;
    clock.start();
    const double readCpu0 = threadCpuMs();
    ReadOutcome out = ReadRecordingFile(path);
    const double readMs = double(clock.nsecsElapsed()) / 1e6;
    const double readCpu = threadCpuMs() - readCpu0;
    const qint64 peak = statusKb("VmHWM:");
    const qint64 after = statusKb("VmRSS:");
    const Recording& r = out.recording;
    if (out.status != ReadOutcome::Status::Read || qint64(r.size()) != count) {
        std::printf("%lld readings: read failed: %s\n", (long long)count, qPrintable(out.error));
        return;
    }
    std::printf("%8lld readings  file %6.1f MB  read %7.1f ms (CPU %7.1f ms)  held %6.1f MB  "
                "peak while reading %6.1f MB (over %.1f MB before)\n",
                (long long)count, double(QFile(path).size()) / 1e6, readMs, readCpu,
                double(after - before) / 1024.0, double(peak - before) / 1024.0,
                double(before) / 1024.0);

    QImage image(1000, 600, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(7);
    const qint64 whole = r.times.back() - r.times.front();
    const std::pair<const char*, qint64> zooms[] = {{"all", whole},
                                                    {"1 day", 86400000},
                                                    {"1 hour", 3600000},
                                                    {"10 min", 600000},
                                                    {"1 min", 60000}};
    for (const auto& [name, span] : zooms) {
        PlotView view;
        std::vector<double> redraw;
        std::vector<double> cursor;
        std::vector<double> layoutMs;
        std::vector<double> cpu;
        for (int k = 0; k < 200; ++k) {
            const qint64 s = std::min(span, whole);
            const qint64 from =
                r.times.front() + (whole > s ? qint64(random.bounded(double(whole - s))) : 0);
            ZoomTo(view, r, from, from + s);
            view.cursorX = 100 + random.bounded(800);
            clock.restart();
            const double cpu0 = threadCpuMs();
            {
                const TimePlotLayout layout = LayOutRecordingPlot(r, view, QSizeF(image.size()));
                layoutMs.push_back(double(clock.nsecsElapsed()) / 1e6);
                QPainter painter(&image);
                PaintTimePlot(painter, layout);
            }
            redraw.push_back(double(clock.nsecsElapsed()) / 1e6);
            cpu.push_back(threadCpuMs() - cpu0);
            // The cursor readout's own part: the nearest reading and its text.
            clock.restart();
            const QRectF frame = PlotFrame(QSizeF(image.size()));
            const QString text =
                ReadoutText(r, NearestReading(r, TimeAtX(view, frame, *view.cursorX)));
            cursor.push_back(double(clock.nsecsElapsed()) / 1e6 + redraw.back());
            Q_UNUSED(text);
        }
        std::printf("           redraw at %-7s p50 %6.2f ms  p99 %6.2f ms  (CPU p50 %5.2f ms, p99 "
                    "%5.2f ms; layout alone p50 %5.2f ms)  with cursor readout p99 %6.2f ms\n",
                    name, percentile(redraw, 0.5), percentile(redraw, 0.99), percentile(cpu, 0.5),
                    percentile(cpu, 0.99), percentile(layoutMs, 0.5), percentile(cursor, 0.99));
    }
    // A statistics pass over the whole recording (a range selected over all of it).
    clock.restart();
    const auto stats = StatisticsOf(r, r.times.front(), r.times.back());
    std::printf("           statistics over all readings %.1f ms (%zu quantities)\n",
                double(clock.nsecsElapsed()) / 1e6, stats.size());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Benchmark of reading and drawing recordings."));
    parser.addHelpOption();
    const QCommandLineOption sizes(QStringLiteral("sizes"), QStringLiteral("Reading counts."),
                                   QStringLiteral("list"), QStringLiteral("10000,100000,1000000"));
    const QCommandLineOption keep(QStringLiteral("keep"),
                                  QStringLiteral("Write the files into this folder and keep them."),
                                  QStringLiteral("dir"));
    const QCommandLineOption write(QStringLiteral("write"),
                                   QStringLiteral("Only write one recording to this file."),
                                   QStringLiteral("file"));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("Readings of --write (default a million)."),
                                   QStringLiteral("n"), QStringLiteral("1000000"));
    parser.addOptions({sizes, keep, write, count});
    parser.process(app);
    if (parser.isSet(write))
        return writeRecording(parser.value(write), parser.value(count).toLongLong()) ? 0 : 1;

    QTemporaryDir temp;
    const QString folder = parser.isSet(keep) ? parser.value(keep) : temp.path();
    QDir().mkpath(folder);
    const QStringList counts = parser.value(sizes).split(u',');
    if (counts.size() > 1) {
        // Each size in a process of its own, so that memory figures start from the same place.
        for (const QString& n : counts) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--sizes"), n, QStringLiteral("--keep"), folder});
            if (!child.waitForFinished(-1) || child.exitCode() != 0)
                return 1;
        }
        return 0;
    }
    for (const QString& n : counts) {
        const qint64 readings = n.toLongLong();
        const QString path = QDir(folder).filePath(QStringLiteral("week-%1.csv").arg(readings));
        if (!writeRecording(path, readings)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        measure(path, readings);
    }
    return 0;
}
