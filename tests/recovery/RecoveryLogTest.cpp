#include "recovery/RecoveryLog.h"
#include "recovery/RecoveryLogFormat.h"
#include "state/GVarMod.h"
#include "support/ScriptedSeams.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <cmath>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

namespace {

const QDateTime kAt(QDate(2026, 3, 1), QTime(8, 5, 9, 500), QTimeZone(3600));

LoggedReading entry(int no, const QString& data, const QString& kind = {}, QDateTime at = kAt) {
    return {{no, data.toDouble() + 0.25, QString::fromUtf8(" 23.5°C 45.6%"),
             QStringLiteral("t%1").arg(no), QStringLiteral("m/s"), data},
            kind,
            at.addSecs(no)};
}

QByteArray logOf(int count, QDateTime at = kAt) {
    QByteArray bytes = RecoveryLogHeader();
    for (int n = 1; n <= count; ++n)
        bytes += RecoveryLogEntry(entry(n, QString::number(n), QStringLiteral("VEL"), at));
    return bytes;
}

void compareEntries(const LoggedReading& got, const LoggedReading& want) {
    const Reading& g = got.reading;
    const Reading& w = want.reading;
    QCOMPARE(std::memcmp(&g.Value, &w.Value, sizeof(double)), 0); // the same bits
    QCOMPARE(QStringList({QString::number(g.No), g.TRH, g.Unit, g.Data, g.Time, got.kind}),
             QStringList({QString::number(w.No), w.TRH, w.Unit, w.Data, w.Time, want.kind}));
    QCOMPARE(got.instant, want.instant);
    QCOMPARE(got.instant.offsetFromUtc(), want.instant.offsetFromUtc());
}

// The table as the main window fills it when it restores: the next record each time.
struct Table {
    GVarMod state;
    RecoveryLog::RestoreStep step() {
        return [this](const LoggedReading& e) -> const Reading& {
            Reading& r = state.AppendRecord();
            const std::int32_t no = r.No;
            r = e.reading;
            r.No = no;
            return r;
        };
    }
};

} // namespace

class RecoveryLogTest : public QObject {
    Q_OBJECT
private slots:
    void entriesReadBackExactly_data();
    void entriesReadBackExactly();
    void damagedLinesAreSkipped_data();
    void damagedLinesAreSkipped();
    void unreadableLogsAreSetAside_data();
    void unreadableLogsAreSetAside();
    void stateFolderTakesNoLinksAndNoStranger_data();
    void stateFolderTakesNoLinksAndNoStranger();
    void restoresWhatFitsKeepsTheRest();
    void oneQuestionForSeveralRuns_data();
    void oneQuestionForSeveralRuns();
    void earlierRunsOldestFirst();
    void eventsComeBackWithTheReadings();
    void eventsBeforeTheFirstReadingAreKeptAsCsv();
};

void RecoveryLogTest::entriesReadBackExactly_data() {
    QTest::addColumn<QString>("text"); // every text field of the middle entry
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("offset"); // of the instant from UTC, in seconds
    QTest::newRow("escapes") << QStringLiteral("a\tb\\t\\\\c\r\nd\\") << 0.1 << -(5 * 3600 + 1800);
    QTest::newRow("non-latin") << QString::fromUtf8("°F µ ✓ 温度") << 1e-7 << 5 * 3600 + 2700;
    QTest::newRow("empty") << QString() << 0.1 + 0.2 << 14 * 3600;
}

void RecoveryLogTest::entriesReadBackExactly() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(int, offset);
    // One line pinned as written by hand; its CRC-32 worked out on its own (zlib's crc32).
    LoggedReading pinned = entry(7, QStringLiteral("1.23"), QStringLiteral("VEL"));
    pinned.reading.Value = 1.23;
    pinned.reading.Time = QStringLiteral("12/9/26\\10:11:12");
    pinned.instant = QDateTime(QDate(2026, 12, 9), QTime(10, 11, 12, 345), QTimeZone(3600));
    QCOMPARE(RecoveryLogEntry(pinned), QByteArray("R\t7\t1.23\tVEL\t 23.5\xC2\xB0"
                                                  "C 45.6%\tm/s\t1.23\t12/9/26\\\\10:11:12\t"
                                                  "2026-12-09T10:11:12.345+01:00\t4cc8f738\n"));

    LoggedReading middle{{2, value, text + u'1', text + u'2', text + u'3', text + u'4'},
                         text,
                         QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59, 999), QTimeZone(offset))};
    const std::vector<LoggedReading> written{entry(1, QStringLiteral("3")), middle,
                                             entry(3, QStringLiteral("4"), QStringLiteral("FLOW"))};
    QByteArray bytes = RecoveryLogHeader();
    for (const LoggedReading& e : written)
        bytes += RecoveryLogEntry(e);
    QCOMPARE(bytes.count('\n'), 4); // one line each, whatever the texts hold

    const RecoveryLogContent read = ParseRecoveryLog(bytes);
    QCOMPARE(read.intactSize, bytes.size());
    QCOMPARE(read.readings.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i)
        compareEntries(read.readings[i], written[i]);
}

void RecoveryLogTest::damagedLinesAreSkipped_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("restored"); // the numbers of the readings restored
    QTest::addColumn<int>("skipped");
    QTest::addColumn<bool>("goesOn"); // the log goes on as this run's
    const auto upTo = [](int n) {
        QList<int> numbers;
        for (int k = 1; k <= n; ++k)
            numbers << k;
        return numbers;
    };
    // Every cut inside the last entry; also what a power cut or a disk fault leaves.
    const QByteArray three = logOf(3);
    const qsizetype endOfTwo = logOf(2).size();
    for (qsizetype cut = endOfTwo; cut < three.size(); ++cut)
        QTest::addRow("torn at %lld", qlonglong(cut)) << three.left(cut) << upTo(2) << 0 << true;
    QTest::newRow("whole") << three << upTo(3) << 0 << true;

    const auto with = [](int count, int at, const LoggedReading& replaced) {
        QByteArray bytes = RecoveryLogHeader();
        for (int n = 1; n <= count; ++n)
            bytes += n == at ? RecoveryLogEntry(replaced)
                             : RecoveryLogEntry(entry(n, QString::number(n), "VEL"));
        return bytes;
    };
    const auto flipped = [](QByteArray bytes, int line) {
        qsizetype at = 0;
        for (int k = 0; k < line; ++k)
            at = bytes.indexOf('\n', at) + 1;
        bytes[at + 5] = char(bytes[at + 5] ^ 1);
        return bytes;
    };
    QList<int> but500 = upTo(1000);
    but500.removeOne(500);
    QTest::newRow("1000, one bit of 500 flipped")
        << flipped(logOf(1000), 500) << but500 << 1 << false;
    QTest::newRow("1000, one bit of 1 flipped")
        << flipped(logOf(1000), 1) << upTo(1000).mid(1) << 1 << false;
    QTest::newRow("last line flipped") << flipped(three, 3) << upTo(2) << 1 << false;
    QTest::newRow("line of zeros") << logOf(2) + QByteArray(40, '\0') + '\n'
                                   << upTo(2) << 1 << false;
    QTest::newRow("broken line between")
        << logOf(2) + "R\tbroken\n" + RecoveryLogEntry(entry(3, "3", "VEL")) << upTo(3) << 1
        << false;
    QTest::newRow("a gap in the numbers")
        << logOf(2) + RecoveryLogEntry(entry(4, "4", "VEL")) << QList<int>{1, 2, 4} << 0 << false;
    // Events (alarms, notes) between readings are neither readings nor damage; a damaged one is.
    const QByteArray event = RecoveryLogEventEntry(NoteEvent(QStringLiteral("n"), kAt));
    QTest::newRow("events between")
        << RecoveryLogHeader() + event + logOf(2).mid(RecoveryLogHeader().size()) + event << upTo(2)
        << 0 << true;
    QTest::newRow("a damaged event")
        << logOf(2) + QByteArray(event).replace("\tn\t", "\tm\t") << upTo(2) << 1 << false;
    QTest::newRow("a number again")
        << logOf(2) + RecoveryLogEntry(entry(2, "2", "VEL")) << upTo(2) << 1 << false;

    // Readings the meter cannot send.
    const auto valued = [](double value) {
        LoggedReading e = entry(2, "2", "VEL");
        e.reading.Value = value;
        return e;
    };
    QTest::newRow("NaN") << with(3, 2, valued(std::nan(""))) << QList<int>{1, 3} << 1 << false;
    QTest::newRow("infinity") << with(3, 2, valued(HUGE_VAL)) << QList<int>{1, 3} << 1 << false;
    QTest::newRow("negative") << with(3, 2, valued(-0.5)) << QList<int>{1, 3} << 1 << false;
    QTest::newRow("beyond the meter's digits")
        << with(3, 2, valued(65535.5)) << QList<int>{1, 3} << 1 << false;
    QTest::newRow("the meter's largest") << with(3, 2, valued(65535)) << upTo(3) << 0 << true;
    const auto longTime = [](int length) {
        LoggedReading e = entry(2, "2", "VEL");
        e.reading.Time = QString(length, u'9');
        return e;
    };
    QTest::newRow("line just under 4 KiB") << with(3, 2, longTime(4000)) << upTo(3) << 0 << true;
    QTest::newRow("line over 4 KiB")
        << with(3, 2, longTime(4100)) << QList<int>{1, 3} << 1 << false;
    QTest::newRow("field of 1 MB")
        << with(3, 2, longTime(1 << 20)) << QList<int>{1, 3} << 1 << false;
}

void RecoveryLogTest::damagedLinesAreSkipped() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, restored);
    QFETCH(int, skipped);
    QFETCH(bool, goesOn);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("recovery-earlier.log"));
    QVERIFY(WriteFileBytes(path, bytes));
    ScriptedMessages messages;
    messages.answers = {true};
    Table table;
    RecoveryLog log(dir.path(), messages);
    log.OfferEarlierRuns(table.state, table.step());
    log.StartRun();

    QString question = QStringLiteral("Readings from a run that did not end normally were found: "
                                      "%1 readings, t%2 to t%3")
                           .arg(restored.size())
                           .arg(restored.first())
                           .arg(restored.last());
    if (skipped)
        question += QStringLiteral(" (%1 damaged lines of the log skipped)").arg(skipped);
    QCOMPARE(messages.shown, QStringList{question + ". Restore them?"});
    QCOMPARE(table.state.ReadingCount, restored.size());
    for (int k = 0; k < restored.size(); ++k)
        QCOMPARE(table.state.Readings(k + 1).Data, QString::number(restored[k]));
    // A log read whole goes on; otherwise the restored readings start a new one and the old
    // log goes, as nothing more of it can be read.
    QCOMPARE(log.Path() == path, goesOn);
    QCOMPARE(QFile::exists(path), goesOn);

    // The next reading starts a line of its own after the last complete entry.
    Reading& next = table.state.AppendRecord();
    next.Data = QStringLiteral("next");
    log.Append(next, QStringLiteral("FLOW"), kAt);
    const RecoveryLogContent read = ParseRecoveryLog(ReadFileBytes(log.Path()));
    QCOMPARE(read.readings.size(), std::size_t(restored.size() + 1));
    QCOMPARE(read.skipped, qint64(0));
    QCOMPARE(read.intactSize, QFileInfo(log.Path()).size());
    QCOMPARE(read.readings.back().reading.Data, QStringLiteral("next"));
    LoggedReading first = entry(restored[0], QString::number(restored[0]), "VEL");
    first.reading.No = 1; // numbered as the table numbers it
    compareEntries(read.readings[0], first);
}

void RecoveryLogTest::unreadableLogsAreSetAside_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("why");
    QByteArray later = "VANTELLO RECOVERY LOG 2\n";
    QByteArray oneMore = RecoveryLogHeader();
    for (int n = 1; n <= 3; ++n) {
        later += RecoveryLogEntry(entry(n, QString::number(n), "VEL"));
        // One field more, its checksum right: as a later version might write.
        QByteArray line = RecoveryLogEntry(entry(n, QString::number(n), "VEL"));
        line.chop(10);
        line += "\textra";
        oneMore +=
            line + '\t' +
            QByteArray::number(Crc32(line.constData(), line.size()), 16).rightJustified(8, '0') +
            '\n';
    }
    QTest::newRow("later version") << later << "a later version wrote it";
    QTest::newRow("a field more in every entry") << oneMore << "no intact reading in it";
    QTest::newRow("not a recovery log")
        << QByteArray("not a recovery log\n") << "no intact reading in it";
}

void RecoveryLogTest::unreadableLogsAreSetAside() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("recovery-earlier.log"));
    QVERIFY(WriteFileBytes(path, bytes));
    ScriptedMessages messages;
    messages.answers = {true};
    Table table;
    RecoveryLog log(dir.path(), messages);
    log.OfferEarlierRuns(table.state, table.step());
    const QString aside = path + QStringLiteral(".unreadable");
    QCOMPARE(messages.shown,
             QStringList{QStringLiteral("The recovery log '%1' cannot be read (%2); "
                                        "it was kept as '%3'.")
                             .arg(path, why, aside)});
    QCOMPARE(ReadFileBytes(aside), bytes);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(table.state.ReadingCount, 0);
}

void RecoveryLogTest::stateFolderTakesNoLinksAndNoStranger_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("log is a link to a file elsewhere") << "log link";
    QTest::newRow("dangling link named like the kept CSV") << "csv link";
    QTest::newRow("folder of another user") << "stranger";
}

void RecoveryLogTest::stateFolderTakesNoLinksAndNoStranger() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString folder = dir.filePath(QStringLiteral("vantello"));
    QVERIFY(QDir().mkpath(folder));
    const QString target = elsewhere.filePath(QStringLiteral("target"));
    const QString log = folder + QStringLiteral("/recovery-earlier.log");
    ScriptedMessages messages;
    Table table;
    if (kind == "log link") {
        QVERIFY(WriteFileBytes(target, logOf(2)));
        QVERIFY(QFile::link(target, log));
        messages.answers = {true};
        RecoveryLog recovery(folder, messages);
        recovery.OfferEarlierRuns(table.state, table.step());
        recovery.StartRun();
        QCOMPARE(messages.shown, QStringList{"'" + log +
                                             "' is a symbolic link, not a recovery log of "
                                             "this program; it was not followed and is "
                                             "left as it is."});
        QCOMPARE(table.state.ReadingCount, 0);
        QCOMPARE(ReadFileBytes(target), logOf(2));
        QVERIFY(QFileInfo(log).isSymLink());
    } else if (kind == "csv link") {
        QVERIFY(WriteFileBytes(log, logOf(2)));
        QVERIFY(QFile::link(target, folder + QStringLiteral("/2026-03-01_08-05-10.csv")));
        RecoveryLog recovery(folder, messages); // No: kept as CSV
        recovery.OfferEarlierRuns(table.state, table.step());
        const QString csv = folder + QStringLiteral("/2026-03-01_08-05-10-2.csv");
        QCOMPARE(messages.shown.value(1),
                 "The readings of that run were kept in this file:\n'" + csv + "'");
        QVERIFY(!QFile::exists(target));
        QCOMPARE(ReadFileBytes(csv).count("\r\n"), 3);
    } else {
        const passwd* nobody = getpwnam("nobody");
        if (geteuid() != 0 || !nobody)
            QSKIP("giving a folder to another user needs root and the user nobody");
        QVERIFY(WriteFileBytes(log, logOf(2)));
        QCOMPARE(chown(QFile::encodeName(folder).constData(), nobody->pw_uid, nobody->pw_gid), 0);
        RecoveryLog recovery(folder, messages);
        recovery.OfferEarlierRuns(table.state, table.step());
        recovery.StartRun();
        QTest::qWait(0); // the failed log is told after the current event
        const QString refusal = "the folder '" + folder + "' belongs to another user";
        QCOMPARE(messages.shown,
                 QStringList({"The recovery logs were not read: " + refusal + ".",
                              QStringLiteral("Readings are no longer written to the recovery "
                                             "log: no file can be made in '%1' (%2). They are "
                                             "still kept in memory.")
                                  .arg(folder, refusal)}));
        QCOMPARE(ReadFileBytes(log), logOf(2));
        QCOMPARE(recovery.Path(), QString());
    }
}

void RecoveryLogTest::restoresWhatFitsKeepsTheRest() {
    QTemporaryDir dir;
    const int count = kReadingLimit + 3;
    QVERIFY(WriteFileBytes(dir.filePath(QStringLiteral("recovery-big.log")), logOf(count)));
    ScriptedMessages messages;
    messages.answers = {true};
    Table table;
    RecoveryLog log(dir.path(), messages);
    log.OfferEarlierRuns(table.state, table.step());
    QCOMPARE(table.state.ReadingCount, kReadingLimit);
    QCOMPARE(table.state.Readings(kReadingLimit).Data, QString::number(kReadingLimit));
    const QString csv = dir.filePath(QStringLiteral("2026-03-01_21-58-30.csv")); // 50001 s on
    QCOMPARE(messages.shown.value(1), "3 of the readings did not fit in the table.\n\n"
                                      "The readings of that run were kept in this file:\n'" +
                                          csv + "'");
    const QList<QByteArray> rows = ReadFileBytes(csv).split('\n');
    QCOMPARE(rows.size(), 5); // heading, three rows, nothing after the last line end
    QVERIFY(rows[1].startsWith("50001,") && rows[3].startsWith("50003,"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("recovery-big.log"))));
    QCOMPARE(ParseRecoveryLog(ReadFileBytes(log.Path())).readings.size(),
             std::size_t(kReadingLimit));
}

void RecoveryLogTest::earlierRunsOldestFirst() {
    QTemporaryDir dir;
    // Names sort the other way round from the runs' first readings.
    QVERIFY(WriteFileBytes(dir.filePath(QStringLiteral("recovery-c.log")), logOf(3)));
    QVERIFY(
        WriteFileBytes(dir.filePath(QStringLiteral("recovery-b.log")), logOf(2, kAt.addDays(1))));
    QVERIFY(
        WriteFileBytes(dir.filePath(QStringLiteral("recovery-a.log")), logOf(1, kAt.addDays(2))));
    QVERIFY(WriteFileBytes(dir.filePath(QStringLiteral("recovery-e.log")), RecoveryLogHeader()));
    QVERIFY(WriteFileBytes(dir.filePath(QStringLiteral("recovery-f.log")), "not a recovery log\n"));
    ScriptedMessages otherMessages; // a running program's log is left alone
    RecoveryLog running(dir.path(), otherMessages);
    running.StartRun();

    ScriptedMessages messages;
    messages.answers = {true, true, false};
    Table table;
    RecoveryLog log(dir.path(), messages);
    log.OfferEarlierRuns(table.state, table.step());
    log.StartRun();
    const QString question = QStringLiteral("Readings from a run that did not end normally were "
                                            "found: %1 readings, t1 to t%1. Restore them?");
    const QString csv = dir.filePath(QStringLiteral("2026-03-03_08-05-10.csv"));
    const QString f = dir.filePath(QStringLiteral("recovery-f.log"));
    const QString listed =
        "Readings from 3 runs that did not end normally were found:\n3 readings, t1 to t3\n"
        "2 readings, t1 to t2\n1 readings, t1 to t1\n\nRestore them, or keep each run's readings "
        "as a CSV file?";
    QCOMPARE(messages.offered, QStringList{"Restore all|Keep all as CSV files|Decide for each"});
    QCOMPARE(messages.shown, QStringList({"The recovery log '" + f +
                                              "' cannot be read (no intact "
                                              "reading in it); it was kept as '" +
                                              f + ".unreadable'.",
                                          listed, question.arg(3), question.arg(2), question.arg(1),
                                          "The readings of that run were kept in this file:\n'" +
                                              QDir::toNativeSeparators(csv) + "'"}));
    QCOMPARE(ReadFileBytes(csv), QByteArray("\"NO.\",\"T&RH\",\"DATA\",\"UNIT\",\"TIME\"\r\n"
                                            "1,\" 23.5\xB0"
                                            "C 45.6%\",1.25,\"m/s\",\"t1\"\r\n"));

    // The oldest goes on as this run's log; the next one's readings follow on in it.
    QCOMPARE(log.Path(), dir.filePath(QStringLiteral("recovery-c.log")));
    const RecoveryLogContent read = ParseRecoveryLog(ReadFileBytes(log.Path()));
    QCOMPARE(read.readings.size(), std::size_t(5));
    LoggedReading followed = entry(2, QStringLiteral("2"), QStringLiteral("VEL"), kAt.addDays(1));
    followed.reading.No = 5;
    compareEntries(read.readings[4], followed);
    QCOMPARE(table.state.Readings(5).Data, QStringLiteral("2"));

    QStringList left{"recovery-c.log", "recovery-c.log.lock", "recovery-f.log.unreadable",
                     QFileInfo(running.Path()).fileName(),
                     QFileInfo(running.Path()).fileName() + ".lock"};
    left.sort();
    QCOMPARE(QDir(dir.path()).entryList({"recovery-*"}, QDir::Files, QDir::Name), left);
    log.EndRun();
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("recovery-c.log"))));
}

void RecoveryLogTest::oneQuestionForSeveralRuns_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("restored");
    QTest::addColumn<int>("csvFiles");
    QTest::newRow("restore all") << 0 << 20 * 3 << 0;
    QTest::newRow("keep all") << 1 << 0 << 20;
}

void RecoveryLogTest::oneQuestionForSeveralRuns() {
    QFETCH(int, choice);
    QFETCH(int, restored);
    QFETCH(int, csvFiles);
    QTemporaryDir dir;
    for (int run = 0; run < 20; ++run)
        QVERIFY(WriteFileBytes(dir.filePath(QStringLiteral("recovery-%1.log").arg(run)),
                               logOf(3, kAt.addDays(run))));
    ScriptedMessages messages;
    messages.choices = {choice};
    Table table;
    RecoveryLog log(dir.path(), messages);
    log.OfferEarlierRuns(table.state, table.step());
    log.EndRun();
    QCOMPARE(messages.offered.size(), 1); // one question, no other
    QCOMPARE(messages.shown.size(), 1 + csvFiles);
    QCOMPARE(messages.shown[0].count(QStringLiteral("3 readings, t1 to t3")), 20);
    QCOMPARE(table.state.ReadingCount, restored);
    QCOMPARE(QDir(dir.path()).entryList({"*.csv"}).size(), csvFiles);
    QCOMPARE(QDir(dir.path()).entryList({"recovery-*"}), QStringList());
}

void RecoveryLogTest::eventsComeBackWithTheReadings() {
    // Offered back with the readings, field for field (texts with tabs, backslashes and letters
    // beyond ASCII included); a log adopted keeps them, one restored into a new log gets them,
    // and a run kept as CSV has them beside it.
    RunEvent alarm;
    alarm.at = kAt.addSecs(2);
    alarm.change = AlarmChange::Cleared;
    alarm.rule = QStringLiteral("temperature > 30 °C hysteresis 0.5");
    alarm.quantity = QStringLiteral("temperature");
    alarm.value = 29.5;
    alarm.unit = QStringLiteral("°C");
    const RunEvent note = NoteEvent(QStringLiteral("fan\tC:\\duct  2 ✓"), kAt.addMSecs(2500));
    enum { Adopted, Restored, Kept };
    for (const int way : {Adopted, Restored, Kept}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("recovery-earlier.log"));
        QVERIFY(WriteFileBytes(path, logOf(2) + RecoveryLogEventEntry(alarm) +
                                         RecoveryLogEventEntry(note) +
                                         (way == Adopted ? QByteArray() : QByteArray("R\tx\n"))));
        ScriptedMessages messages;
        messages.answers = {way != Kept};
        Table table;
        RecoveryLog log(dir.path(), messages);
        std::vector<RunEvent> back;
        log.OfferEarlierRuns(table.state, table.step(),
                             [&](const RunEvent& e) { back.push_back(e); });
        log.StartRun();
        if (way == Kept) {
            const QString events =
                dir.filePath(QStringLiteral("2026-03-01_08-05-10.csv.events.csv"));
            QVERIFY2(messages.shown.last().endsWith("beside it:\n'" + events + "'"),
                     qPrintable(messages.shown.last()));
            QCOMPARE(
                ReadFileBytes(events),
                "\"TIME\",\"EVENT\",\"CHANGE\",\"RULE\",\"QUANTITY\",\"VALUE\",\"UNIT\",\"NOTE\"\n"
                "\"2026-03-01T08:05:11.500+01:00\",\"alarm\",\"cleared\",\"temperature > 30 °C "
                "hysteresis 0.5\",\"temperature\",29.5,\"°C\",\"\"\n"
                "\"2026-03-01T08:05:12.000+01:00\",\"note\",\"\",\"\",\"\",,\"\",\"fan C:\\duct 2 "
                "✓\"\n");
            QVERIFY(back.empty());
            continue;
        }
        QCOMPARE(table.state.ReadingCount, 2);
        QCOMPARE(log.Path() == path, way == Adopted);
        const RecoveryLogContent kept = ParseRecoveryLog(ReadFileBytes(log.Path()));
        for (const std::vector<RunEvent>& events : {back, kept.events}) {
            QCOMPARE(events.size(), std::size_t(2));
            const RunEvent& a = events[0];
            QCOMPARE(QStringList({a.KindText(), a.ChangeText(), a.rule, a.quantity, a.ValueText()}),
                     QStringList({"alarm", "cleared", alarm.rule, "temperature", "29.5 °C"}));
            QCOMPARE(a.at, alarm.at);
            QCOMPARE(events[1].note, QStringLiteral("fan C:\\duct 2 ✓"));
            QCOMPARE(events[1].at, note.at);
            QCOMPARE(events[1].kind, RunEventKind::Note);
        }
    }
}

void RecoveryLogTest::eventsBeforeTheFirstReadingAreKeptAsCsv() {
    // A no-data alarm raised while waiting for the meter comes before the run's first reading; a
    // stale events file of that name from before is left alone.
    QTemporaryDir dir;
    RunEvent waiting;
    waiting.at = kAt.addSecs(-30);
    waiting.rule = QStringLiteral("no data for 10 s");
    waiting.quantity = QStringLiteral("no-data");
    QVERIFY(WriteFileBytes(dir.filePath(QStringLiteral("recovery-earlier.log")),
                           logOf(2) + RecoveryLogEventEntry(waiting) + "R\tx\n"));
    const QString stale = dir.filePath(QStringLiteral("2026-03-01_08-05-10.csv.events.csv"));
    QVERIFY(WriteFileBytes(stale, "stale"));
    ScriptedMessages messages;
    messages.answers = {false};
    Table table;
    RecoveryLog log(dir.path(), messages);
    log.OfferEarlierRuns(table.state, table.step(), [](const RunEvent&) {});
    const QString events = dir.filePath(QStringLiteral("2026-03-01_08-05-10-2.csv.events.csv"));
    QVERIFY2(messages.shown.last().endsWith("beside it:\n'" + events + "'"),
             qPrintable(messages.shown.last()));
    QVERIFY(
        ReadFileBytes(events).contains("\"2026-03-01T08:04:39.500+01:00\",\"alarm\",\"raised\""));
    QCOMPARE(ReadFileBytes(stale), QByteArray("stale"));
}

QTEST_GUILESS_MAIN(RecoveryLogTest)
#include "RecoveryLogTest.moc"
