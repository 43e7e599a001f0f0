#include "link/MeterFrame.h"
#include "reports/AtomicFileWriter.h"
#include "reports/TextReportWriter.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"
#include "support/FullDisk.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
void addReading(GVarMod& s, const QString& trh, const QString& data, const QString& unit,
                const QString& time) {
    Reading& r = s.AppendRecord();
    r.TRH = trh;
    r.Data = data;
    r.Unit = unit;
    r.Time = time;
}
const QDateTime kSaved(QDate(2014, 5, 6), QTime(10, 11, 12));
} // namespace

class TextReportTest : public QObject {
    Q_OBJECT
private slots:
    // 8-character short date and time, as in the worked example.
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void workedExample();
    void titlesPadToTheDateZone();
    void longItemsPushOnlyTheirLine();
    void recordNumberColumns();
    void emptyAndSingle();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void unwritablePathReportsWhy();
    void writableFileInAReadOnlyFolder();
    void swedishNegativeTemperatures();
};

void TextReportTest::workedExample() {
    GVarMod s;
    const QString t1 = QString::fromUtf8(" 23.5°C 45.6%");   // 13 characters
    const QString s1 = QStringLiteral("06.05.14\\10:11:12"); // 17 characters
    addReading(s, t1, "1.23", "m/s", s1);
    addReading(s, QString::fromUtf8("DP-5.2°F 60.1"), "1.25", "m/s", s1);

    const QByteArray line1 = "Brisel Data Logger" + QByteArray(10, ' ') + "06.05.14" +
                             QByteArray(6, ' ') + "10:11:12\r\n";
    const QByteArray line3 = " 1 " + QByteArray(11, ' ') +
                             " 23.5\xB0"
                             "C 45.6%" +
                             " " + "1.23" + QByteArray(10, ' ') + "m/s" + QByteArray(11, ' ') +
                             "06.05.14\\10:11:12\r\n";
    const QByteArray line4 = " 2 " + QByteArray(11, ' ') +
                             "DP-5.2\xB0"
                             "F 60.1" +
                             " " + "1.25" + QByteArray(10, ' ') + "m/s" + QByteArray(11, ' ') +
                             "06.05.14\\10:11:12\r\n";
    QCOMPARE(TextReportBytes(s, "Brisel Data Logger", kSaved), line1 + "\r\n" + line3 + line4);

    QTemporaryDir dir;
    const QString path = dir.filePath("report.txt");
    QVERIFY(WriteTextReport(s, path, "Brisel Data Logger", nullptr, kSaved));
    QCOMPARE(ReadFileBytes(path), line1 + "\r\n" + line3 + line4);
}

void TextReportTest::titlesPadToTheDateZone() {
    GVarMod s;
    for (const char* title :
         {"Anemometer Data Report", "Brisel Data Report", "Brisel Data Logger"}) {
        const QByteArray head = TextReportBytes(s, title, kSaved).split('\r').first();
        QCOMPARE(head.indexOf("06.05.14"), 28);
        QCOMPARE(head.indexOf("10:11:12"), 42);
        QVERIFY(head.startsWith(title));
    }
}

void TextReportTest::longItemsPushOnlyTheirLine() {
    GVarMod s;
    addReading(s, QString(14, u'x'), "1", "CFM", "t"); // TRH reaches the next zone start
    addReading(s, QString(27, u'y'), "2", "CFM", "t"); // still within the pushed zone
    addReading(s, QString(13, u'z'), "3", "CFM", "t"); // fits its zone
    const QList<QByteArray> lines = TextReportBytes(s, "T", kSaved).split('\n');
    QCOMPARE(lines[2].indexOf("1 "), 1);
    QCOMPARE(lines[2].indexOf(" 1", 20), 41); // Data moved from column 28 to 42
    QCOMPARE(lines[2].indexOf("CFM"), 56);
    QCOMPARE(lines[3].indexOf(" 2", 20), 41);
    QCOMPARE(lines[4].indexOf(" 3", 20), 27); // Data back at column 28
    QCOMPARE(lines[4].indexOf("CFM"), 42);
    QCOMPARE(lines[4], QByteArray(" 3 " + QByteArray(11, ' ') + QByteArray(13, 'z') + " 3" +
                                  QByteArray(13, ' ') + "CFM" + QByteArray(11, ' ') + "t\r"));
}

void TextReportTest::recordNumberColumns() {
    GVarMod s;
    for (int i = 0; i < 10000; ++i)
        addReading(s, "trh", "d", "u", "t");
    const QList<QByteArray> lines = TextReportBytes(s, "T", kSaved).split('\n');
    QVERIFY(lines[2].startsWith(" 1 " + QByteArray(11, ' ') + "trh"));
    QVERIFY(lines[10001].startsWith(" 10000 " + QByteArray(7, ' ') + "trh"));
    QCOMPARE(lines.size(), 2 + 10000 + 1); // the last line ends with CR LF too
    QVERIFY(lines.last().isEmpty());
}

void TextReportTest::emptyAndSingle() {
    GVarMod s;
    addReading(s, "trh", "1", "u", "t");
    s.ResetReadings(); // the old record stays, but nothing is written after a reset
    QCOMPARE(TextReportBytes(s, "T", kSaved).count("\r\n"), 2);
    addReading(s, "trh", "1", "u", "t");
    const QByteArray one = TextReportBytes(s, "T", kSaved);
    QCOMPARE(one.count("\r\n"), 3);
    QCOMPARE(one.count('\n'), 3); // no bare line feeds
    QVERIFY(one.endsWith("t\r\n"));
}

void TextReportTest::failedWriteKeepsOldFile_data() {
    QTest::addColumn<bool>("tmpfs"); // else a 1 KiB file-size limit in a child process
    QTest::addColumn<int>("size");   // of the new contents
    QTest::addColumn<bool>("written");
    for (const int size : {1271, 5000, 20000}) {
        QTest::addRow("size limit, %d bytes", size) << false << size << false;
        QTest::addRow("full tmpfs, %d bytes", size) << true << size << false;
    }
    QTest::newRow("size limit, fits") << false << 1000 << true;
}

void TextReportTest::failedWriteKeepsOldFile() {
    QFETCH(bool, tmpfs);
    QFETCH(int, size);
    QFETCH(bool, written);
    // The contents lie in the writer's buffer when the disk runs out of room: the save fails and
    // the file saved before stays whole.
    SmallTmpfs disk(16 * 1024);
    QTemporaryDir dir;
    if (tmpfs && !disk.Mounted())
        QSKIP("no tmpfs can be mounted here (needs root)");
    const QString folder = tmpfs ? disk.Path() : dir.path();
    const QString path = folder + QStringLiteral("/keep.txt");
    const QByteArray old(3300, 'o');
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(old), old.size());
    }
    const QByteArray bytes(size, 'n');
    QString error;
    bool ok = false;
    if (tmpfs) {
        disk.Fill();
        ok = WriteFileAtomically(path, bytes, &error);
        QVERIFY(ok || !error.isEmpty());
        QFile::remove(disk.FilePath(QStringLiteral("filler")));
    } else {
        const int status =
            WithFileSizeLimit(1024, [&] { return WriteFileAtomically(path, bytes, &error); });
        QVERIFY(status == 0 || status == 1);
        ok = status == 0;
    }
    QCOMPARE(ok, written);
    QCOMPARE(ReadFileBytes(path), written ? bytes : old);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"keep.txt"}); // no leftovers
}

void TextReportTest::unwritablePathReportsWhy() {
    GVarMod s;
    addReading(s, "trh", "1", "u", "t");
    QString error;
    QVERIFY(!WriteTextReport(s, "/nonexistent-dir/x/report.txt", "T", &error, kSaved));
    QVERIFY(!error.isEmpty());
}

void TextReportTest::writableFileInAReadOnlyFolder() {
    // The folder is not the user's to write, the file in it is: the user saves over the file. As
    // root may write anywhere, the save runs in a child process that is an unprivileged user.
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() == 0 && !nobody)
        QSKIP("running as root and there is no user \"nobody\" to drop to");
    QTemporaryDir dir;
    const QString folder = dir.filePath("shared");
    const QString path = folder + "/report.txt";
    QVERIFY(QDir().mkdir(folder));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    const QByteArray folderName = QFile::encodeName(folder);
    const QByteArray fileName = QFile::encodeName(path);
    QCOMPARE(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    QCOMPARE(chmod(folderName.constData(), 0555), 0);
    if (geteuid() == 0)
        QCOMPARE(chown(fileName.constData(), nobody->pw_uid, nobody->pw_gid), 0);

    GVarMod s;
    for (int i = 0; i < 50; ++i)
        addReading(s, "trh", QString::number(i), "m/s", "t");
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
                               setuid(nobody->pw_uid) != 0))
            _exit(10);
        if (access(folderName.constData(), W_OK) == 0)
            _exit(11); // the folder must be out of reach for this test to mean anything
        if (!WriteTextReport(s, path, "T", nullptr, kSaved))
            _exit(1);
        // A new file in the same folder still fails, and says so.
        QString error;
        if (WriteTextReport(s, folder + "/new.txt", "T", &error, kSaved) || error.isEmpty())
            _exit(2);
        _exit(0);
    }
    int status = -1;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(ReadFileBytes(path), TextReportBytes(s, "T", kSaved));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"report.txt"});

    // Where the folder may be written, the old file is replaced by a new one, never written
    // over: a second name of the old file keeps the old contents.
    QCOMPARE(chmod(folderName.constData(), 0755), 0);
    const QString second = dir.filePath("second-name.txt");
    QCOMPARE(link(fileName.constData(), QFile::encodeName(second).constData()), 0); // a hard link
    s.Readings(1).Data = "changed";
    QVERIFY(WriteTextReport(s, path, "T", nullptr, kSaved));
    QCOMPARE(ReadFileBytes(path), TextReportBytes(s, "T", kSaved));
    QVERIFY(ReadFileBytes(second) != ReadFileBytes(path));
}

void TextReportTest::swedishNegativeTemperatures() {
    // Swedish writes the minus sign as U+2212, which Windows-1252 lacks: the file gets "-".
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    GVarMod s;
    // DP -5.2 degrees F 60 %, 1234 CFM; -12 whole degrees C 45.6 %, 0.05 m/s.
    for (const char* hex :
         {"01 02 02 58 01 00 00 34 02 03 04 D2 01", "00 01 01 C8 01 01 00 0C 01 01 00 05 03"}) {
        MeterFrame frame;
        const QByteArray bytes = QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
        std::copy(bytes.begin(), bytes.end(), frame.begin());
        const DecodedFrame d = DecodeFrame(frame);
        addReading(s, d.trhText, d.dataText, *d.UnitText(), ReadingTimeText(kSaved));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("sv.txt");
    QVERIFY(WriteTextReport(s, path, "Brisel Data Logger", nullptr, kSaved));
    const QByteArray time = "2014-05-06\\10:11:12\r\n";
    QCOMPARE(ReadFileBytes(path), "Brisel Data Logger" + QByteArray(10, ' ') + "2014-05-06" +
                                      QByteArray(4, ' ') + "10:11:12\r\n\r\n" + " 1 " +
                                      QByteArray(11, ' ') +
                                      "DP-5,2\xB0"
                                      "F 60%  1234" +
                                      QByteArray(10, ' ') + "CFM" + QByteArray(11, ' ') + time +
                                      " 2 " + QByteArray(11, ' ') +
                                      " -12\xB0"
                                      "C 45,6%  0,05" +
                                      QByteArray(10, ' ') + "m/s" + QByteArray(11, ' ') + time);
}

QTEST_GUILESS_MAIN(TextReportTest)
#include "TextReportTest.moc"
