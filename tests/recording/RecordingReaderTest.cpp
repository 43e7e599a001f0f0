// The readers of every file the program writes, from snippets of each: good, torn at the end,
// broken in the middle, and files that are none of them.
#include "recording/RecordingReader.h"
#include "link/MeterFrame.h"
#include "logger/LogRows.h"
#include "recovery/RecoveryLogFormat.h"
#include "reports/CsvExportWriter.h"
#include "reports/TextReportWriter.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"

#include <QDateTime>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kHeading = R"("NO.","T&RH","DATA","UNIT","TIME")";

qint64 iso(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

// A wall-clock time read as it stands (files without an offset).
qint64 wall(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC).toMSecsSinceEpoch();
}

QByteArray jsonLine(int no, const char* time, const char* value, const char* unit = "\"m/s\"") {
    return QByteArray(R"({"no":)") + QByteArray::number(no) + R"(,"time":")" + time +
           R"(","value":)" + value + R"(,"data":")" + value + R"(","unit":)" + unit +
           R"(,"kind":"VEL","mode":"","temperature":23.4,"temperature_unit":"°C",)"
           R"("humidity":45.6,"trh":" 23.4°C 45.6%"})";
}

QByteArray recoveryEntry(int no, double value, const char* instant) {
    LoggedReading e;
    e.reading.No = no;
    e.reading.Value = value;
    e.reading.TRH = QStringLiteral(" 23.4\u00B0C 45.6%");
    e.reading.Unit = QStringLiteral("m/s");
    e.reading.Data = QString::number(value);
    e.reading.Time = QStringLiteral("12/9/26\\6:40:07 PM");
    e.kind = QStringLiteral("VEL");
    e.instant = QDateTime::fromString(QString::fromLatin1(instant), Qt::ISODateWithMs);
    return RecoveryLogEntry(e);
}

} // namespace

class RecordingReaderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void snippets_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("read");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("torn");
        QTest::addColumn<qint64>("errorLine");
        QTest::addColumn<QString>("format");
        QTest::addColumn<qint64>("firstMs");
        QTest::addColumn<double>("lastValue");
        QTest::addColumn<int>("runs");
        QTest::addColumn<bool>("hasDates");

        const QByteArray log1 = R"(1," 23.4°C 45.6%",12.34,"m/s","2026-12-09T18:40:07.123+01:00")";
        const QByteArray log2 = R"(2," 23.5°C 45.5%",12.5,"m/s","2026-12-09T18:40:08.123+01:00")";
        const QByteArray log3 = R"(3,"DP11.2°C 45.5%",3.25,"CFM","2026-12-09T18:40:09.123+01:00")";
        const qint64 first = iso("2026-12-09T18:40:07.123+01:00");
        QTest::newRow("log csv") << kHeading + '\n' + log1 + '\n' + log2 + '\n'
                                 << true << 2 << false << 0LL << "vantello-log CSV" << first << 12.5
                                 << 1 << true;
        QTest::newRow("log csv, a change of unit and mode starts a series")
            << kHeading + '\n' + log1 + '\n' + log2 + '\n' + log3 + '\n'
            << true << 3 << false << 0LL << "vantello-log CSV" << first << 3.25 << 2 << true;
        QTest::newRow("log csv, torn last line")
            << kHeading + '\n' + log1 + '\n' + log2 + '\n' + log3.left(20) << true << 2 << true
            << 0LL << "vantello-log CSV" << first << 12.5 << 1 << true;
        QTest::newRow("log csv, bad line in the middle")
            << kHeading + '\n' + log1 + "\n3,garbage\n" + log2 + '\n'
            << false << 1 << false << 3LL << "vantello-log CSV" << first << 12.34 << 1 << true;
        QTest::newRow("log csv, out of time order")
            << kHeading + '\n' + log2 + '\n' + log1 + '\n'
            << true << 2 << false << 0LL << "vantello-log CSV" << first << 12.5 << 1 << true;

        // The export: Windows-1252, CR LF, the locale's date and time.
        QTest::newRow("export csv") << kHeading + "\r\n" + "1,\" 23.4\xB0" +
                                           "C 45.6%\",12.34,\"m/s\",\"12/9/26\\6:40:07 PM\"\r\n"
                                    << true << 1 << false << 0LL << "CSV export"
                                    << wall(2026, 12, 9, 18, 40, 7) << 12.34 << 1 << true;
        QTest::newRow("export csv written in another locale (decimal commas, d.m.y)")
            << kHeading + "\r\n" + "1,\" 23,4\xB0" +
                   "C 45,6%\",0.5,\"ft/s\",\"09.12.26\\18:40:07\"\r\n"
            << true << 1 << false << 0LL << "CSV export" << wall(2026, 12, 9, 18, 40, 7) << 0.5 << 1
            << true;

        const QByteArray j1 = jsonLine(1, "2026-12-09T18:40:07.123+01:00", "12.34");
        const QByteArray j2 = jsonLine(2, "2026-12-09T18:40:08.123+01:00", "7", "null");
        QTest::newRow("json lines")
            << j1 + '\n' + j2 + '\n'
            << true << 2 << false << 0LL << "vantello-log JSON lines" << first << 7.0 << 2 << true;
        // The logger's events (a note first, an alarm between) are no readings.
        QTest::newRow("json lines with events among them")
            << R"({"event":"note","time":"2026-12-09T18:40:06.000+01:00","change":null,"rule":null,)"
               R"("quantity":null,"value":null,"unit":null,"note":"start"})"
               "\n" +
                   j1 +
                   "\n"
                   R"({"event":"alarm","time":"2026-12-09T18:40:07.200+01:00","change":"raised",)"
                   R"("rule":"velocity > 10","quantity":"velocity","value":12.34,"unit":"m/s",)"
                   R"("note":null})"
                   "\n" +
                   j2 + '\n'
            << true << 2 << false << 0LL << "vantello-log JSON lines" << first << 7.0 << 2 << true;
        QTest::newRow("json lines, torn last line")
            << j1 + '\n' + j2.left(j2.size() - 9) << true << 1 << true << 0LL
            << "vantello-log JSON lines" << first << 12.34 << 1 << true;
        QTest::newRow("json lines, bad line in the middle")
            << j1 + '\n' + jsonLine(2, "yesterday", "1") + '\n' + j2 + '\n'
            << false << 1 << false << 2LL << "vantello-log JSON lines" << first << 12.34 << 1
            << true;

        // The text report: a title, an empty line, zoned lines (an unknown unit left empty).
        const QByteArray title = "Brisel Data Report  12/9/26      6:45:00 PM\r\n\r\n";
        QTest::newRow("text report")
            << title + " 1            23.4\xB0" +
                   "C 45.6%  12.34         m/s           12/9/26\\6:40:07 PM\r\n" +
                   " 2            23.4\xB0" +
                   "C 45.6%  8.5                         12/9/26\\6:40:08 PM\r\n"
            << true << 2 << false << 0LL << "text report" << wall(2026, 12, 9, 18, 40, 7) << 8.5
            << 2 << true;
        QTest::newRow("text report with times of day only, past midnight")
            << title + " 1            23.4\xB0" +
                   "C 45.6%  1             m/s           23:59:59\r\n" + " 2            23.4\xB0" +
                   "C 45.6%  2             m/s           0:00:01\r\n"
            << true << 2 << false << 0LL << "text report" << 86399000LL << 2.0 << 1 << false;
        QTest::newRow("text report, bad line in the middle")
            << title + " 1            23.4\xB0" +
                   "C 45.6%  1             m/s           23:59:59\r\n" +
                   " 2            hot  2   m/s  0:00:01\r\n" + " 3            23.4\xB0" +
                   "C 45.6%  2             m/s           0:00:01\r\n"
            << false << 1 << false << 4LL << "text report" << 86399000LL << 1.0 << 1 << false;

        const QByteArray r1 = recoveryEntry(1, 1.5, "2026-12-09T18:40:07.123+01:00");
        const QByteArray r2 = recoveryEntry(2, 2.5, "2026-12-09T18:40:08.123+01:00");
        const QByteArray r3 = recoveryEntry(3, 3.5, "2026-12-09T18:40:09.123+01:00");
        QByteArray broken = r2;
        broken[10] = '9';
        QTest::newRow("recovery log") << RecoveryLogHeader() + r1 + r2 << true << 2 << false << 0LL
                                      << "recovery log" << first << 2.5 << 1 << true;
        QTest::newRow("recovery log with an event between")
            << RecoveryLogHeader() + r1 +
                   RecoveryLogEventEntry(
                       NoteEvent(QStringLiteral("a note"), QDateTime::fromMSecsSinceEpoch(first))) +
                   r2
            << true << 2 << false << 0LL << "recovery log" << first << 2.5 << 1 << true;
        QTest::newRow("recovery log, torn last line")
            << RecoveryLogHeader() + r1 + r2.left(30) << true << 1 << true << 0LL << "recovery log"
            << first << 1.5 << 1 << true;
        // The log's own rule: a damaged entry is skipped (and said), reading goes on.
        QTest::newRow("recovery log, bad line in the middle")
            << RecoveryLogHeader() + r1 + broken + r3 << true << 2 << false << 0LL << "recovery log"
            << first << 3.5 << 1 << true;

        QTest::newRow("empty file")
            << QByteArray() << false << 0 << false << 0LL << QString() << 0LL << 0.0 << 0 << true;
        QTest::newRow("binary file")
            << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20) << false << 0 << false
            << 0LL << QString() << 0LL << 0.0 << 0 << true;
        QTest::newRow("text of another program")
            << QByteArray("hello\nworld\n") << false << 0 << false << 2LL << "text report" << 0LL
            << 0.0 << 0 << true;
        QByteArray manyUnits = kHeading + '\n';
        for (int i = 0; i < 300; ++i)
            manyUnits += "1,\" 20°C 50%\",1,\"u" + QByteArray::number(i) +
                         "\",\"2026-12-09T18:40:07.123+01:00\"\n";
        QTest::newRow("a unit on every line (hostile)")
            << manyUnits << false << 256 << false << 258LL << "vantello-log CSV"
            << iso("2026-12-09T18:40:07.123+01:00") << 1.0 << 256 << true;
        QTest::newRow("csv heading only")
            << kHeading + '\n'
            << false << 0 << false << 0LL << QString() << 0LL << 0.0 << 0 << true;
    }

    void snippets() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, read);
        QFETCH(int, count);
        QFETCH(bool, torn);
        QFETCH(qint64, errorLine);
        QFETCH(QString, format);
        QFETCH(qint64, firstMs);
        QFETCH(double, lastValue);
        QFETCH(int, runs);
        QFETCH(bool, hasDates);

        const ReadOutcome out = ReadRecordingBytes(bytes, QStringLiteral("probe.csv"));
        const Recording& r = out.recording;
        QCOMPARE(out.status == ReadOutcome::Status::Read, read);
        QCOMPARE(int(r.size()), count);
        QCOMPARE(r.tornLastLine, torn);
        QCOMPARE(out.errorLine, errorLine);
        if (!read) {
            // The message names the file, the line when there is one, and why.
            const QString where = errorLine > 0
                                      ? QStringLiteral("probe.csv, line %1: ").arg(errorLine)
                                      : QStringLiteral("probe.csv: ");
            QVERIFY2(out.error.startsWith(where) && out.error.size() > where.size() + 5,
                     qPrintable(out.error));
        }
        if (count == 0)
            return;
        QCOMPARE(r.format, format);
        QCOMPARE(r.times.front(), firstMs);
        QCOMPARE(r.values.back(), lastValue);
        QCOMPARE(int(r.runs.size()), runs);
        QCOMPARE(r.hasDates, hasDates);
        QVERIFY(std::is_sorted(r.times.begin(), r.times.end()));
        QCOMPARE(int(r.summaries.size()), runs);
    }

    void temperatureAndHumidity_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<float>("temperature");
        QTest::addColumn<float>("humidity");
        QTest::newRow("utf-8, normal") << QByteArray(" 23.4°C 45.6%") << true << ""
                                       << "°C" << 23.4f << 45.6f;
        QTest::newRow("windows-1252, dew point, F") << QByteArray("DP12.1\xB0"
                                                                  "F 45%")
                                                    << true << "DP"
                                                    << "°F" << 12.1f << 45.0f;
        QTest::newRow("wet bulb below zero, commas") << QByteArray("WB-3,5°C 80,1%") << true << "WB"
                                                     << "°C" << -3.5f << 80.1f;
        QTest::newRow("unknown unit code") << QByteArray(" 23.4 45.6%") << true << ""
                                           << "" << 23.4f << 45.6f;
        QTest::newRow("no humidity") << QByteArray(" 23.4°C") << false << ""
                                     << "" << 0.f << 0.f;
        QTest::newRow("words") << QByteArray("warm and damp") << false << ""
                               << "" << 0.f << 0.f;
    }

    void temperatureAndHumidity() {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        TrhPieces p;
        QCOMPARE(ParseTrh(text, &p), ok);
        if (!ok)
            return;
        QFETCH(QString, mode);
        QFETCH(QString, unit);
        QFETCH(float, temperature);
        QFETCH(float, humidity);
        QCOMPARE(p.mode, mode);
        QCOMPARE(p.temperatureUnit, unit);
        QCOMPARE(p.temperature, temperature);
        QCOMPARE(p.humidity, humidity);
    }

    // The program's own report and export, written in several locales, read back in the same
    // locale and in another.
    void programsOwnFiles() {
        for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::English, QLocale::UnitedKingdom)}) {
            QLocale::setDefault(locale);
            GVarMod state;
            const QDateTime at(QDate(2026, 12, 9), QTime(18, 40, 7));
            MeterFrameFields f;
            f.decimalCode = 3;
            f.valueMagnitude = 1234;
            f.temperatureMagnitude = 234;
            f.humidityTenths = 456;
            for (int i = 0; i < 3; ++i) {
                const DecodedFrame d = DecodeFrame(EncodeFrame(f));
                Reading& r = state.AppendRecord();
                r.Value = d.value;
                r.Data = d.dataText;
                r.TRH = d.trhText;
                r.Unit = d.UnitText().value_or(QString());
                r.Time = ReadingTimeText(at.addSecs(i));
            }
            const QByteArray report =
                TextReportBytes(state, QStringLiteral("Brisel Data Report"), at);
            const QByteArray csv = CsvExportBytes(state);
            // vantello-log's lines, whatever the locale: instants with their offset.
            QByteArray logCsv = LogHeading(LogFormat::Csv);
            QByteArray logJson = LogHeading(LogFormat::Jsonl);
            const QDateTime instant(at.date(), at.time(), Qt::OffsetFromUTC, 0);
            for (int i = 0; i < 3; ++i) {
                logCsv +=
                    LogLine(LogFormat::Csv, i + 1, DecodeFrame(EncodeFrame(f)), instant.addSecs(i));
                logJson += LogLine(LogFormat::Jsonl, i + 1, DecodeFrame(EncodeFrame(f)),
                                   instant.addSecs(i));
            }
            for (const bool same : {true, false}) {
                if (!same)
                    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
                for (const QByteArray& bytes : {report, csv, logCsv, logJson}) {
                    const ReadOutcome out = ReadRecordingBytes(bytes, QStringLiteral("own"));
                    QVERIFY2(out.status == ReadOutcome::Status::Read,
                             qPrintable(locale.name() + u' ' + out.error));
                    const Recording& r = out.recording;
                    QCOMPARE(int(r.size()), 3);
                    QCOMPARE(r.times.front(), wall(2026, 12, 9, 18, 40, 7));
                    QCOMPARE(r.times.back() - r.times.front(), 2000LL);
                    QCOMPARE(r.values.front(), 12.34);
                    QCOMPARE(r.temperatures.front(), 23.4f);
                    QCOMPARE(r.humidities.front(), 45.6f);
                    QCOMPARE(r.seriesKeys.front().unit, QStringLiteral("m/s"));
                }
            }
        }
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // What only a file on disk has: a folder, a line that never ends, a cancelled read.
    void files() {
        QTemporaryDir dir;
        QCOMPARE(ReadRecordingFile(dir.path()).status, ReadOutcome::Status::Failed);

        QFile endless(dir.filePath(QStringLiteral("endless.csv")));
        QVERIFY(endless.open(QIODevice::WriteOnly));
        endless.write(kHeading + '\n' + QByteArray(3 << 20, 'x'));
        endless.close();
        const ReadOutcome longLine = ReadRecordingFile(endless.fileName());
        QCOMPARE(longLine.status, ReadOutcome::Status::Failed);
        QCOMPARE(longLine.errorLine, 2LL);

        ReadProgress progress;
        progress.cancel = true;
        QCOMPARE(ReadRecordingFile(endless.fileName(), &progress).status,
                 ReadOutcome::Status::Cancelled);
    }
};

QTEST_GUILESS_MAIN(RecordingReaderTest)
#include "RecordingReaderTest.moc"
