// vantello-log as users run it: the program started with a pseudo-terminal as the meter's port,
// frames written into the line, and what comes out on standard output, in the file and on
// standard error. No display and no windows' libraries.

#include "link/MeterFrame.h"
#include "link/PseudoTerminal.h"
#include "support/TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

// 30 frames and what each says, worked out by hand from the frame's bytes. Texts are as the C
// locale writes them (the runs below use German, so the test turns "." into ","); nullptr is a
// code the frame leaves unknown.
struct KnownFrame {
    const char* hex;
    const char* trh;
    const char* value;
    const char* unit;
    const char* kind;
    const char* mode;
    const char* temperature;
    const char* temperatureUnit;
    const char* humidity;
};
// clang-format off
const KnownFrame kFrames[30] = {
    // mode unit humid sign res  temp kind code value dec
    {"00 01 01C2 00 00 00EB 01 01 007B 03", " 23.5°C 45%", "1.23", "m/s", "VEL", "", "23.5", "°C", "45"},
    {"01 01 01C8 01 00 0034 01 02 0FA0 02", "DP-5.2°C 45.6%", "400", "km/h", "VEL", "DP", "-5.2", "°C", "45.6"},
    {"02 02 0258 00 01 0048 01 03 04D2 04", "WB72°F 60%", "1.234", "mil/h", "VEL", "WB", "72", "°F", "60"},
    {"00 02 0000 01 01 0005 01 04 0000 01", " -5°F 0%", "0", "ft/m", "VEL", "", "-5", "°F", "0"},
    {"01 02 03E8 00 00 0000 01 05 FFFF 02", "DP0°F 100%", "6553.5", "ft/s", "VEL", "DP", "0", "°F", "100"},
    {"02 01 0001 01 00 0001 01 06 0001 04", "WB-0.1°C 0.1%", "0.001", "knots", "VEL", "WB", "-0.1", "°C", "0.1"},
    {"00 01 0190 00 00 0000 02 01 0064 01", " 0°C 40%", "100", "CMS", "FLOW", "", "0", "°C", "40"},
    {"00 01 0190 01 00 0000 02 02 0064 02", " 0°C 40%", "10", "CMM", "FLOW", "", "0", "°C", "40"},
    {"00 01 0190 00 00 0001 02 03 0064 03", " 0.1°C 40%", "1", "CFM", "FLOW", "", "0.1", "°C", "40"},
    {"00 01 0190 00 00 0001 03 01 0064 03", " 0.1°C 40%", "1", nullptr, nullptr, "", "0.1", "°C", "40"},
    {"00 01 0190 00 00 0001 01 07 0064 02", " 0.1°C 40%", "10", nullptr, "VEL", "", "0.1", "°C", "40"},
    {"00 01 0190 00 00 0001 02 04 0064 02", " 0.1°C 40%", "10", nullptr, "FLOW", "", "0.1", "°C", "40"},
    {"00 01 0190 00 00 0001 01 00 0064 02", " 0.1°C 40%", "10", nullptr, "VEL", "", "0.1", "°C", "40"},
    {"00 01 0190 00 00 0001 01 01 0064 00", " 0.1°C 40%", "100", "m/s", "VEL", "", "0.1", "°C", "40"},
    {"00 01 0190 00 00 0001 01 01 0064 05", " 0.1°C 40%", "100", "m/s", "VEL", "", "0.1", "°C", "40"},
    {"03 01 0190 00 00 00C8 01 01 0064 02", "20°C 40%", "10", "m/s", "VEL", nullptr, "20", "°C", "40"},
    {"00 00 0190 00 00 00C8 01 01 0064 02", " 20 40%", "10", "m/s", "VEL", "", "20", nullptr, "40"},
    {"00 03 0190 00 00 00C8 01 01 0064 02", " 20 40%", "10", "m/s", "VEL", "", "20", nullptr, "40"},
    {"00 01 0190 02 00 00C8 01 01 0064 02", " 20°C 40%", "10", "m/s", "VEL", "", "20", "°C", "40"},
    {"00 01 0190 00 05 00C8 01 01 0064 02", " 200°C 40%", "10", "m/s", "VEL", "", "200", "°C", "40"},
    {"01 02 0315 01 01 0028 02 03 2710 01", "DP-40°F 78.9%", "10000", "CFM", "FLOW", "DP", "-40", "°F", "78.9"},
    {"02 01 01F4 01 00 0190 01 01 0005 02", "WB-40°C 50%", "0.5", "m/s", "VEL", "WB", "-40", "°C", "50"},
    {"00 01 0001 00 00 270F 01 02 270F 03", " 999.9°C 0.1%", "99.99", "km/h", "VEL", "", "999.9", "°C", "0.1"},
    {"00 02 01C2 00 01 FFFF 01 03 FFFF 01", " 65535°F 45%", "65535", "mil/h", "VEL", "", "65535", "°F", "45"},
    {"FF FF FFFF FF FF FFFF FF FF FFFF FF", "65535 6553.5%", "65535", nullptr, nullptr, nullptr, "65535", nullptr, "6553.5"},
    {"00 01 0000 00 00 0000 00 00 0000 00", " 0°C 0%", "0", nullptr, nullptr, "", "0", "°C", "0"},
    {"01 01 0064 00 00 0064 01 04 1388 04", "DP10°C 10%", "5", "ft/m", "VEL", "DP", "10", "°C", "10"},
    {"02 02 0064 01 00 0064 01 05 3039 03", "WB-10°F 10%", "123.45", "ft/s", "VEL", "WB", "-10", "°F", "10"},
    {"00 01 0064 00 00 0064 01 06 3039 02", " 10°C 10%", "1234.5", "knots", "VEL", "", "10", "°C", "10"},
    {"00 01 0064 00 00 0064 02 01 3039 04", " 10°C 10%", "12.345", "CMS", "FLOW", "", "10", "°C", "10"},
};
// clang-format on

QByteArray frameBytes(int i) {
    return QByteArray::fromHex(QByteArray(kFrames[i % 30].hex).replace(' ', ""));
}

QString german(const char* text) {
    return QString::fromUtf8(text).replace(u'.', u',');
}

const char kHeading[] = "\"NO.\",\"T&RH\",\"DATA\",\"UNIT\",\"TIME\"\n";

// The line of reading no from frame i, with TIME where the time stands.
QByteArray expectedLine(bool jsonl, int no, int i) {
    const KnownFrame& f = kFrames[i % 30];
    if (!jsonl)
        return QStringLiteral("%1,\"%2\",%3,\"%4\",\"TIME\"\n")
            .arg(no)
            .arg(german(f.trh), QString::fromUtf8(f.value), QString::fromUtf8(f.unit))
            .toUtf8();
    const auto text = [](const char* t) {
        return t ? u'"' + QString::fromUtf8(t) + u'"' : QStringLiteral("null");
    };
    return QStringLiteral("{\"no\":%1,\"time\":\"TIME\",\"value\":%2,\"data\":\"%3\",\"unit\":%4,"
                          "\"kind\":%5,\"mode\":%6,\"temperature\":%7,\"temperature_unit\":%8,"
                          "\"humidity\":%9,\"trh\":\"%10\"}\n")
        .arg(no)
        .arg(QString::fromUtf8(f.value), german(f.value), text(f.unit), text(f.kind), text(f.mode),
             QString::fromUtf8(f.temperature), text(f.temperatureUnit),
             QString::fromUtf8(f.humidity))
        .arg(german(f.trh))
        .toUtf8();
}

// Local time in India with milliseconds and the offset: the runs set TZ=Asia/Kolkata.
const QRegularExpression kTime(QStringLiteral(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d\d\d\+05:30)"));

// Lines with their time replaced by TIME; each time must lie between from and to, in order.
QList<QByteArray> withoutTimes(const QByteArray& bytes, const QDateTime& from,
                               const QDateTime& to) {
    QList<QByteArray> lines;
    QDateTime previous = from;
    for (QByteArray line : bytes.split('\n')) {
        const QRegularExpressionMatch m = kTime.match(QString::fromUtf8(line));
        if (m.hasMatch()) {
            const QDateTime at = QDateTime::fromString(m.captured(), Qt::ISODateWithMs);
            if (at < previous || at > to)
                line += " (time out of order: " + m.captured().toUtf8() + ')';
            previous = at;
            line.replace(m.captured().toUtf8(), "TIME");
        }
        lines << line + '\n';
    }
    lines.last().chop(1); // after the last line end
    return lines;
}

// One run of the logger with a pseudo-terminal as its meter, in German, in India's time zone,
// without a display.
class Run {
public:
    PseudoTerminal meter;
    QProcess process;
    QByteArray out;
    QByteArray err;
    QDateTime started;

    // The meter's line is made here unless the test made it first.
    bool Start(QStringList arguments, bool withPort = true) {
        if (!meter.IsOpen() && !meter.Open())
            return false;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
        env.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Kolkata"));
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                         [this] { out += process.readAllStandardOutput(); });
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { err += process.readAllStandardError(); });
        started = QDateTime::currentDateTime();
        if (withPort)
            arguments << "--port" << meter.Path();
        process.start(QStringLiteral(VANTELLO_LOG_PROGRAM), arguments);
        return process.waitForStarted();
    }

    // Frames written before the link is in step would be thrown away: the notice says it is.
    bool WaitUntilReading() {
        return QTest::qWaitFor([this] { return err.contains("reading the meter on"); }, 60000);
    }

    // Writes frame i and waits until the output has grown by a line (false when it ended first).
    bool Send(int i, const std::function<QByteArray()>& output) {
        const qsizetype lines = output().count('\n');
        if (meter.Write(frameBytes(i)) != kFrameLength)
            return false;
        return QTest::qWaitFor(
                   [&] {
                       return output().count('\n') > lines ||
                              process.state() == QProcess::NotRunning;
                   },
                   60000) &&
               output().count('\n') > lines;
    }

    bool Finish() {
        if (process.state() != QProcess::NotRunning && !process.waitForFinished(60000))
            return false;
        out += process.readAllStandardOutput();
        err += process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit;
    }
};

// A terminal for standard error; what is shown on it is read from its far side.
struct Terminal {
    int far = -1;
    int near = -1;
    QByteArray shown;
    Terminal() {
        if (::openpty(&far, &near, nullptr, nullptr, nullptr) == 0)
            ::fcntl(far, F_SETFL, O_NONBLOCK);
    }
    ~Terminal() {
        ::close(far);
        ::close(near);
    }
    QString Path() const { return QString::fromLocal8Bit(::ttyname(near)); }
    QByteArray Shown() {
        char buffer[4096];
        for (ssize_t n; (n = ::read(far, buffer, sizeof buffer)) > 0;)
            shown.append(buffer, n);
        return shown;
    }
};

// The meter's line behind a symbolic link made anew, as a simulated meter started again makes it.

} // namespace

class LoggerProgramTest : public QObject {
    Q_OBJECT
private slots:
    void knownFrames_data();
    void knownFrames();
    void meterWithoutPausesIsRead();
    void endsCleanlyOnSignal_data();
    void endsCleanlyOnSignal();
    void appendWritesNoSecondHeading();
    void fullDiskKeepsEarlierRows();
    void durationAndStatusLineOnTerminal();
    void neverHangs_data();
    void neverHangs();
    void noMeterToRead_data();
    void noMeterToRead();
    void meterComesBack_data();
    void meterComesBack();
    void alarmEvents_data();
    void alarmEvents();
};

void LoggerProgramTest::knownFrames_data() {
    QTest::addColumn<bool>("jsonl");
    QTest::newRow("csv on standard output") << false;
    QTest::newRow("jsonl into a file") << true;
}

void LoggerProgramTest::meterWithoutPausesIsRead() {
    // The known frames over and over at 73 a second, streaming before the run starts: the run
    // says it finds frames by their structure, then logs 40 of them in order.
    Run run;
    QVERIFY(run.meter.Open());
    // A thread of its own, so that this busy test never leaves the line quiet.
    std::atomic<bool> streaming = true;
    std::thread meter([&] {
        for (int next = 0; streaming; ++next) {
            run.meter.Write(frameBytes(next));
            std::this_thread::sleep_for(std::chrono::milliseconds(14));
        }
    });
    QTest::qWait(300);
    QVERIFY(run.Start({"-n", "40"}));
    const bool ended =
        QTest::qWaitFor([&] { return run.process.state() == QProcess::NotRunning; }, 60000);
    streaming = false;
    meter.join();
    QVERIFY(ended && run.Finish());
    QCOMPARE(run.process.exitCode(), 0);
    QVERIFY2(run.err.contains("vantello-log: no pause between the meter's frames for 2 s; finding "
                              "its frames by their structure\n"),
             run.err.constData());
    const QList<QByteArray> lines =
        withoutTimes(run.out, run.started, QDateTime::currentDateTime());
    QCOMPARE(lines.size(), 42); // heading, 40 lines, nothing after the last line end
    int first = 0;
    while (first < 30 && lines[1] != expectedLine(false, 1, first))
        ++first;
    for (int n = 1; n <= 40; ++n)
        QCOMPARE(lines[n], expectedLine(false, n, first + n - 1));
}

void LoggerProgramTest::knownFrames() {
    QFETCH(bool, jsonl);
    QTemporaryDir dir;
    const QString file = dir.filePath("run.jsonl");
    Run run;
    QVERIFY(run.Start(jsonl ? QStringList{"-n", "30", "--format", "jsonl", "--output", file}
                            : QStringList{"-n", "30"}));
    const auto output = [&] {
        return jsonl ? ReadFileBytes(file) : run.out;
    };
    QVERIFY(run.WaitUntilReading());
    for (int i = 0; i < 30; ++i) {
        QVERIFY2(run.Send(i, output), qPrintable(QStringLiteral("frame %1: ").arg(i) + run.err));
        if (i == 0) {
            // Only Qt Core and Qt Serial Port, no display.
            const QByteArray maps =
                ReadFileBytes(QStringLiteral("/proc/%1/maps").arg(run.process.processId()));
            QVERIFY(maps.contains("libQt6SerialPort"));
            QVERIFY(!maps.contains("libQt6Gui"));
            QVERIFY(!maps.contains("libQt6Widgets"));
        }
    }
    // --count ends the run after the 30th.
    QVERIFY(run.Finish());
    QCOMPARE(run.process.exitCode(), 0);

    QList<QByteArray> expected;
    if (!jsonl)
        expected << kHeading;
    for (int i = 0; i < 30; ++i)
        expected << expectedLine(jsonl, i + 1, i);
    const QList<QByteArray> lines =
        withoutTimes(output(), run.started, QDateTime::currentDateTime());
    QCOMPARE(lines.size(), expected.size() + 1);
    for (qsizetype n = 0; n < expected.size(); ++n)
        QCOMPARE(lines[n], expected[n]);
    QVERIFY(lines.last().isEmpty());
    // Standard error is no terminal: the notice, and no status line.
    QCOMPARE(run.err, "vantello-log: reading the meter on '" + run.meter.Path().toUtf8() +
                          "', writing to " +
                          (jsonl ? "'" + file.toUtf8() + "'" : "standard output") + "\n");
}

void LoggerProgramTest::endsCleanlyOnSignal_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void LoggerProgramTest::endsCleanlyOnSignal() {
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString file = dir.filePath("run.csv");
    Run run;
    QVERIFY(run.Start({"--output", file}));
    const auto output = [&] {
        return ReadFileBytes(file);
    };
    QVERIFY(run.WaitUntilReading());
    // Frames back to back are all kept.
    QByteArray burst;
    for (int i = 0; i < 5; ++i)
        burst += frameBytes(i);
    QCOMPARE(run.meter.Write(burst), burst.size());
    QVERIFY(QTest::qWaitFor([&] { return output().count('\n') == 6; }, 60000));
    // The signal arrives with more frames on their way.
    QCOMPARE(run.meter.Write(frameBytes(5) + frameBytes(6)), 2 * kFrameLength);
    ::kill(pid_t(run.process.processId()), signal);
    QVERIFY(run.Finish());
    QCOMPARE(run.process.exitCode(), 0);

    const QList<QByteArray> lines =
        withoutTimes(output(), run.started, QDateTime::currentDateTime());
    QVERIFY2(lines.size() >= 7 && lines.size() <= 9, output());
    QCOMPARE(lines.first(), kHeading);
    for (qsizetype n = 1; n + 1 < lines.size(); ++n)
        QCOMPARE(lines[n], expectedLine(false, int(n), int(n - 1)));
    QVERIFY(lines.last().isEmpty()); // the file ends with a whole line
}

void LoggerProgramTest::neverHangs_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO without a reader, SIGTERM") << "fifo";
    QTest::newRow("duration over before the loop runs") << "duration";
}

void LoggerProgramTest::neverHangs() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    Run run;
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(run.Start({"--output", fifo}));
        QVERIFY(QTest::qWaitFor([&] { return run.err.contains("waiting for one"); }, 60000));
        ::kill(pid_t(run.process.processId()), SIGTERM);
    } else {
        QVERIFY(run.Start({"--duration", "0.001"}));
    }
    QVERIFY(run.Finish());
    QCOMPARE(run.process.exitCode(), 0);
    if (kind == "fifo")
        QVERIFY2(run.err.startsWith("vantello-log: no program reads '" + fifo.toUtf8() +
                                    "' yet; waiting for one\n"),
                 run.err.constData());
}

void LoggerProgramTest::appendWritesNoSecondHeading() {
    QTemporaryDir dir;
    const QString file = dir.filePath("run.csv");
    const auto output = [&] {
        return ReadFileBytes(file);
    };
    for (int part = 0; part < 2; ++part) {
        Run run;
        QVERIFY(run.Start({"--append", "-o", file, "-n", "2"}));
        QVERIFY(run.WaitUntilReading());
        QVERIFY(run.Send(part * 2, output));
        QVERIFY(run.Send(part * 2 + 1, output));
        QVERIFY(run.Finish());
        QCOMPARE(run.process.exitCode(), 0);
    }
    const QDateTime now = QDateTime::currentDateTime();
    QCOMPARE(withoutTimes(output(), now.addDays(-1), now),
             (QList<QByteArray>{kHeading, expectedLine(false, 1, 0), expectedLine(false, 2, 1),
                                expectedLine(false, 1, 2), expectedLine(false, 2, 3), ""}));
}

void LoggerProgramTest::fullDiskKeepsEarlierRows() {
    // A file-size limit stands in for a full disk: the write that crosses it fails.
    constexpr rlim_t kLimit = 400;
    QTemporaryDir dir;
    const QString file = dir.filePath("run.csv");
    Run run;
    run.process.setChildProcessModifier([] {
        const rlimit limit{kLimit, kLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
    });
    QVERIFY(run.Start({"-o", file}));
    const auto output = [&] {
        return ReadFileBytes(file);
    };
    QVERIFY(run.WaitUntilReading());
    int sent = 0;
    while (run.Send(sent, output))
        QVERIFY(++sent < 30);
    QVERIFY(run.Finish());
    QCOMPARE(run.process.exitCode(), 1);

    // Every row that fits is there, whole; the one that did not fit left nothing behind.
    const QList<QByteArray> lines =
        withoutTimes(output(), run.started, QDateTime::currentDateTime());
    QCOMPARE(lines.size(), sent + 2);
    QCOMPARE(lines.first(), kHeading);
    qsizetype size = sizeof(kHeading) - 1;
    for (int n = 1; n <= sent; ++n) {
        QCOMPARE(lines[n], expectedLine(false, n, n - 1));
        size += lines[n].size() - 4 + 29; // TIME stands for 29 characters
    }
    QCOMPARE(output().size(), size);
    QVERIFY(size + expectedLine(false, sent + 1, sent).size() - 4 + 29 > qsizetype(kLimit));
    QVERIFY2(run.err.endsWith("vantello-log: cannot write to '" + file.toUtf8() +
                              "': File too large; the " + QByteArray::number(sent) +
                              " readings written before it are kept\n"),
             run.err);
}

void LoggerProgramTest::durationAndStatusLineOnTerminal() {
    {
        // --duration ends a run with no readings at all; --quiet shows nothing on a terminal.
        Terminal terminal;
        Run quiet;
        quiet.process.setStandardErrorFile(terminal.Path());
        QVERIFY(quiet.Start({"--duration", "1", "--quiet"}));
        QVERIFY(quiet.Finish());
        QCOMPARE(quiet.process.exitCode(), 0);
        QCOMPARE(quiet.out, kHeading);
        QCOMPARE(terminal.Shown(), "");
    }
    Terminal terminal;
    Run run;
    run.process.setStandardErrorFile(terminal.Path());
    QVERIFY(run.Start({"-n", "2", "-d", "7d"}));
    QVERIFY(QTest::qWaitFor([&] { return terminal.Shown().contains("reading the meter"); }, 60000));
    QVERIFY(run.Send(0, [&] { return run.out; }));
    QVERIFY(run.Send(1, [&] { return run.out; }));
    QVERIFY(run.Finish());
    QCOMPARE(run.process.exitCode(), 0);
    // The line is cleared for the notice, comes back under it, is rewritten in place and left
    // standing at the end (the terminal turns each line feed into CR LF).
    const QString shown = QString::fromUtf8(terminal.Shown());
    const QRegularExpression expected(
        QStringLiteral("^\\r0 readings, 0:00:00 elapsed, 7d 00:00:00 left\\x1b\\[K"
                       "\\r\\x1b\\[Kvantello-log: reading the meter on [^\\r]+\\r\\n"
                       "(\\r[^\\r]*\\x1b\\[K)*"
                       "\\r2 readings, last 400 km/h, \\d+:\\d\\d:\\d\\d elapsed, "
                       "(7d 00:00:00|6d 23:\\d\\d:\\d\\d) left\\x1b\\[K\\r\\n$"));
    QVERIFY2(expected.match(shown).hasMatch(), qPrintable(shown.toUtf8().toPercentEncoding(" ,:")));
}

void LoggerProgramTest::noMeterToRead_data() {
    QTest::addColumn<QString>("port"); // "": look for the bridge; "FILE": a plain file
    QTest::addColumn<QString>("said");
    QTest::newRow("no bridge") << ""
                               << "vantello-log: no meter found: its USB bridge is not "
                                  "plugged in.";
    QTest::newRow("no such device")
        << "/dev/ttyNOSUCH7"
        << "vantello-log: port error! No such device: '/dev/ttyNOSUCH7'.";
    QTest::newRow("bare name") << "ttyNOSUCH7"
                               << "vantello-log: port error! No such device: '/dev/ttyNOSUCH7'.";
    QTest::newRow("plain file") << "FILE"
                                << "/kept.csv' is not a serial device.";
}

void LoggerProgramTest::noMeterToRead() {
    QFETCH(QString, port);
    QFETCH(QString, said);
    if (port.isEmpty() && !QDir(QStringLiteral("/sys/bus/usb-serial/drivers/cp210x"))
                               .entryList({QStringLiteral("ttyUSB*")})
                               .isEmpty())
        QSKIP("a meter's bridge is plugged in here");
    QTemporaryDir dir;
    const QString file = dir.filePath("kept.csv");
    {
        QFile kept(file);
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("kept\n") == 5);
    }
    Run run;
    QStringList arguments{"-o", file};
    if (!port.isEmpty())
        arguments << "--port" << (port == "FILE" ? file : port);
    QVERIFY(run.Start(arguments, false));
    QVERIFY(run.Finish());
    QCOMPARE(run.process.exitCode(), 2);
    QVERIFY2(run.err.contains(said.toUtf8()) && run.err.count('\n') == 1, run.err);
    QCOMPARE(ReadFileBytes(file), "kept\n"); // the output is opened only once the meter is
}

void LoggerProgramTest::meterComesBack_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("pauseMs"); // between the unplug and the meter's return
    // false: the sixth reading ends the run; true: unplugged again after it, --duration ends the
    // run while it waits, with standard error on a terminal.
    QTest::addColumn<bool>("endsWaiting");
    QTest::newRow("--count across the wait") << QStringList{"-n", "6"} << 0 << false;
    QTest::newRow("--duration ends the wait") << QStringList{"-d", "10"} << 1500 << true;
}

void LoggerProgramTest::meterComesBack() {
    QFETCH(QStringList, arguments);
    QFETCH(int, pauseMs);
    QFETCH(bool, endsWaiting);
    constexpr qint64 kDurationMs = 10000;
    const bool terminal = endsWaiting;
    QTemporaryDir dir;
    const QString link = dir.filePath("meter");
    Run run;
    Terminal screen;
    if (terminal)
        run.process.setStandardErrorFile(screen.Path());
    const auto said = [&] {
        return terminal ? screen.Shown() : run.err;
    };
    const auto out = [&] {
        return run.out;
    };
    QVERIFY(run.meter.Open() && PointLinkAt(link, run.meter.Path()));
    // Three readings, unplugged, three more when it is back on a new line behind the same link.
    QVERIFY(run.Start(arguments << "--port" << link, false));
    QVERIFY(QTest::qWaitFor([&] { return said().contains("reading the meter on"); }, 60000));
    for (int i = 0; i < 3; ++i)
        QVERIFY2(run.Send(i, out), said());

    run.meter.Close();
    QVERIFY(QTest::qWaitFor([&] { return said().contains("waiting for it to return"); }, 60000));
    QTest::qWait(pauseMs);
    QVERIFY(run.meter.Open() && PointLinkAt(link, run.meter.Path()));
    const QByteArray back =
        "vantello-log: meter back on '" + link.toUtf8() + "'; readings go on from 4";
    QVERIFY(QTest::qWaitFor([&] { return said().contains(back); }, 60000));
    // A slow machine may reach the end of --duration first: that says nothing of the wait.
    const auto over = [&] {
        return endsWaiting && run.started.msecsTo(QDateTime::currentDateTime()) >= kDurationMs;
    };
    for (int i = 3; i < 6; ++i) {
        const bool sent = run.Send(i, out);
        if (!sent && over())
            QSKIP("the run's duration was over before the test got this far");
        QVERIFY2(sent, said());
    }
    if (endsWaiting) {
        run.meter.Close();
        QVERIFY(QTest::qWaitFor(
            [&] {
                return said().count("waiting for it to return") == 2 ||
                       run.process.state() == QProcess::NotRunning;
            },
            60000));
        if (said().count("waiting for it to return") < 2 && over())
            QSKIP("the run's duration was over before the test got this far");
    }
    QVERIFY(run.Finish());
    QCOMPARE(run.process.exitCode(), 0);
    QVERIFY(!endsWaiting || over());

    // Numbered on without a gap or a repeat, in the order sent.
    QList<QByteArray> expected{kHeading};
    for (int i = 0; i < 6; ++i)
        expected << expectedLine(false, i + 1, i);
    expected << "";
    QCOMPARE(withoutTimes(run.out, run.started, QDateTime::currentDateTime()), expected);
    const QByteArray disconnected = "vantello-log: meter disconnected, waiting for it to return";
    if (!terminal) {
        QCOMPARE(run.err, "vantello-log: reading the meter on '" + link.toUtf8() +
                              "', writing to standard output\n" + disconnected + '\n' + back +
                              '\n');
        return;
    }
    // The status line says that the meter is waited for while it is, to the end.
    const QByteArray shown = said();
    const qsizetype lastMessage = shown.lastIndexOf(disconnected);
    QVERIFY(shown.indexOf(disconnected) < shown.indexOf(back) && shown.indexOf(back) < lastMessage);
    const QRegularExpression waiting(
        QStringLiteral("\\r6 readings, meter disconnected, waiting, 0:00:\\d\\d elapsed, "
                       "0:00:00 left\\x1b\\[K\\r\\n$"));
    QVERIFY2(waiting.match(QString::fromUtf8(shown.mid(lastMessage))).hasMatch(),
             shown.toPercentEncoding(" ,:"));
}

void LoggerProgramTest::alarmEvents_data() {
    QTest::addColumn<bool>("jsonl");
    QTest::newRow("jsonl: events among the readings") << true;
    QTest::newRow("csv: events in a file beside it") << false;
}

void LoggerProgramTest::alarmEvents() {
    // Below 2 m/s with a band of 0.5: 1.23 m/s raises, 100 m/s clears, 0.5 m/s raises, a flow
    // says nothing, 400 km/h (111.1111 m/s) clears. The program given runs once per raise, with
    // the event in its environment.
    QFETCH(bool, jsonl);
    QTemporaryDir dir;
    const QString file = dir.filePath(jsonl ? "run.jsonl" : "run.csv");
    const QString hook = dir.filePath("hook");
    const QString called = dir.filePath("called");
    QVERIFY(WriteFileBytes(hook, "#!/bin/sh\necho \"$VANTELLO_EVENT $VANTELLO_CHANGE "
                                 "$VANTELLO_VALUE $VANTELLO_UNIT $VANTELLO_RULE\" >> '" +
                                     called.toUtf8() + "'\n"));
    QVERIFY(::chmod(hook.toLocal8Bit().constData(), 0700) == 0);
    const QString rule = QStringLiteral("velocity < 2 m/s hysteresis 0.5");
    Run run;
    QVERIFY(run.Start({"-n", "5", "-f", jsonl ? "jsonl" : "csv", "-o", file, "--alarm", rule,
                       "--alarm", "no-data 1h", "--on-alarm", hook}));
    QVERIFY(run.WaitUntilReading());
    for (const int i : {0, 13, 21, 6, 1})
        QVERIFY2(run.Send(i, [&] { return ReadFileBytes(file); }), run.err.constData());
    QVERIFY(run.Finish());
    QCOMPARE(run.process.exitCode(), 0);

    const QStringList said{"raised (1.23 m/s)", "cleared (100 m/s)", "raised (0.5 m/s)",
                           "cleared (111.1111 m/s)"};
    const QList<QByteArray> err = withoutTimes(run.err, run.started, QDateTime::currentDateTime());
    QCOMPARE(err.size(), 6);
    for (int k = 0; k < 4; ++k) {
        const QString change = said[k].section(u' ', 0, 0);
        const QString value = said[k].section(u' ', 1, 1).mid(1);
        QCOMPARE(err[k + 1], QStringLiteral("vantello-log: TIME alarm %1: %2 %3\n")
                                 .arg(change, rule, said[k].section(u' ', 1))
                                 .toUtf8());
        const QByteArray record =
            jsonl
                ? QStringLiteral(
                      "{\"event\":\"alarm\",\"time\":\"TIME\",\"change\":\"%1\",\"rule\":"
                      "\"%2\",\"quantity\":\"velocity\",\"value\":%3,\"unit\":\"m/s\","
                      "\"note\":null}\n")
                      .arg(change, rule, value)
                      .toUtf8()
                : QStringLiteral("\"TIME\",\"alarm\",\"%1\",\"%2\",\"velocity\",%3,\"m/s\",\"\"\n")
                      .arg(change, rule, value)
                      .toUtf8();
        // jsonl: each event follows the reading that caused it (readings 1, 2, 3 and 5).
        const QList<QByteArray> lines =
            withoutTimes(ReadFileBytes(jsonl ? file : file + ".events.csv"), run.started,
                         QDateTime::currentDateTime());
        QCOMPARE(lines.value(jsonl ? QList<int>{1, 3, 5, 8}[k] : k + 1), record);
    }
    if (!jsonl)
        QVERIFY(ReadFileBytes(file + ".events.csv")
                    .startsWith("\"TIME\",\"EVENT\",\"CHANGE\",\"RULE\",\"QUANTITY\",\"VALUE\","
                                "\"UNIT\",\"NOTE\"\n"));
    QVERIFY(QTest::qWaitFor([&] { return ReadFileBytes(called).count('\n') >= 2; }, 10000));
    QTest::qWait(200); // no third call
    QCOMPARE(ReadFileBytes(called), "alarm raised 1.23 m/s " + rule.toUtf8() +
                                        "\nalarm raised 0.5 m/s " + rule.toUtf8() + "\n");
}

QTEST_GUILESS_MAIN(LoggerProgramTest)
#include "LoggerProgramTest.moc"
