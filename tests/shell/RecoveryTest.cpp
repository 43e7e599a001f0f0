#include "link/ConnectForm.h"
#include "link/DeviceSerialPort.h"
#include "link/FakeSysfs.h"
#include "link/LinkController.h"
#include "link/LinuxPortPlatform.h"
#include "link/MeterFrame.h"
#include "link/PseudoTerminal.h"
#include "live/LineControl.h"
#include "live/ShowForm.h"
#include "recovery/RecoveryLog.h"
#include "recovery/RecoveryLogFormat.h"
#include "shell/MainForm.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"
#include "support/ScriptedSeams.h"
#include "table/DataForm.h"
#include "table/DataGridView.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <sys/resource.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 11, 12));

// Frame i: velocity i + 0.3 m/s (tenths), 23.5 °C, 45.6 %.
QByteArray frame(int i) {
    MeterFrameFields f;
    f.temperatureMagnitude = 235;
    f.humidityTenths = 456;
    f.kind = 1;
    f.unitCode = 1;
    f.valueMagnitude = std::uint16_t(10 * i + 3);
    f.decimalCode = 2;
    const MeterFrame bytes = EncodeFrame(f);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), kFrameLength);
}
const QString kTrh = QString::fromUtf8(" 23.5°C 45.6%");

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList logsIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("recovery-*")}, QDir::Files, QDir::Name);
}

std::vector<LoggedReading> logged(const QString& path) {
    return ParseRecoveryLog(readFile(path)).readings;
}

// The whole window on a pseudo-terminal, keeping its recovery log in folder.
struct Program {
    QTemporaryDir dir;
    PseudoTerminal meter;
    DeviceSerialPort port;
    FakeSysfs sys{dir.filePath(QStringLiteral("sys"))};
    LinuxPortPlatform platform{sys.Root(), dir.filePath(QStringLiteral("dev"))};
    GVarMod state;
    ScriptedMessages messages;
    ScriptedSaveDialog commonDialog;
    ScriptedSaveDialog dataDialog;
    std::unique_ptr<MainForm> form;

    explicit Program(const QString& folder, QList<bool> answers = {}) {
        meter.Open();
        messages.answers = std::move(answers);
        MainParts parts{state, port, platform, messages, commonDialog, dataDialog, {}};
        parts.now = [] {
            return kNow;
        };
        parts.recoveryFolder = folder;
        form = std::make_unique<MainForm>(std::move(parts));
        form->show();
        form->MDIForm_Load();
    }
    bool connect() {
        form->connectForm()->Combo1()->setEditText(meter.Path());
        form->link().btn_conn_Click();
        return QTest::qWaitFor([this] { return form->link().State() == LinkState::Armed; });
    }
    bool send(int i) {
        const int before = state.ReadingCount;
        meter.Write(frame(i));
        return QTest::qWaitFor([&] { return state.ReadingCount != before; });
    }
    DataGridView& grid() const { return form->dataForm()->MSFlexGrid1(); }
    ShowForm& show() const { return *form->showForm(); }
};

// A report or CSV line as written by hand: items in zones of 14 columns.
QString zoned(const QStringList& items) {
    QString line;
    for (const QString& item : items) {
        if (!line.isEmpty())
            line += QString(14 * (line.size() / 14 + 1) - line.size(), u' ');
        line += item;
    }
    return line;
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void logFollowsTheTable();
    void normalExitRemovesTheLog_data();
    void normalExitRemovesTheLog();
    void restoredReadingsShownAsIfJustReceived();
    void failingWriteShowsOneMessageAndReceptionGoesOn();
    void killedProgramsReadingsComeBack();
    void helpSaysWhereTheLogLives();
};

void RecoveryTest::logFollowsTheTable() {
    QTemporaryDir folder;
    Program p(folder.path());
    const QString first = p.form->recovery().Path();
    QVERIFY(QFile::exists(first));
    QVERIFY(QFile::exists(first + QStringLiteral(".lock")));
    QVERIFY(p.connect());
    QVERIFY(p.send(1));
    QVERIFY(p.send(2));
    std::vector<LoggedReading> entries = logged(first);
    QCOMPARE(entries.size(), std::size_t(2));
    QCOMPARE(entries[1].reading.Data, QStringLiteral("2.3"));
    QCOMPARE(entries[1].reading.Time, p.state.Readings(2).Time);
    QCOMPARE(entries[1].kind, QStringLiteral("VEL"));
    QCOMPARE(entries[1].instant, kNow);

    // "new" starts a fresh log: the readings it held are gone with the table.
    p.form->dataForm()->Toolbar1_ButtonClick(QStringLiteral("new"));
    const QString second = p.form->recovery().Path();
    QVERIFY(logged(second).empty());
    QCOMPARE(logsIn(folder.path()).size(), 2); // one log and its lock
    QVERIFY(p.send(3));
    QCOMPARE(logged(second).size(), std::size_t(1));
    QCOMPARE(logged(second)[0].reading.No, 1);

    // So does the reset at 50000, after its question.
    while (p.state.ReadingCount < kReadingLimit - 1)
        p.state.AppendRecord();
    QVERIFY(p.send(4));
    QCOMPARE(p.messages.shown, QStringList{"Please save data!"});
    QCOMPARE(p.state.ReadingCount, 0);
    QVERIFY(logged(p.form->recovery().Path()).empty());
    QCOMPARE(logsIn(folder.path()).size(), 2);
}

void RecoveryTest::normalExitRemovesTheLog_data() {
    QTest::addColumn<int>("readings");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("saved");
    QTest::newRow("no readings") << 0 << QList<bool>{} << false;
    QTest::newRow("No") << 2 << QList<bool>{false} << false;
    QTest::newRow("Yes, Cancel") << 2 << QList<bool>{true} << false;
    QTest::newRow("Yes, a file") << 2 << QList<bool>{true} << true;
}

void RecoveryTest::normalExitRemovesTheLog() {
    QFETCH(int, readings);
    QFETCH(QList<bool>, answers);
    QFETCH(bool, saved);
    QTemporaryDir folder;
    Program p(folder.path());
    QVERIFY(p.connect());
    for (int i = 0; i < readings; ++i)
        QVERIFY(p.send(i));
    QCOMPARE(logged(p.form->recovery().Path()).size(), std::size_t(readings));
    p.messages.answers = answers;
    const QString report = p.dir.filePath(QStringLiteral("exit.txt"));
    if (saved)
        p.commonDialog.answers = {report};
    QVERIFY(p.form->close());
    QCOMPARE(QFile::exists(report), saved);
    QCOMPARE(logsIn(folder.path()), QStringList());
}

void RecoveryTest::restoredReadingsShownAsIfJustReceived() {
    QTemporaryDir folder;
    QByteArray log = RecoveryLogHeader();
    const struct {
        double value;
        const char* data;
        const char* kind;
        const char* unit;
    } earlier[] = {{7.5, "7.5", "VEL", "m/s"}, {3, "3", "FLOW", "CFM"}, {41, "41", "", "CFM"}};
    for (int n = 1; n <= 3; ++n) {
        const auto& e = earlier[n - 1];
        LoggedReading entry;
        entry.reading = {n,
                         e.value,
                         QStringLiteral("trh %1").arg(n),
                         QStringLiteral("time %1").arg(n),
                         QString::fromLatin1(e.unit),
                         QString::fromLatin1(e.data)};
        entry.kind = QString::fromLatin1(e.kind);
        entry.instant = kNow.addSecs(n);
        log += RecoveryLogEntry(entry);
    }
    const QString path = folder.filePath(QStringLiteral("recovery-earlier.log"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(log) == log.size());
    file.close();

    Program p(folder.path(), {true});
    QCOMPARE(p.messages.shown,
             QStringList{"Readings from a run that did not end normally were found: 3 readings, "
                         "time 1 to time 3. Restore them?"});
    // Table, counter, readout, extremes, bar meter and page as after receiving the three.
    QCOMPARE(p.state.ReadingCount, 3);
    QCOMPARE(p.form->dataForm()->Label4().text(), QStringLiteral("3"));
    QCOMPARE(p.grid().Rows(), 5);
    const QStringList top{"3", "trh 3", "41", "CFM", "time 3"};
    const QStringList bottom{"1", "trh 1", "7.5", "m/s", "time 1"};
    for (int c = 0; c < 5; ++c) {
        QCOMPARE(p.grid().TextMatrix(1, c), top[c]);
        QCOMPARE(p.grid().TextMatrix(3, c), bottom[c]);
    }
    QCOMPARE(p.show().Label2->text(), QStringLiteral("trh 3"));
    QCOMPARE(p.show().rangelabel->text(), QStringLiteral("FLOW")); // the third's kind is unknown
    QCOMPARE(p.show().Label3->text(), QStringLiteral("CFM"));
    QCOMPARE(p.show().Label4->text(), QStringLiteral("41"));
    QCOMPARE(p.show().TextMAX->text(), QStringLiteral("41"));
    QCOMPARE(p.show().TextMIN->text(), QStringLiteral("3"));
    for (int i = 0; i <= kBarFullScale; ++i) // 41 leaves the bar of 3 as it was
        QCOMPARE(p.show().Lineshow[i]->isVisibleTo(&p.show()), i <= 3);
    QCOMPARE(p.state.ViewStart, 1);
    QCOMPARE(p.state.ViewSpan, 3);
    QCOMPARE(p.show().Label7[0]->text(), QStringLiteral("1"));

    // New readings follow as 4, 5 ... in the same log.
    QCOMPARE(p.form->recovery().Path(), path);
    QVERIFY(p.connect());
    QVERIFY(p.send(2));
    QCOMPARE(p.grid().TextMatrix(1, 0), QStringLiteral("4"));
    const std::vector<LoggedReading> entries = logged(path);
    QCOMPARE(entries.size(), std::size_t(4));
    QCOMPARE(entries[3].reading.No, 4);
    QCOMPARE(entries[2].kind, QString());
}

void RecoveryTest::failingWriteShowsOneMessageAndReceptionGoesOn() {
    QTemporaryDir folder;
    Program p(folder.path());
    QVERIFY(p.connect());
    QVERIFY(p.send(1));
    const QString path = p.form->recovery().Path();
    const qint64 oneEntry = QFileInfo(path).size() - RecoveryLogHeader().size();

    // A file-size limit that the third entry crosses.
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = rlim_t(QFileInfo(path).size() + oneEntry + oneEntry / 2);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool sent = true;
    for (int i = 2; i <= 8; ++i)
        sent = sent && p.send(i);
    QTest::qWait(0); // the message comes after the handler
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(sent);

    QCOMPARE(p.state.ReadingCount, 8);
    QCOMPARE(p.form->dataForm()->Label4().text(), QStringLiteral("8"));
    QCOMPARE(p.grid().TextMatrix(1, 2), QStringLiteral("8.3"));
    QCOMPARE(p.messages.shown,
             QStringList{"Readings are no longer written to the recovery log: cannot write " +
                         path + ": File too large. They are still kept in memory."});
    // What reached the log before the limit is whole; the torn entry is not a reading.
    QCOMPARE(logged(path).size(), std::size_t(2));
    QCOMPARE(p.form->link().State(), LinkState::Armed);
}

void RecoveryTest::killedProgramsReadingsComeBack() {
    QTemporaryDir home;
    const QString stateHome = home.filePath(QStringLiteral("state"));
    const QString folder = stateHome + QStringLiteral("/vantello");
    PseudoTerminal meter;
    QVERIFY(meter.Open());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_STATE_HOME"), stateHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    env.insert(QStringLiteral("VANTELLO_TEST_METER_LINE"), meter.Path());
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(VANTELLO_PROGRAM), {});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));

    // Readings stored so far: the entry lines of the program's one log.
    const auto stored = [&] {
        const QStringList logs =
            QDir(folder).entryList({QStringLiteral("recovery-*.log")}, QDir::Files);
        return logs.size() == 1 ? int(readFile(folder + u'/' + logs[0]).count('\n')) - 1 : -1;
    };
    QVERIFY(QTest::qWaitFor([&] { return stored() == 0; }, 120000));

    // Frames sent before the link is in step are thrown away; once one is stored, each is.
    int next = 0;
    int firstStored = -1;
    QList<QDateTime> before;
    QList<QDateTime> after;
    while (stored() < 40) {
        const int count = stored();
        before << QDateTime::currentDateTime();
        QCOMPARE(meter.Write(frame(next)), kFrameLength);
        ++next;
        const bool got =
            QTest::qWaitFor([&] { return stored() > count; }, firstStored < 0 ? 1000 : 120000);
        after << QDateTime::currentDateTime();
        if (got && firstStored < 0)
            firstStored = next - 1;
        QVERIFY(got || firstStored < 0);
        QVERIFY(next < 100);
    }
    QCOMPARE(stored(), 40);
    program.kill(); // SIGKILL
    QVERIFY(program.waitForFinished());
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);
    QVERIFY(QFile::exists(folder + u'/' + QDir(folder).entryList({"recovery-*.log"})[0] +
                          QStringLiteral(".lock"))); // stale: its program is gone

    // Two starts with the same state folder: one answers Yes, the other No.
    const QString yesFolder = home.filePath(QStringLiteral("yes"));
    const QString noFolder = home.filePath(QStringLiteral("no"));
    for (const QString& copy : {yesFolder, noFolder}) {
        QVERIFY(QDir().mkpath(copy));
        for (const QString& name : QDir(folder).entryList(QDir::Files))
            QVERIFY(QFile::copy(folder + u'/' + name, copy + u'/' + name));
    }

    Program yes(yesFolder, {true, true});
    QCOMPARE(yes.state.ReadingCount, 40);
    // Each Time text is the clock's reading when its frame was stored; the texts of reading n
    // are those of the frame sent as the first stored one plus n - 1.
    QStringList times;
    for (int n = 1; n <= 40; ++n) {
        const int sentAs = firstStored + n - 1;
        const QString time = yes.state.Readings(n).Time;
        bool inTime = false;
        for (QDateTime t = before[sentAs]; t < after[sentAs]; t = t.addMSecs(250))
            inTime = inTime || ReadingTimeText(t) == time;
        inTime = inTime || ReadingTimeText(after[sentAs]) == time;
        QVERIFY2(inTime, qPrintable(time));
        times << time;
    }
    QCOMPARE(yes.messages.shown.size(), 1);
    QCOMPARE(yes.messages.shown[0],
             QStringLiteral("Readings from a run that did not end normally were found: 40 "
                            "readings, %1 to %2. Restore them?")
                 .arg(times.first(), times.last()));

    // The report saved at exit: what the killed run would have written at that moment.
    const QString reportPath = yes.dir.filePath(QStringLiteral("report.txt"));
    yes.commonDialog.answers = {reportPath};
    QVERIFY(yes.form->close());
    QString want =
        zoned({"Brisel Data Report", ShortDateText(kNow.date()), TimeOfDayText(kNow.time())}) +
        "\r\n\r\n";
    for (int n = 1; n <= 40; ++n) {
        const int i = firstStored + n - 1;
        want += zoned({QStringLiteral(" %1 ").arg(n), kTrh, QStringLiteral("%1.3").arg(i),
                       QStringLiteral("m/s"), times[n - 1]}) +
                "\r\n";
    }
    QCOMPARE(readFile(reportPath), want.toLatin1());
    QCOMPARE(logsIn(yesFolder), QStringList());

    // No: the readings are kept as a CSV file named after the first reading's date and time.
    Program no(noFolder, {false});
    QCOMPARE(no.state.ReadingCount, 0);
    QCOMPARE(no.messages.shown.size(), 2);
    const QString kept = "The readings of that run were kept in this file:\n";
    QVERIFY(no.messages.shown[1].startsWith(kept));
    const QString csv = no.messages.shown[1].mid(kept.size());
    QCOMPARE(QFileInfo(csv).absolutePath(), noFolder);
    const QDateTime firstInstant = QDateTime::fromString(QFileInfo(csv).completeBaseName(),
                                                         QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QVERIFY(firstInstant >= before[firstStored].addSecs(-1) && firstInstant <= after[firstStored]);
    QString rows = QStringLiteral("\"NO.\",\"T&RH\",\"DATA\",\"UNIT\",\"TIME\"\r\n");
    for (int n = 1; n <= 40; ++n)
        rows += QStringLiteral("%1,\"%2\",%3.3,\"m/s\",\"%4\"\r\n")
                    .arg(n)
                    .arg(kTrh)
                    .arg(firstStored + n - 1)
                    .arg(times[n - 1]);
    QCOMPARE(readFile(csv), rows.toLatin1());
    QCOMPARE(logsIn(noFolder).size(), 2); // this run's own log and lock only
}

void RecoveryTest::helpSaysWhereTheLogLives() {
    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.remove(QStringLiteral("XDG_STATE_HOME"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VANTELLO_PROGRAM), {QStringLiteral("--help")});
    QVERIFY(program.waitForFinished(60000));
    const QString help = QString::fromLocal8Bit(program.readAllStandardOutput()).simplified();
    QVERIFY2(help.contains("--no-recovery Keep no recovery log."), qPrintable(help));
    QVERIFY2(help.contains(" recovery log in " + home.path() + "/.local/state/vantello, "),
             qPrintable(help));
}

QTEST_MAIN(RecoveryTest)
#include "RecoveryTest.moc"
