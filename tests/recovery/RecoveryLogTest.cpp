#include "recovery/RecoveryLog.h"
#include "recovery/EarlierRuns.h"
#include "recovery/RecoveryLogFile.h"
#include "recovery/RecoveryLogFormat.h"
#include "state/GVarMod.h"
#include "support/ScriptedSeams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <cstring>

namespace {

const QTimeZone kPlusOne(3600);

LoggedReading entry(int no, double value, const QString& data, const QString& kind,
                    QDateTime at = QDateTime(QDate(2026, 12, 9), QTime(10, 11, 12, 345),
                                             QTimeZone(3600))) {
    LoggedReading e;
    e.reading.No = no;
    e.reading.Value = value;
    e.reading.Data = data;
    e.reading.TRH = QString::fromUtf8(" 23.5°C 45.6%");
    e.reading.Unit = kind == u"FLOW" ? QStringLiteral("CFM") : QStringLiteral("m/s");
    e.reading.Time = QStringLiteral("12/9/26\\10:11:%1").arg(no % 60, 2, 10, QLatin1Char('0'));
    e.kind = kind;
    e.instant = at.addSecs(no);
    return e;
}

// A log of readings 1 ... count, as the writer lays it down.
QByteArray logBytes(int count, int firstValue = 1) {
    QByteArray bytes = RecoveryLogHeader();
    for (int n = 1; n <= count; ++n)
        bytes += RecoveryLogEntry(
            entry(n, firstValue + n, QString::number(firstValue + n), QStringLiteral("VEL")));
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void compareReadings(const Reading& got, const Reading& want) {
    QCOMPARE(got.No, want.No);
    QCOMPARE(std::memcmp(&got.Value, &want.Value, sizeof(double)), 0); // the same bits
    QCOMPARE(got.TRH, want.TRH);
    QCOMPARE(got.Unit, want.Unit);
    QCOMPARE(got.Data, want.Data);
    QCOMPARE(got.Time, want.Time);
}

// The stand-in for the main window's restore step: the next record of the table.
struct Table {
    GVarMod state;
    QStringList kinds;
    const Reading& restore(const LoggedReading& e) {
        Reading& r = state.AppendRecord();
        const std::int32_t no = r.No;
        r = e.reading;
        r.No = no;
        kinds << e.kind;
        return r;
    }
    RecoveryLog::RestoreStep step() {
        return [this](const LoggedReading& e) -> const Reading& {
            return restore(e);
        };
    }
};

QStringList logsIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("recovery-*")}, QDir::Files, QDir::Name);
}

} // namespace

class RecoveryLogTest : public QObject {
    Q_OBJECT
private slots:
    void entryLine();
    void entriesReadBackExactly_data();
    void entriesReadBackExactly();
    void tornOrBrokenEntriesEndTheReadings_data();
    void tornOrBrokenEntriesEndTheReadings();
    void tornLogRestoresEveryCompleteReadingAndGoesOn();
    void earlierRunsOfferedOldestFirstAndKeptAsCsv();
    void restoredLogGoesOnAndLaterOnesFollow();
    void logThatCannotBeMadeIsReportedOncePerLog();
};

void RecoveryLogTest::entryLine() {
    // CRC-32 of the line up to its last tab worked out on its own (zlib's crc32).
    const QByteArray want = "R\t7\t1.23\tVEL\t 23.5\xC2\xB0"
                            "C 45.6%\tm/s\t1.23\t12/9/26\\\\10:11:12\t"
                            "2026-12-09T10:11:12.345+01:00\t4cc8f738\n";
    LoggedReading e = entry(7, 1.23, QStringLiteral("1.23"), QStringLiteral("VEL"),
                            QDateTime(QDate(2026, 12, 9), QTime(10, 11, 5, 345), kPlusOne));
    e.reading.Time = QStringLiteral("12/9/26\\10:11:12");
    QCOMPARE(RecoveryLogEntry(e), want);
}

void RecoveryLogTest::entriesReadBackExactly_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text"); // TRH, Unit, Data and Time of the middle entry
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QDateTime>("at");

    const QDate day(2026, 12, 9);
    QTest::newRow("plain") << 12.5 << QStringLiteral("m/s") << QStringLiteral("VEL")
                           << QDateTime(day, QTime(0, 0), QTimeZone(0));
    QTest::newRow("escapes") << 0.1 << QStringLiteral("a\tb\\t\\\\c\r\nd\\") << QString()
                             << QDateTime(day, QTime(23, 59, 59, 999), QTimeZone(-5 * 3600 - 1800));
    QTest::newRow("non-latin") << 1e-7 << QString::fromUtf8("°F µ ✓ 温度") << QStringLiteral("FLOW")
                               << QDateTime(day, QTime(5, 45, 1, 7), QTimeZone(5 * 3600 + 2700));
    QTest::newRow("empty texts") << 65535.0 << QString() << QString()
                                 << QDateTime(day, QTime(12, 0), QTimeZone(14 * 3600));
    QTest::newRow("digits") << 0.1 + 0.2 << QStringLiteral("1,23") << QStringLiteral("VEL")
                            << QDateTime(day, QTime(1, 2, 3, 4), QTimeZone(-12 * 3600));
}

void RecoveryLogTest::entriesReadBackExactly() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QFETCH(QString, kind);
    QFETCH(QDateTime, at);

    LoggedReading middle;
    middle.reading = {2, value, text + u'1', text + u'2', text + u'3', text + u'4'};
    middle.kind = kind;
    middle.instant = at;
    const std::vector<LoggedReading> written{
        entry(1, 3, QStringLiteral("3"), QStringLiteral("VEL")), middle,
        entry(3, 4, QStringLiteral("4"), QString())};
    QByteArray bytes = RecoveryLogHeader();
    for (const LoggedReading& e : written)
        bytes += RecoveryLogEntry(e);
    QCOMPARE(bytes.count('\n'), 4); // one line each, whatever the texts hold

    const RecoveryLogContent read = ParseRecoveryLog(bytes);
    QVERIFY(read.recognised);
    QCOMPARE(read.intactSize, bytes.size());
    QCOMPARE(read.readings.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        compareReadings(read.readings[i].reading, written[i].reading);
        QCOMPARE(read.readings[i].kind, written[i].kind);
        QCOMPARE(read.readings[i].instant, written[i].instant);
        QCOMPARE(read.readings[i].instant.offsetFromUtc(), written[i].instant.offsetFromUtc());
    }
}

void RecoveryLogTest::tornOrBrokenEntriesEndTheReadings_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("readings");
    QTest::addColumn<bool>("recognised");

    const QByteArray two = logBytes(2);
    const QByteArray three = logBytes(3);
    const qsizetype endOfTwo = two.size();
    // Every cut inside the last entry, its LF included; the whole log reads all three.
    for (qsizetype cut = endOfTwo; cut < three.size(); ++cut)
        QTest::addRow("cut at %lld", qlonglong(cut)) << three.left(cut) << 2 << true;
    QTest::newRow("whole") << three << 3 << true;
    // A log cut off while its header was written holds nothing; a foreign file is not a log.
    for (qsizetype cut = 0; cut < RecoveryLogHeader().size(); ++cut)
        QTest::addRow("header cut at %lld", qlonglong(cut)) << three.left(cut) << 0 << true;
    QTest::newRow("foreign") << QByteArray("VANTELLO RECOVERY LOG 2\n") << 0 << false;

    QByteArray flipped = three;
    flipped[endOfTwo + 5] = flipped[endOfTwo + 5] ^ 0x01;
    QTest::newRow("a changed byte") << flipped << 2 << true;
    QByteArray zeros = two + QByteArray(40, '\0') + '\n';
    QTest::newRow("zeros after a power cut") << zeros << 2 << true;
    QTest::newRow("number out of sequence")
        << two + RecoveryLogEntry(entry(4, 1, QStringLiteral("1"), QString())) << 2 << true;
    QTest::newRow("later entries after a broken one")
        << two + "R\tbroken\n" + RecoveryLogEntry(entry(3, 1, QStringLiteral("1"), QString())) << 2
        << true;
}

void RecoveryLogTest::tornOrBrokenEntriesEndTheReadings() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, readings);
    QFETCH(bool, recognised);
    const RecoveryLogContent read = ParseRecoveryLog(bytes);
    QCOMPARE(read.recognised, recognised);
    QCOMPARE(int(read.readings.size()), readings);
    for (int i = 0; i < readings; ++i)
        compareReadings(read.readings[std::size_t(i)].reading,
                        entry(i + 1, i + 2, QString::number(i + 2), {}).reading);
    if (readings > 0)
        QCOMPARE(read.intactSize, logBytes(readings).size());
}

void RecoveryLogTest::tornLogRestoresEveryCompleteReadingAndGoesOn() {
    const QByteArray three = logBytes(3);
    const qsizetype endOfTwo = logBytes(2).size();
    for (qsizetype cut = endOfTwo; cut <= three.size(); ++cut) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("recovery-earlier.log"));
        QVERIFY(writeFile(path, three.left(cut)));
        const int complete = cut == three.size() ? 3 : 2;

        ScriptedMessages messages;
        messages.answers = {true};
        Table table;
        RecoveryLog log(dir.path(), messages);
        log.OfferEarlierRuns(table.state, table.step());
        log.StartRun();
        QCOMPARE(table.state.ReadingCount, complete);
        QCOMPARE(log.Path(), path); // the restored log goes on as this run's

        // The next reading starts a line of its own after the last complete entry.
        Reading& next = table.state.AppendRecord();
        next.Data = QStringLiteral("next");
        log.Append(next, QStringLiteral("FLOW"), QDateTime::currentDateTime());
        const RecoveryLogContent read = ParseRecoveryLog(readFile(path));
        QCOMPARE(int(read.readings.size()), complete + 1);
        QCOMPARE(read.intactSize, QFileInfo(path).size());
        for (int i = 0; i < complete; ++i)
            compareReadings(read.readings[std::size_t(i)].reading, table.state.Readings(i + 1));
        QCOMPARE(read.readings.back().reading.Data, QStringLiteral("next"));
        QCOMPARE(read.readings.back().kind, QStringLiteral("FLOW"));
        QCOMPARE(messages.shown.size(), 1); // the question only
    }
}

void RecoveryLogTest::earlierRunsOfferedOldestFirstAndKeptAsCsv() {
    QTemporaryDir dir;
    const QDateTime early(QDate(2026, 3, 1), QTime(8, 5, 9, 500), kPlusOne);
    const QDateTime late(QDate(2026, 3, 2), QTime(7, 0, 0), kPlusOne);
    // The later run sorts first by name.
    QByteArray older = RecoveryLogHeader();
    older += RecoveryLogEntry(entry(1, 1.25, QStringLiteral("1.25"), QStringLiteral("VEL"), early));
    older += RecoveryLogEntry(entry(2, 3, QStringLiteral("3"), QString(), early));
    QByteArray newer = RecoveryLogHeader();
    newer += RecoveryLogEntry(entry(1, 0.5, QStringLiteral("0.5"), QStringLiteral("FLOW"), late));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("recovery-b.log")), older));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("recovery-a.log")), newer));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("recovery-c.log")), RecoveryLogHeader()));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("recovery-d.log")), "not a log\n"));
    // A running program's log is not touched.
    RecoveryLogFile running;
    QString reason;
    QVERIFY(running.Create(dir.path(), &reason));
    QVERIFY(running.Append(RecoveryLogEntry(entry(1, 1, "1", {})), &reason));

    ScriptedMessages messages; // No to both
    Table table;
    RecoveryLog log(dir.path(), messages);
    log.OfferEarlierRuns(table.state, table.step());
    QCOMPARE(table.state.ReadingCount, 0);

    const QString first = dir.filePath(QStringLiteral("2026-03-01_08-05-10.csv"));
    const QString second = dir.filePath(QStringLiteral("2026-03-02_07-00-01.csv"));
    QCOMPARE(
        messages.shown,
        QStringList(
            {QStringLiteral("Readings from a run that did not end normally were "
                            "found: 2 readings, 12/9/26\\10:11:01 to 12/9/26\\10:11:02. "
                            "Restore them?"),
             "The readings of that run were kept in this file:\n" + QDir::toNativeSeparators(first),
             QStringLiteral("Readings from a run that did not end normally were "
                            "found: 1 readings, 12/9/26\\10:11:01 to "
                            "12/9/26\\10:11:01. Restore them?"),
             "The readings of that run were kept in this file:\n" +
                 QDir::toNativeSeparators(second)}));
    QCOMPARE(readFile(first), QByteArray("\"NO.\",\"T&RH\",\"DATA\",\"UNIT\",\"TIME\"\r\n"
                                         "1,\" 23.5\xB0"
                                         "C 45.6%\",1.25,\"m/s\",\"12/9/26\\10:11:01\"\r\n"
                                         "2,\" 23.5\xB0"
                                         "C 45.6%\",3,\"m/s\",\"12/9/26\\10:11:02\"\r\n"));
    QCOMPARE(readFile(second), QByteArray("\"NO.\",\"T&RH\",\"DATA\",\"UNIT\",\"TIME\"\r\n"
                                          "1,\" 23.5\xB0"
                                          "C 45.6%\",0.5,\"CFM\",\"12/9/26\\10:11:01\"\r\n"));
    // The kept runs and the empty log are gone; the foreign file and the running log stay.
    const QString runningName = QFileInfo(running.Path()).fileName();
    QStringList left{QStringLiteral("recovery-d.log"), runningName,
                     runningName + QStringLiteral(".lock")};
    left.sort();
    QCOMPARE(logsIn(dir.path()), left);

    // A second start finds nothing more to offer.
    ScriptedMessages again;
    RecoveryLog(dir.path(), again).OfferEarlierRuns(table.state, table.step());
    QVERIFY(again.shown.isEmpty());
}

void RecoveryLogTest::restoredLogGoesOnAndLaterOnesFollow() {
    QTemporaryDir dir;
    const QDateTime t0(QDate(2026, 3, 1), QTime(8, 0), kPlusOne);
    QByteArray first = RecoveryLogHeader();
    for (int n = 1; n <= 3; ++n)
        first += RecoveryLogEntry(entry(n, n, QString::number(n), QStringLiteral("VEL"), t0));
    QByteArray second = RecoveryLogHeader();
    for (int n = 1; n <= 2; ++n)
        second +=
            RecoveryLogEntry(entry(n, 10 * n, QString::number(10 * n), QString(), t0.addDays(1)));
    const QString firstPath = dir.filePath(QStringLiteral("recovery-1.log"));
    QVERIFY(writeFile(firstPath, first));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("recovery-2.log")), second));

    ScriptedMessages messages;
    messages.answers = {true, true};
    Table table;
    RecoveryLog log(dir.path(), messages);
    log.OfferEarlierRuns(table.state, table.step());
    log.StartRun();
    QCOMPARE(messages.shown.size(), 2);
    QCOMPARE(table.state.ReadingCount, 5);
    QCOMPARE(table.kinds, QStringList({"VEL", "VEL", "VEL", "", ""}));
    QCOMPARE(table.state.Readings(4).No, 4); // numbered on
    QCOMPARE(table.state.Readings(4).Data, QStringLiteral("10"));

    // One log holds all five, numbered as the table; the second log is gone.
    QCOMPARE(log.Path(), firstPath);
    QCOMPARE(logsIn(dir.path()), QStringList({"recovery-1.log", "recovery-1.log.lock"}));
    const RecoveryLogContent read = ParseRecoveryLog(readFile(firstPath));
    QCOMPARE(read.readings.size(), std::size_t(5));
    for (int n = 1; n <= 5; ++n)
        compareReadings(read.readings[std::size_t(n - 1)].reading, table.state.Readings(n));
    QCOMPARE(read.readings[4].instant, t0.addDays(1).addSecs(2));

    // "new" starts a fresh, empty log; a normal exit removes it with its lock.
    log.StartFresh();
    QVERIFY(!QFileInfo::exists(firstPath));
    QCOMPARE(ParseRecoveryLog(readFile(log.Path())).readings.size(), std::size_t(0));
    QCOMPARE(logsIn(dir.path()).size(), 2);
    log.EndRun();
    QCOMPARE(logsIn(dir.path()), QStringList());
}

void RecoveryLogTest::logThatCannotBeMadeIsReportedOncePerLog() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("state"));
    QVERIFY(writeFile(folder, "a file where the folder should be"));

    ScriptedMessages messages;
    RecoveryLog log(folder, messages);
    log.StartRun();
    Reading r;
    log.Append(r, {}, QDateTime::currentDateTime());
    log.Append(r, {}, QDateTime::currentDateTime());
    QVERIFY(messages.shown.isEmpty()); // shown after the current event, not inside it
    QCoreApplication::processEvents();
    const QString once = QStringLiteral("Readings are no longer written to the recovery log: no "
                                        "file can be made in %1 (the folder cannot be made). They "
                                        "are still kept in memory.")
                             .arg(QDir::toNativeSeparators(folder));
    QCOMPARE(messages.shown, QStringList{once});

    // The next fresh log tries again: still failing, it says so again; then it works.
    log.StartFresh();
    QCoreApplication::processEvents();
    QCOMPARE(messages.shown, QStringList({once, once}));
    QVERIFY(QFile::remove(folder));
    log.StartFresh();
    r.No = 1;
    log.Append(r, {}, QDateTime::currentDateTime());
    QCoreApplication::processEvents();
    QCOMPARE(messages.shown.size(), 2);
    QCOMPARE(ParseRecoveryLog(readFile(log.Path())).readings.size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(RecoveryLogTest)
#include "RecoveryLogTest.moc"
