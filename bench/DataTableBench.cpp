// Appends 50000 readings to a shown data table window, handling pending events (the repaints)
// after each one, and prints the time per append and the memory the table took.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_data_table [--store-only]
// --store-only stores the readings without showing them, to tell the table's memory from that of
// the readings' own texts.
#include "seams/MessageBoxes.h"
#include "seams/SaveDialog.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"
#include "table/DataForm.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

class NoBoxes : public MessageBoxes {
public:
    bool Question(const QString&) override { return false; }
    void Message(const QString&) override {}
};

class NoDialog : public SaveDialog {
protected:
    QString Show(const Request&) override { return {}; }
};

// A /proc/self/status field in kB.
long statusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    }
    return -1;
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[i];
}

// Stores the next reading as the reception handler does.
void storeReading(GVarMod& state, int i) {
    Reading& r = state.AppendRecord();
    const double v = (i % 3000) / 100.0;
    r.Value = v;
    r.TRH = QStringLiteral(" %1.%2\u00B0C %3.%4%")
                .arg(20 + i % 10)
                .arg(i % 10)
                .arg(40 + i % 50)
                .arg(i % 7);
    r.Data = NumberText(v);
    r.Unit = QStringLiteral("m/s");
    r.Time = ReadingTimeText(QDateTime::currentDateTime());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool storeOnly = QCoreApplication::arguments().contains(QStringLiteral("--store-only"));
    GVarMod state;
    NoBoxes boxes;
    NoDialog dialog;
    DataForm form(state, boxes, dialog);
    form.show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();

    const long rssBefore = statusKb("VmRSS:");
    constexpr int kWindow = 1000;
    const int starts[] = {0, 10000, 49000};
    std::vector<double> append;
    std::vector<double> wall;
    std::vector<double> cpu;
    std::printf(
        "Per append, in ms: the append alone, and the append with the paints it causes\n"
        "(wall clock, and this thread's CPU time, which other processes do not inflate).\n");
    std::printf("rows    append p50    p99   with paint p50    p99   cpu p50    p99\n");
    for (int i = 1; i <= kReadingLimit; ++i) {
        storeReading(state, i);
        const double cpu0 = threadCpuMs();
        QElapsedTimer timer;
        timer.start();
        if (!storeOnly)
            form.AppendReadingRow();
        const qint64 appended = timer.nsecsElapsed();
        QApplication::processEvents();
        const qint64 painted = timer.nsecsElapsed();
        const double cpuUsed = threadCpuMs() - cpu0;
        const bool measured = std::any_of(std::begin(starts), std::end(starts),
                                          [i](int s) { return i > s && i <= s + kWindow; });
        if (!measured)
            continue;
        append.push_back(appended / 1e6);
        wall.push_back(painted / 1e6);
        cpu.push_back(cpuUsed);
        if (append.size() == kWindow) {
            std::printf("%5d %10.3f %7.3f %12.3f %8.3f %8.3f %7.3f\n", i - kWindow,
                        percentile(append, 0.5), percentile(append, 0.99), percentile(wall, 0.5),
                        percentile(wall, 0.99), percentile(cpu, 0.5), percentile(cpu, 0.99));
            append.clear();
            wall.clear();
            cpu.clear();
        }
    }
    const long rssAfter = statusKb("VmRSS:");
    std::printf("memory: RSS %ld kB before, %ld kB after 50000 readings (growth %.1f MB), peak "
                "%ld kB\n",
                rssBefore, rssAfter, (rssAfter - rssBefore) / 1024.0, statusKb("VmHWM:"));
    return 0;
}
