#include "state/SystemTexts.h"
// The logger's rules below the program: durations and the rest of the command line, the status
// line's text, and how the output file is created, replaced and added to.

#include "alarms/RunEvent.h"
#include "link/MeterFrame.h"
#include "logger/LogConsole.h"
#include "logger/LogOptions.h"
#include "logger/LogOutput.h"
#include "logger/LogRows.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class LogRulesTest : public QObject {
    Q_OBJECT
private slots:
    void durations_data();
    void durations();
    void commandLine_data();
    void commandLine();
    void statusLine_data();
    void statusLine();
    void outputFile_data();
    void outputFile();
    void outputOverWhatIsThere_data();
    void outputOverWhatIsThere();
    void pathsAreQuotedInMessages();
    void influxLines_data();
    void influxLines();
    void influxEventLines_data();
    void influxEventLines();
    void eventLines_data();
    void eventLines();
};

namespace {} // namespace

void LogRulesTest::durations_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("ms"); // -1: refused
    QTest::newRow("bare seconds") << "90" << qint64(90000);
    QTest::newRow("minutes") << "30m" << qint64(1800000);
    QTest::newRow("days, beyond a timer's range") << "40d" << qint64(3456000000);
    QTest::newRow("a fraction, blanks around") << " 1.5h " << qint64(5400000);
    QTest::newRow("zero") << "0s" << qint64(-1);
    QTest::newRow("under a millisecond") << "0.0001" << qint64(-1);
    QTest::newRow("signed") << "-5" << qint64(-1);
    QTest::newRow("unknown unit") << "5w" << qint64(-1);
    QTest::newRow("unit alone") << "h" << qint64(-1);
    QTest::newRow("exponent") << "1e3" << qint64(-1);
    QTest::newRow("beyond a hundred years") << "40000d" << qint64(-1);
}

void LogRulesTest::durations() {
    QFETCH(QString, text);
    QFETCH(qint64, ms);
    QCOMPARE(ParseDuration(text).value_or(-1), ms);
}

void LogRulesTest::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("read"); // the options read, or "error: " and a part of the error
    QTest::newRow("defaults") << QStringList{}
                              << "port= output= append=0 format=csv count=- duration=- quiet=0";
    QTest::newRow("all") << QStringList{"--port", "ttyUSB0", "-o", "run.jsonl",  "-a",  "--format",
                                        "jsonl",  "-n",      "5",  "--duration", "30m", "-q"}
                         << "port=ttyUSB0 output=run.jsonl append=1 format=jsonl count=5 "
                            "duration=1800000 quiet=1";
    QTest::newRow("outputs elsewhere")
        << QStringList{"--format",   "influx",  "--mqtt",       "[::1]:1884", "--topic",
                       "site/ahu-3", "--serve", "0.0.0.0:8080", "--token",    "12345678"}
        << "port= output= append=0 format=influx count=- duration=- quiet=0 mqtt=::1:1884 "
           "topic=site/ahu-3 serve=0.0.0.0:8080 token=12345678";
    QTest::newRow("broker without port, page on a port alone")
        << QStringList{"--mqtt", "broker.local", "--topic", "a", "--serve", "8080"}
        << "port= output= append=0 format=csv count=- duration=- quiet=0 mqtt=broker.local:0 "
           "topic=a serve=127.0.0.1:8080 token=";
    QTest::newRow("unknown format") << QStringList{"--format", "xml"}
                                    << "error: --format wants csv, jsonl or influx, not \"xml\"";
    QTest::newRow("broker without topic")
        << QStringList{"--mqtt", "localhost"} << "error: --mqtt wants --topic PREFIX too";
    QTest::newRow("topic with a wildcard")
        << QStringList{"--mqtt", "localhost", "--topic", "site/#"}
        << "error: --mqtt wants --topic PREFIX too";
    QTest::newRow("broker port beyond range")
        << QStringList{"--mqtt", "localhost:65536", "--topic", "a"}
        << "error: --mqtt wants the broker as HOST or HOST:PORT: \"localhost:65536\" wants a port";
    QTest::newRow("topic alone") << QStringList{"--topic", "a"}
                                 << "error: --topic goes with --mqtt";
    QTest::newRow("page without port")
        << QStringList{"--serve", "0.0.0.0"} << "error: --serve wants PORT or ADDRESS:PORT";
    QTest::newRow("token alone") << QStringList{"--token", "12345678"}
                                 << "error: --token goes with --serve";
    QTest::newRow("short token") << QStringList{"--serve", "80", "--token", "1234567"}
                                 << "error: --token wants at least 8 characters";
    QTest::newRow("count zero") << QStringList{"-n", "0"} << "error: --count wants";
    QTest::newRow("duration zero") << QStringList{"-d", "0s"} << "error: --duration wants";
    QTest::newRow("stray argument")
        << QStringList{"run.csv"} << "error: unexpected argument \"run.csv\"";
    QTest::newRow("an alarm rule that cannot be read")
        << QStringList{"--alarm", "no-data 60s", "--alarm", "velocity < fast"}
        << "error: --alarm \"velocity < fast\" cannot be read: < wants a number";
    QTest::newRow("--on-alarm names no program")
        << QStringList{"--alarm", "no-data 60s", "--on-alarm", "/no/such/program"}
        << "error: --on-alarm \"/no/such/program\" is no program";
    QTest::newRow("--on-alarm without a rule")
        << QStringList{"--on-alarm", "sh"} << "error: --on-alarm wants at least one --alarm";
}

void LogRulesTest::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, read);
    LogCommandLine commandLine;
    QVERIFY(commandLine.parser.parse(QStringList{"vantello-log"} + arguments));
    QString error;
    const std::optional<LogOptions> o = commandLine.Read(&error);
    if (!o) {
        QVERIFY2(read.startsWith("error: ") && error.startsWith(read.mid(7)), qPrintable(error));
        return;
    }
    const auto optional = [](const std::optional<qint64>& v) {
        return v ? QString::number(*v) : QStringLiteral("-");
    };
    const char* formats[] = {"csv", "jsonl", "influx"};
    QString elsewhere;
    if (!o->mqttHost.isEmpty())
        elsewhere +=
            QStringLiteral(" mqtt=%1:%2 topic=%3").arg(o->mqttHost).arg(o->mqttPort).arg(o->topic);
    if (o->servePort >= 0)
        elsewhere += QStringLiteral(" serve=%1:%2 token=%3")
                         .arg(o->serveAddress)
                         .arg(o->servePort)
                         .arg(o->token);
    QCOMPARE(QStringLiteral("port=%1 output=%2 append=%3 format=%4 count=%5 duration=%6 quiet=%7")
                     .arg(o->port, o->output)
                     .arg(int(o->append))
                     .arg(formats[int(o->format)])
                     .arg(optional(o->count), optional(o->durationMs))
                     .arg(int(o->quiet)) +
                 elsewhere,
             read);
}

void LogRulesTest::statusLine_data() {
    QTest::addColumn<qint64>("readings");
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("away");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<qint64>("leftMs"); // -1: no --duration
    QTest::addColumn<QString>("text");
    QTest::newRow("at the start") << qint64(0) << "" << false << qint64(999) << qint64(-1)
                                  << "0 readings, 0:00:00 elapsed";
    QTest::newRow("one, time left rounded up")
        << qint64(1) << "1.23 m/s" << false << qint64(36000000 - 1) << qint64(1734601)
        << "1 reading, last 1.23 m/s, 9:59:59 elapsed, 0:28:55 left";
    QTest::newRow("days, meter away")
        << qint64(12) << "5" << true << qint64(90061000) << qint64(0)
        << "12 readings, meter disconnected, waiting, 1d 01:01:01 elapsed, 0:00:00 left";
}

void LogRulesTest::statusLine() {
    QFETCH(qint64, readings);
    QFETCH(QString, last);
    QFETCH(bool, away);
    QFETCH(qint64, elapsedMs);
    QFETCH(qint64, leftMs);
    QFETCH(QString, text);
    LogStatus status;
    status.readings = readings;
    status.last = last;
    status.away = away;
    status.elapsedMs = elapsedMs;
    if (leftMs >= 0)
        status.leftMs = leftMs;
    QCOMPARE(LogStatusText(status), text);
}

void LogRulesTest::outputFile_data() {
    QTest::addColumn<QByteArray>("before"); // "(missing)": no file
    QTest::addColumn<bool>("append");
    QTest::addColumn<QByteArray>("after");
    const QByteArray missing("(missing)");
    QTest::newRow("new") << missing << false << QByteArray("H\nr\n");
    QTest::newRow("replaced as a whole") << QByteArray("H\nold\n") << false << QByteArray("H\nr\n");
    QTest::newRow("append to a new file") << missing << true << QByteArray("H\nr\n");
    QTest::newRow("append to an empty file") << QByteArray("") << true << QByteArray("H\nr\n");
    QTest::newRow("append after a whole line")
        << QByteArray("H\n1\n") << true << QByteArray("H\n1\nr\n");
    QTest::newRow("append after a line cut short")
        << QByteArray("H\n1\n2,\"") << true << QByteArray("H\n1\n2,\"\nr\n");
}

void LogRulesTest::outputFile() {
    QFETCH(QByteArray, before);
    QFETCH(bool, append);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath("log.csv");
    const QString other = dir.filePath("other-name"); // a second name of the old file
    if (before != "(missing)") {
        QVERIFY(WriteFileBytes(path, before));
        QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()) ==
                0);
    }

    LogOutput output;
    QString error;
    QVERIFY2(output.OpenFile(path, append, "H\n", &error), qPrintable(error));
    // The heading is there before the first reading.
    QCOMPARE(ReadFileBytes(path), after.left(after.size() - 2));
    QVERIFY2(output.Write("r\n", &error), qPrintable(error));
    QVERIFY2(output.Close(&error), qPrintable(error));
    QCOMPARE(ReadFileBytes(path), after);
    // Appending writes into the same file; replacing leaves the old one whole under its other name
    // (a reader holding it open still reads it) and leaves no temporary file behind.
    if (before != "(missing)")
        QCOMPARE(ReadFileBytes(other), append ? after : before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
             before == "(missing)" ? 1 : 2);
}

void LogRulesTest::outputOverWhatIsThere_data() {
    QTest::addColumn<QString>("there"); // what the name is before the run
    QTest::addColumn<bool>("append");
    QTest::addColumn<QByteArray>("heading");
    QTest::addColumn<QByteArray>("after"); // what the file written holds; empty: refused
    QTest::newRow("link to a file") << "link" << false << QByteArray("H\n") << QByteArray("H\n");
    QTest::newRow("dangling link") << "dangling" << false << QByteArray("H\n") << QByteArray("H\n");
    QTest::newRow("file of mode 0640") << "0640" << false << QByteArray("H\n") << QByteArray("H\n");
    QTest::newRow("append, same heading")
        << "H" << true << QByteArray("H\n") << QByteArray("H\nr\n");
    QTest::newRow("append, other heading") << "G" << true << QByteArray("H\n") << QByteArray();
    QTest::newRow("append jsonl onto csv") << "H" << true << QByteArray() << QByteArray();
    QTest::newRow("append jsonl onto jsonl") << "{}" << true << QByteArray() << QByteArray("{}\n");
}

void LogRulesTest::outputOverWhatIsThere() {
    QFETCH(QString, there);
    QFETCH(bool, append);
    QFETCH(QByteArray, heading);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString target = dir.filePath("target.csv");
    const QString path = dir.filePath("today.csv");
    if (there == "link" || there == "dangling") {
        if (there == "link")
            QVERIFY(WriteFileBytes(target, "old\n"));
        QVERIFY(QFile::link(target, path));
    } else {
        QVERIFY(
            WriteFileBytes(path, there == "0640" ? QByteArray("old\n") : there.toUtf8() + '\n'));
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    }
    const QByteArray before = ReadFileBytes(path);
    LogOutput output;
    QString error;
    const bool opened = output.OpenFile(path, append, heading, &error);
    QCOMPARE(opened, !after.isEmpty());
    if (!opened) {
        QVERIFY(output.WrongContents());
        QCOMPARE(error, "'" + path + "' holds no " + (heading.isEmpty() ? "jsonl" : "csv") +
                            " lines of vantello-log; nothing is appended to it. Name another "
                            "file, or leave out --append to replace it.");
        QCOMPARE(ReadFileBytes(path), before);
        return;
    }
    if (append)
        QVERIFY(output.Write(heading.isEmpty() ? "" : "r\n", &error));
    QVERIFY2(output.Close(&error), qPrintable(error));
    const QString written = there == "link" || there == "dangling" ? target : path;
    QCOMPARE(ReadFileBytes(written), after);
    if (written == target)
        QVERIFY(QFileInfo(path).isSymLink()); // the link stays
    else
        QCOMPARE(QFileInfo(path).permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                     QFile::ReadGroup); // 0640 kept
}

void LogRulesTest::pathsAreQuotedInMessages() {
    QTemporaryDir dir;
    const QString path = dir.filePath("no/such\nfolder.csv");
    LogOutput output;
    QString error;
    QVERIFY(!output.OpenFile(path, false, "H\n", &error));
    QCOMPARE(error, "cannot create '" + dir.filePath("no/such\\nfolder.csv") +
                        "': No such file or directory");
    QCOMPARE(QuotedPath("a'b\\c\td\x1b"), QString("'a\\'b\\\\c\\td\\x1b'"));
}

void LogRulesTest::influxLines_data() {
    // A reading's parts, the port, and the line worked out by hand from the line protocol.
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("kind"); // ReadingKind
    QTest::addColumn<int>("unit"); // MeterUnit, -1 unknown
    QTest::addColumn<QString>("mode");
    QTest::addColumn<double>("temperature");
    QTest::addColumn<QString>("temperatureUnit"); // empty: unknown
    QTest::addColumn<double>("humidity");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("at");
    QTest::addColumn<QByteArray>("line");
    const int vel = int(ReadingKind::Velocity);
    const int ms = int(MeterUnit::MetresPerSecond);
    QTest::newRow("plain") << 1.23 << vel << ms << "" << 23.5 << "°C" << 45.6 << "/dev/ttyUSB0"
                           << "2026-12-10T09:00:00.123Z"
                           << QByteArray("vantello,kind=VEL,port=/dev/ttyUSB0,temperature_unit=°C,"
                                         "unit=m/s value=1.23,temperature=23.5,humidity=45.6 "
                                         "1796893200123000000\n");
    QTest::newRow("blank, comma, equals sign and a last backslash in the port")
        << 0.0 << vel << ms << "" << 0.0 << "°C" << 0.0 << "/dev/by id/a,b=c\\"
        << "2026-12-10T14:30:00+05:30"
        << QByteArray(
               "vantello,kind=VEL,port=/dev/by\\ id/a\\,b\\=c\\\\,temperature_unit=°C,unit=m/s "
               "value=0,temperature=0,humidity=0 1796893200000000000\n");
    QTest::newRow("control characters in the port")
        << 5.0 << vel << ms << "" << 20.0 << "°C" << 50.0 << "/tmp/a\nb\t"
        << "2026-12-10T09:00:00.123Z"
        << QByteArray("vantello,kind=VEL,port=/tmp/a_b_,temperature_unit=°C,unit=m/s value=5,"
                      "temperature=20,humidity=50 1796893200123000000\n");
    QTest::newRow("unknown kind, unit and port; dew point below zero")
        << 400.0 << int(ReadingKind::Unknown) << -1 << "DP" << -5.2 << "°F" << 0.1 << ""
        << "2026-12-10T09:00:00.123Z"
        << QByteArray("vantello,mode=DP,temperature_unit=°F value=400,temperature=-5.2,"
                      "humidity=0.1 1796893200123000000\n");
}

void LogRulesTest::influxLines() {
    QFETCH(double, value);
    QFETCH(int, kind);
    QFETCH(int, unit);
    QFETCH(QString, mode);
    QFETCH(double, temperature);
    QFETCH(QString, temperatureUnit);
    QFETCH(double, humidity);
    QFETCH(QString, port);
    QFETCH(QString, at);
    QFETCH(QByteArray, line);
    DecodedFrame reading;
    reading.value = value;
    reading.kind = ReadingKind(kind);
    if (unit >= 0)
        reading.unit = MeterUnit(unit);
    reading.modeLabel = mode;
    reading.temperature = temperature;
    if (!temperatureUnit.isEmpty())
        reading.temperatureUnit = temperatureUnit;
    reading.humidity = humidity;
    const QDateTime instant = QDateTime::fromString(at, Qt::ISODateWithMs);
    QCOMPARE(LogLine(LogFormat::Influx, 7, reading, instant, port), line);
    QVERIFY(LogHeading(LogFormat::Influx).isEmpty());
    QVERIFY(line.startsWith(LogLineStart(LogFormat::Influx)));
}

void LogRulesTest::influxEventLines_data() {
    // An event among the readings: texts as string fields, " and \\ escaped; tags as above.
    QTest::addColumn<bool>("note");
    QTest::addColumn<QString>("text"); // the rule or the note
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("alarm raised")
        << false << "velocity < 2.5 m/s for 30s"
        << QByteArray("vantello_event,change=raised,event=alarm,quantity=velocity,unit=m/s "
                      "rule=\"velocity < 2.5 m/s for 30s\",value=2.31 1796893200123000000\n");
    QTest::newRow("note with a quotation mark and a backslash")
        << true << "duct \"B\" at C:\\site"
        << QByteArray("vantello_event,event=note note=\"duct \\\"B\\\" at C:\\\\site\" "
                      "1796893200123000000\n");
}

void LogRulesTest::influxEventLines() {
    QFETCH(bool, note);
    QFETCH(QString, text);
    QFETCH(QByteArray, line);
    RunEvent event;
    event.at = QDateTime::fromString("2026-12-10T09:00:00.123Z", Qt::ISODateWithMs);
    if (note) {
        event.kind = RunEventKind::Note;
        event.note = text;
    } else {
        event.rule = text;
        event.quantity = "velocity";
        event.value = 2.31;
        event.unit = "m/s";
    }
    QCOMPARE(LogEventLine(LogFormat::Influx, event), line);
}

void LogRulesTest::eventLines_data() {
    QTest::addColumn<bool>("jsonl");
    QTest::addColumn<QString>("note"); // empty: a no-data alarm raised after 61.5 s
    QTest::addColumn<QByteArray>("line");
    const QByteArray at = "2026-12-09T18:40:07.000+01:00";
    QTest::newRow("no-data alarm, jsonl")
        << true << ""
        << R"({"event":"alarm","time":")" + at +
               R"(","change":"raised","rule":"no-data 60s","quantity":"no-data","value":61.5,)"
               R"("unit":"s","note":null})"
               "\n";
    QTest::newRow("note, jsonl: quotes, backslash")
        << true << R"(say "hi" \ bye)"
        << R"({"event":"note","time":")" + at +
               R"(","change":null,"rule":null,"quantity":null,"value":null,"unit":null,)"
               R"("note":"say \"hi\" \\ bye"})"
               "\n";
    QTest::newRow("note, csv: a formula never runs, quotes doubled")
        << false << R"(=HYPERLINK("x"))"
        << "\"" + at +
               R"c(","note","","","",,"","'=HYPERLINK(""x"")")c"
               "\n";
    QTest::newRow("no-data alarm, csv")
        << false << ""
        << "\"" + at +
               R"(","alarm","raised","no-data 60s","no-data",61.5,"s","")"
               "\n";
}

void LogRulesTest::eventLines() {
    QFETCH(bool, jsonl);
    QFETCH(QString, note);
    QFETCH(QByteArray, line);
    const QDateTime at =
        QDateTime::fromString(QStringLiteral("2026-12-09T18:40:07+01:00"), Qt::ISODate);
    RunEvent event = NoteEvent(note, at);
    if (note.isEmpty()) {
        event.kind = RunEventKind::Alarm;
        event.rule = QStringLiteral("no-data 60s");
        event.quantity = QStringLiteral("no-data");
        event.value = 61.5;
        event.unit = QStringLiteral("s");
    }
    QCOMPARE(LogEventLine(jsonl ? LogFormat::Jsonl : LogFormat::Csv, event), line);
}

QTEST_GUILESS_MAIN(LogRulesTest)
#include "LogRulesTest.moc"
