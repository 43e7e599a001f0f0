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

#include <cstring>

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
    void tornLogRestoresEveryCompleteReadingAndGoesOn();
    void earlierRunsOldestFirst();
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

void RecoveryLogTest::tornLogRestoresEveryCompleteReadingAndGoesOn() {
    // Every cut inside the last entry; also what a power cut or a disk fault leaves.
    const QByteArray three = logOf(3);
    const qsizetype endOfTwo = logOf(2).size();
    QList<QByteArray> logs;
    for (qsizetype cut = endOfTwo; cut <= three.size(); ++cut)
        logs << three.left(cut);
    QByteArray changed = three;
    changed[endOfTwo + 5] = char(changed[endOfTwo + 5] ^ 1);
    logs << changed << logOf(2) + QByteArray(40, '\0') + '\n'
         << logOf(2) + RecoveryLogEntry(entry(4, QStringLiteral("4")))
         << logOf(2) + "R\tbroken\n" + RecoveryLogEntry(entry(3, QStringLiteral("3")));

    for (const QByteArray& bytes : logs) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("recovery-earlier.log"));
        QVERIFY(WriteFileBytes(path, bytes));
        const int complete = bytes == three ? 3 : 2;
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
        log.Append(next, QStringLiteral("FLOW"), kAt);
        const RecoveryLogContent read = ParseRecoveryLog(ReadFileBytes(path));
        QCOMPARE(int(read.readings.size()), complete + 1);
        QCOMPARE(read.intactSize, QFileInfo(path).size());
        for (int n = 1; n <= complete; ++n)
            compareEntries(read.readings[std::size_t(n - 1)],
                           entry(n, QString::number(n), QStringLiteral("VEL")));
        QCOMPARE(read.readings.back().reading.Data, QStringLiteral("next"));
    }
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
    QCOMPARE(messages.shown, QStringList({question.arg(3), question.arg(2), question.arg(1),
                                          "The readings of that run were kept in this file:\n" +
                                              QDir::toNativeSeparators(csv)}));
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

    QStringList left{"recovery-c.log", "recovery-c.log.lock", "recovery-f.log",
                     QFileInfo(running.Path()).fileName(),
                     QFileInfo(running.Path()).fileName() + ".lock"};
    left.sort();
    QCOMPARE(QDir(dir.path()).entryList({"recovery-*"}, QDir::Files, QDir::Name), left);
    log.EndRun();
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("recovery-c.log"))));
}

QTEST_GUILESS_MAIN(RecoveryLogTest)
#include "RecoveryLogTest.moc"
