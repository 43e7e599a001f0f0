// How long the program takes from its start to the question about an earlier run, and the most
// memory it held until then, for two crafted recovery logs: one of 1000 readings whose 500th has
// a field of 1 MB, and one of about 200 MB. Runs the program (offscreen) with a home folder of its
// own holding the log, and takes the question to be shown once the program stops using the CPU
// for a second; memory is its peak resident size (VmHWM). The program is killed then.
//
//   bench_recovery_start [--program PATH] [--megabytes 200] [--field-megabytes 1]

#include "recovery/RecoveryLogFormat.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>

#include <cstdio>
#include <unistd.h>

namespace {

LoggedReading reading(int no, const QString& time) {
    return {{no, 1.25, QStringLiteral(" 23.5\u00b0C 45.6%"), QStringLiteral("1.25"),
             QStringLiteral("m/s"), time},
            QStringLiteral("VEL"),
            QDateTime(QDate(2026, 12, 9), QTime(10, 0), QTimeZone(3600)).addSecs(no)};
}

bool writeLog(const QString& path, qint64 bytes, qint64 hugeField) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(RecoveryLogHeader());
    for (int no = 1; f.size() < bytes || no <= 1000; ++no) {
        QString time = QStringLiteral("12/9/2026\\10:%1").arg(no % 60, 2, 10, QLatin1Char('0'));
        if (no == 500 && hugeField > 0)
            time = QString(hugeField, u'9');
        if (f.write(RecoveryLogEntry(reading(no, time))) < 0)
            return false;
    }
    return true;
}

struct Figures {
    double seconds = 0;
    double cpu = 0;
    qint64 peakKiB = 0;
};

double cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (f.value(11).toDouble() + f.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

qint64 peakKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

Figures untilTheQuestion(const QString& program, const QString& home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_STATE_HOME"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    p.start(program, {QStringLiteral("--port"), QStringLiteral("/nonexistent")});
    p.waitForStarted();
    Figures f;
    double last = -1;
    qint64 lastChange = 0;
    while (p.state() == QProcess::Running) {
        QThread::msleep(50);
        const double cpu = cpuSeconds(p.processId());
        const qint64 peak = peakKiB(p.processId());
        if (peak > f.peakKiB)
            f.peakKiB = peak;
        if (cpu != last) {
            last = cpu;
            lastChange = clock.elapsed();
            f.cpu = cpu;
        } else if (clock.elapsed() - lastChange > 1000) {
            break;
        }
    }
    f.seconds = double(lastChange) / 1000;
    p.kill();
    p.waitForFinished();
    return f;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Time and memory from the program's start to its recovery question."));
    parser.addHelpOption();
    const QCommandLineOption programOption(
        QStringLiteral("program"), QStringLiteral("The program to run."), QStringLiteral("path"),
        QStringLiteral(VANTELLO_PROGRAM));
    const QCommandLineOption bigOption(QStringLiteral("megabytes"),
                                       QStringLiteral("Size of the large log."),
                                       QStringLiteral("n"), QStringLiteral("200"));
    const QCommandLineOption fieldOption(QStringLiteral("field-megabytes"),
                                         QStringLiteral("Size of the huge field."),
                                         QStringLiteral("n"), QStringLiteral("1"));
    parser.addOptions({programOption, bigOption, fieldOption});
    parser.process(app);
    const QString program = parser.value(programOption);

    const struct {
        const char* name;
        qint64 bytes;
        qint64 field;
    } logs[] = {
        {"huge field", 0, qint64(parser.value(fieldOption).toDouble() * 1024 * 1024)},
        {"large log", qint64(parser.value(bigOption).toDouble() * 1024 * 1024), 0},
    };
    std::printf("%-12s %10s %12s %10s %12s\n", "log", "MB", "to question", "CPU s", "peak MB");
    for (const auto& log : logs) {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral(".local/state/vantello"));
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/recovery-bench.log");
        if (!writeLog(path, log.bytes, log.field)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        const double mb = double(QFileInfo(path).size()) / (1024 * 1024);
        const Figures f = untilTheQuestion(program, home.path());
        std::printf("%-12s %10.1f %10.2f s %10.2f %12.1f\n", log.name, mb, f.seconds, f.cpu,
                    double(f.peakKiB) / 1024);
    }
    return 0;
}
