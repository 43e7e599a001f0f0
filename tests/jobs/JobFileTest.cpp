// Job files against real files: what is written reads back, a killed writer loses no stored
// point, damaged and hostile files are refused with their reason and left as they were.

#include "support/JobFixtures.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <cstdio>

namespace {

void sql(const QString& path, const char* statement) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    QCOMPARE(sqlite3_exec(db, statement, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

QString makeJob(const QString& path, int tests) {
    JobOpening o = JobFile::Create(path, JobFor(QStringLiteral("Tower")));
    if (!o.file)
        qFatal("%s", qPrintable(o.error));
    for (int i = 0; i < tests; ++i)
        o.file->AddTest(SampleTest(kTestTypes[std::size_t(i) % kTestTypes.size()],
                                   QStringLiteral("G-%1").arg(i), 25));
    return path;
}

QStringList besideFiles(const QString& path) {
    QStringList found;
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        if (QFile::exists(path + QLatin1String(suffix)))
            found << QLatin1String(suffix);
    return found;
}

void compareRecords(const std::vector<PointRecord>& got, const std::vector<PointRecord>& want) {
    QCOMPARE(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        QCOMPARE(got[i].skipped, want[i].skipped);
        QCOMPARE(got[i].taken, want[i].taken);
    }
}

// The child the killed-writer case kills: stores points one by one into the job's first test and
// says the number of each once it is written.
int writePoints(const QString& path) {
    JobOpening o = JobFile::Open(path);
    if (!o.file)
        return 2;
    const qint64 id = o.file->Tests().front().id;
    for (int n = 0;; ++n) {
        const PointRecord r = TakenPoint(n);
        if (!o.file->StorePoint(id, n % 25, r, {}))
            return 3;
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}

} // namespace

class JobFileTest : public QObject {
    Q_OBJECT
private slots:
    void writtenAndReadBack();
    void killedWriterLosesNothingStored();
    void hostileFiles_data();
    void hostileFiles();
    void readOnlyFile();

private:
    QTemporaryDir m_dir;
};

void JobFileTest::writtenAndReadBack() {
    const QString path = m_dir.filePath(QStringLiteral("written.vantello"));
    JobInfo info = JobFor(QStringLiteral("Tower"));
    info.client = QStringLiteral("Ames & Co");
    info.site = QStringLiteral("Site 4");
    info.technician = QStringLiteral("J. Doe");
    info.instrument = Instrument{QStringLiteral("Make"), QStringLiteral("M1"), QStringLiteral("7"),
                                 ProbeType::Thermal,     QDate(2026, 1, 5),    QDate(2027, 1, 5)};
    info.air.pressureOrigin = PressureOrigin::Altitude;
    info.air.altitude = 1500;
    JobTest duct = SampleTest(TestType::DuctTraverse, QStringLiteral("AHU-1/D1"), 5);
    const JobTest hood = SampleTest(TestType::FumeHood, QStringLiteral("FH-2"), 0);
    {
        JobOpening o = JobFile::Create(path, info);
        QVERIFY2(o.file, qPrintable(o.error));
        duct.id = o.file->AddTest(duct);
        QVERIFY(duct.id != 0 && o.file->AddTest(hood) != 0);
        duct.records[7] = TakenPoint(3.25, 9, 22.0);
        duct.records[1].skipped = false;
        duct.summary = SummaryOf(duct.setup, duct.records, MeterUnit::MetresPerSecond);
        QVERIFY(o.file->StorePoint(duct.id, 7, duct.records[7], duct.summary));
        QVERIFY(o.file->StorePoint(duct.id, 1, duct.records[1], duct.summary));
        QVERIFY(!JobFile::Open(path).file); // one program at a time
    }
    JobOpening o = JobFile::Open(path);
    QVERIFY2(o.file && o.notice.isEmpty(), qPrintable(o.error));
    QCOMPARE(o.file->Info(), info);
    const std::vector<JobTestRow> rows = o.file->Tests();
    QCOMPARE(rows.size(), std::size_t(2));
    QCOMPARE(rows[0].tag, QStringLiteral("AHU-1/D1"));
    QCOMPARE(rows[0].summary, duct.summary);
    QCOMPARE(rows[1].type, TestType::FumeHood);
    const std::optional<JobTest> back = o.file->ReadTest(duct.id);
    QVERIFY(back);
    QCOMPARE(back->setup, duct.setup);
    QCOMPARE(back->people.notes, duct.people.notes);
    compareRecords(back->records, duct.records);
    // "Save job as": a copy that opens as a job of its own.
    const QString copy = m_dir.filePath(QStringLiteral("written copy.vantello"));
    QVERIFY2(o.file->CopyTo(copy), qPrintable(o.file->LastError()));
    QCOMPARE(JobFile::Open(copy).file->ReadTest(duct.id)->people.tag, duct.people.tag);
    QVERIFY(o.file->DeleteTest(duct.id));
    QCOMPARE(o.file->Tests().size(), std::size_t(1));
    QVERIFY(!o.file->ReadTest(duct.id));
}

void JobFileTest::killedWriterLosesNothingStored() {
    const QString path = makeJob(m_dir.filePath(QStringLiteral("killed.vantello")), 1);
    QProcess writer;
    writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--write-points"), path});
    int last = -1;
    while (last < 60 && writer.waitForReadyRead(10000))
        while (writer.canReadLine())
            last = writer.readLine().trimmed().toInt();
    QVERIFY2(last >= 60, writer.readAllStandardError().constData());
    writer.kill(); // SIGKILL: mid-write, with the WAL not checkpointed
    writer.waitForFinished();
    QVERIFY(QFile::exists(path + QStringLiteral("-wal")));

    JobOpening o = JobFile::Open(path);
    QVERIFY2(o.file, qPrintable(o.error));
    const std::optional<JobTest> t = o.file->ReadTest(o.file->Tests().front().id);
    // Every point holds at least the last value it was said to be written with.
    for (int k = 0; k < 25; ++k) {
        const int said = last - ((last - k) % 25 + 25) % 25;
        QVERIFY2(t->records[std::size_t(k)].taken->average >= said, qPrintable(QString::number(k)));
    }
}

void JobFileTest::hostileFiles_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("says");
    QTest::newRow("text") << "text"
                          << "is not a job file: it is not a database";
    QTest::newRow("empty") << "empty"
                           << "is not a job file: it is not a database";
    QTest::newRow("other program") << "foreign"
                                   << "a database of another program";
    QTest::newRow("cut mid-page") << "cut"
                                  << "is damaged: it is cut short";
    QTest::newRow("cut at a page") << "cut at page"
                                   << "is damaged: it is cut short";
    QTest::newRow("zeroed page") << "zeroed"
                                 << "is damaged";
    QTest::newRow("zeroed first page") << "zeroed first"
                                       << "is not a job file";
    QTest::newRow("newer version") << "newer"
                                   << "written by a newer version of Vantello (job file version 2; "
                                      "this version reads up to 1)";
}

void JobFileTest::hostileFiles() {
    QFETCH(QString, damage);
    QFETCH(QString, says);
    const QString path = m_dir.filePath(damage + QStringLiteral(".vantello"));
    if (damage == QStringLiteral("text")) {
        WriteFileBytes(path, "tag,type,size\r\nG-1,grille,600x150\r\n");
    } else if (damage == QStringLiteral("empty")) {
        WriteFileBytes(path, {});
    } else if (damage == QStringLiteral("foreign")) {
        sql(path, "CREATE TABLE t(x); INSERT INTO t VALUES (1);");
    } else {
        makeJob(path, 60);
        QByteArray bytes = ReadFileBytes(path);
        QVERIFY(bytes.size() > 8 * 4096);
        if (damage == QStringLiteral("cut"))
            bytes.truncate(bytes.size() / 2 + 100);
        else if (damage == QStringLiteral("cut at page"))
            bytes.truncate(4 * 4096);
        else if (damage == QStringLiteral("zeroed"))
            bytes.replace(4 * 4096, 4096, QByteArray(4096, '\0'));
        else if (damage == QStringLiteral("zeroed first"))
            bytes.replace(0, 4096, QByteArray(4096, '\0'));
        WriteFileBytes(path, bytes);
        if (damage == QStringLiteral("newer"))
            sql(path, "PRAGMA user_version=2");
    }
    const QByteArray before = ReadFileBytes(path);
    const JobOpening o = JobFile::Open(path);
    QVERIFY(!o.file);
    QVERIFY2(o.error.contains(says), qPrintable(o.error));
    QVERIFY2(o.error.contains(QDir::toNativeSeparators(path)), qPrintable(o.error));
    QCOMPARE(ReadFileBytes(path), before);
    QCOMPARE(besideFiles(path), QStringList());
}

void JobFileTest::readOnlyFile() {
    const QString path = makeJob(m_dir.filePath(QStringLiteral("read-only.vantello")), 2);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    if (QFileInfo(path).isWritable())
        QSKIP("This user may write any file (root): a read-only file cannot be made here.");
    const QByteArray before = ReadFileBytes(path);
    JobOpening o = JobFile::Open(path);
    QVERIFY2(o.file, qPrintable(o.error));
    QVERIFY(o.file->ReadOnly());
    QVERIFY2(o.notice.contains(QStringLiteral("is read-only")), qPrintable(o.notice));
    QCOMPARE(o.file->Tests().size(), std::size_t(2));
    QVERIFY(!o.file->StorePoint(o.file->Tests().front().id, 0, TakenPoint(1), {}));
    // "Save job as" continues in a copy that may be written.
    const QString copy = m_dir.filePath(QStringLiteral("copy.vantello"));
    QVERIFY2(o.file->CopyTo(copy), qPrintable(o.file->LastError()));
    o.file.reset();
    JobOpening c = JobFile::Open(copy);
    QVERIFY2(c.file && !c.file->ReadOnly(), qPrintable(c.error));
    QVERIFY(c.file->StorePoint(c.file->Tests().front().id, 0, TakenPoint(1), {}));
    QCOMPARE(ReadFileBytes(path), before);
    QCOMPARE(besideFiles(path), QStringList());
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--write-points") == 0)
        return writePoints(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    JobFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "JobFileTest.moc"
