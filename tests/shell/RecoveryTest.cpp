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
#include "reports/CsvExportWriter.h"
#include "shell/MainForm.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"
#include "support/FullDisk.h"
#include "support/ProgramOnALine.h"
#include "support/ScriptedSeams.h"
#include "support/TestFiles.h"
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

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 11, 12));
const QString kTrh = QString::fromUtf8(" 23.5°C 45.6%");

// Frame i: i + 0.3 m/s, 23.5 °C, 45.6 %.
QByteArray frame(int i) {
    MeterFrameFields f;
    f.temperatureMagnitude = 235;
    f.humidityTenths = 456;
    f.valueMagnitude = std::uint16_t(10 * i + 3);
    f.decimalCode = 2;
    const MeterFrame bytes = EncodeFrame(f);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), kFrameLength);
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

std::size_t logged(const QString& path) {
    return ParseRecoveryLog(ReadFileBytes(path)).readings.size();
}

// The main window on a pseudo-terminal, keeping its recovery log in folder.
struct Program : ProgramOnALine {
    Program(const QString& folder, QList<bool> answers)
        : ProgramOnALine(kNow) {
        messages.answers = std::move(answers);
        Start([&](MainParts& parts) { parts.recoveryFolder = folder; });
    }
    bool send(int i) { return sendBytes(frame(i)); }
    QString log() const { return form->recovery().Path(); }
};

// A line of the text report written by hand: items in zones of 14 columns.
QString zoned(const QStringList& items) {
    QString line;
    for (const QString& item : items) {
        if (!line.isEmpty())
            line += QString(14 * (line.size() / 14 + 1) - line.size(), u' ');
        line += item;
    }
    return line + QStringLiteral("\r\n");
}

QProcessEnvironment programEnvironment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_STATE_HOME"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    return env;
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void logFollowsTheTable_data();
    void logFollowsTheTable();
    void failingWriteShowsOneMessageAndReceptionGoesOn();
    void exitOnAFullDiskKeepsWindowAndLog();
    void killedProgramsReadingsComeBack();
    void helpSaysWhereTheLogLives();
};

void RecoveryTest::logFollowsTheTable_data() {
    QTest::addColumn<QList<bool>>("exitAnswers");
    QTest::newRow("exit, not saved") << QList<bool>{false};
    QTest::newRow("exit, saved") << QList<bool>{true};
}

void RecoveryTest::logFollowsTheTable() {
    QFETCH(QList<bool>, exitAnswers);
    QTemporaryDir folder;
    Program p(folder.path(), {});
    QVERIFY(p.connect());
    QVERIFY(p.send(1));
    QVERIFY(p.send(2));
    QCOMPARE(logged(p.log()), std::size_t(2));
    QVERIFY(QFile::exists(p.log() + QStringLiteral(".lock")));

    // "new" starts a fresh log, and so does the reset at 50000 after its question.
    p.form->dataForm()->Toolbar1_ButtonClick(QStringLiteral("new"));
    QCOMPARE(logged(p.log()), std::size_t(0));
    while (p.state.ReadingCount < kReadingLimit - 1)
        p.state.AppendRecord();
    QVERIFY(p.send(3));
    QCOMPARE(p.messages.shown, QStringList{"Please save data!"});
    QCOMPARE(logged(p.log()), std::size_t(0));
    QCOMPARE(filesIn(folder.path()).size(), 2); // one log and its lock

    // A normal exit removes it after the exit question, whatever the answer.
    QTRY_COMPARE(p.form->link().State(), LinkState::Armed);
    QVERIFY(p.send(4));
    p.messages.answers = exitAnswers;
    p.commonDialog.answers = {p.dir.filePath(QStringLiteral("exit.txt"))};
    QVERIFY(p.form->close());
    QCOMPARE(p.messages.shown.last(), QStringLiteral("Do you want to save data?"));
    QCOMPARE(filesIn(folder.path()), QStringList());
}

void RecoveryTest::failingWriteShowsOneMessageAndReceptionGoesOn() {
    QTemporaryDir folder;
    Program p(folder.path(), {});
    QVERIFY(p.connect());
    QVERIFY(p.send(1));
    const qint64 size = QFileInfo(p.log()).size();
    const qint64 entry = size - RecoveryLogHeader().size();

    // A file-size limit that the third entry crosses (as a full disk would).
    bool sent = true;
    QVERIFY(UnderFileSizeLimit(size + entry + entry / 2, [&] {
        for (int i = 2; i <= 8; ++i)
            sent = sent && p.send(i);
        QTest::qWait(0); // the message comes after the handler
    }));
    QVERIFY(sent);

    QCOMPARE(p.form->dataForm()->Label4().text(), QStringLiteral("8"));
    QCOMPARE(p.messages.shown,
             QStringList{"Readings are no longer written to the recovery log: cannot write '" +
                         p.log() + "': File too large. They are still kept in memory."});
    QCOMPARE(logged(p.log()), std::size_t(2)); // the torn third entry is no reading

    // The next fresh log tries again.
    p.form->dataForm()->Toolbar1_ButtonClick(QStringLiteral("new"));
    QTRY_COMPARE(p.form->link().State(), LinkState::Armed);
    QVERIFY(p.send(9));
    QCOMPARE(logged(p.log()), std::size_t(1));
    QCOMPARE(p.messages.shown.size(), 1);
}

void RecoveryTest::exitOnAFullDiskKeepsWindowAndLog() {
    QTemporaryDir folder;
    Program p(folder.path(), {});
    QVERIFY(p.connect());
    QVERIFY(p.send(1));
    QVERIFY(p.send(2));
    p.form->show();
    const QString log = p.log();
    const QString report = p.dir.filePath(QStringLiteral("exit.txt"));
    QFile old(report);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old report") == 10);
    old.close();

    // The report's first line does not fit under the limit: Yes, the save fails, then Cancel.
    p.messages.answers = {true};
    p.commonDialog.answers = {report, QString()};
    bool closed = true;
    QVERIFY(UnderFileSizeLimit(40, [&] { closed = p.form->close(); }));
    QVERIFY(!closed);
    QVERIFY(p.form->isVisible());
    QCOMPARE(p.messages.shown.size(), 3);
    QVERIFY(p.messages.shown[1].startsWith("The file could not be written:\n'" + report + "'"));
    QVERIFY(p.messages.shown[2].startsWith("The readings were not saved"));
    QCOMPARE(ReadFileBytes(report), QByteArray("old report"));
    QCOMPARE(logged(log), std::size_t(2));
    QVERIFY(QFile::exists(log + QStringLiteral(".lock")));

    // With room again the save is whole and the log goes.
    p.messages.answers = {true};
    p.commonDialog.answers = {report};
    QVERIFY(p.form->close());
    QVERIFY(ReadFileBytes(report).count("\r\n") >= 3);
    QCOMPARE(filesIn(folder.path()), QStringList());
}

void RecoveryTest::killedProgramsReadingsComeBack() {
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral(".local/state/vantello"));
    PseudoTerminal meter;
    QVERIFY(meter.Open());
    QProcess program;
    QProcessEnvironment env = programEnvironment(home.path());
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(VANTELLO_PROGRAM), {QStringLiteral("--port"), meter.Path()});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));

    // Readings stored so far: the entry lines of the program's one log.
    const auto stored = [&] {
        const QStringList logs = QDir(folder).entryList({QStringLiteral("recovery-*.log")});
        return logs.size() == 1 ? int(ReadFileBytes(folder + u'/' + logs[0]).count('\n')) - 1 : -1;
    };
    QVERIFY(QTest::qWaitFor([&] { return stored() == 0; }, 120000));
    // Frames sent before the link is in step are thrown away; from the first one stored on,
    // each is stored. The clock is read around each frame.
    int first = -1;
    QList<QDateTime> before;
    QList<QDateTime> after;
    for (int i = 0; stored() < 40; ++i) {
        const int count = stored();
        before << QDateTime::currentDateTime();
        QCOMPARE(meter.Write(frame(i)), kFrameLength);
        const bool got =
            QTest::qWaitFor([&] { return stored() > count; }, first < 0 ? 1000 : 120000);
        after << QDateTime::currentDateTime();
        QVERIFY(got || first < 0);
        if (got && first < 0)
            first = i;
        QVERIFY(i < 100);
    }
    QCOMPARE(stored(), 40);
    program.kill(); // SIGKILL: the log and its stale lock stay behind
    QVERIFY(program.waitForFinished());
    QCOMPARE(filesIn(folder).size(), 2);

    // Started again with the same home folder, twice: Yes, and No.
    const QString noFolder = home.filePath(QStringLiteral("no"));
    QVERIFY(QDir().mkpath(noFolder));
    for (const QString& name : filesIn(folder))
        QVERIFY(QFile::copy(folder + u'/' + name, noFolder + u'/' + name));
    Program yes(folder, {true, true});
    QCOMPARE(yes.state.ReadingCount, 40);
    QStringList times; // each as the clock read while its frame was stored
    for (int n = 1; n <= 40; ++n) {
        const int i = first + n - 1;
        QStringList possible{ReadingTimeText(after[i])};
        for (QDateTime t = before[i]; t < after[i]; t = t.addMSecs(250))
            possible << ReadingTimeText(t);
        QVERIFY2(possible.contains(yes.state.Readings(n).Time), qPrintable(possible.join(' ')));
        times << yes.state.Readings(n).Time;
    }
    QCOMPARE(yes.messages.shown[0],
             QStringLiteral("Readings from a run that did not end normally were found: 40 "
                            "readings, %1 to %2. Restore them?")
                 .arg(times.first(), times.last()));
    // Shown as if just received; new readings follow as 41 ... in the same log.
    const DataGridView& grid = yes.form->dataForm()->MSFlexGrid1();
    QCOMPARE(QStringList({yes.form->dataForm()->Label4().text(), grid.TextMatrix(1, 0),
                          grid.TextMatrix(40, 4), yes.show().Label4->text(),
                          yes.show().TextMIN->text(), yes.show().Label7[0]->text()}),
             QStringList({"40", "40", times[0], QStringLiteral("%1.3").arg(first + 39),
                          QStringLiteral("%1.3").arg(first), "1"}));
    QCOMPARE(yes.state.ViewSpan, 40);
    QVERIFY(yes.connect());
    QVERIFY(yes.send(99));
    QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("41"));
    QCOMPARE(logged(yes.log()), std::size_t(41));

    // The report saved then is what the killed run would have written at that moment.
    const QString report = yes.dir.filePath(QStringLiteral("report.txt"));
    yes.commonDialog.answers = {report};
    QVERIFY(yes.form->close());
    QString want =
        zoned({"Brisel Data Report", ShortDateText(kNow.date()), TimeOfDayText(kNow.time())}) +
        "\r\n";
    for (int n = 1; n <= 41; ++n)
        want += zoned({QStringLiteral(" %1 ").arg(n), kTrh,
                       QStringLiteral("%1.3").arg(n <= 40 ? first + n - 1 : 99), "m/s",
                       n <= 40 ? times[n - 1] : ReadingTimeText(kNow)});
    QCOMPARE(ReadFileBytes(report), want.toLatin1());

    // No: a CSV file named after the first reading's date and time, its path shown.
    Program no(noFolder, {false});
    QCOMPARE(no.state.ReadingCount, 0);
    const QString kept = "The readings of that run were kept in this file:\n'";
    QVERIFY(no.messages.shown.value(1).startsWith(kept));
    const QString csv = no.messages.shown[1].mid(kept.size()).chopped(1);
    QCOMPARE(QFileInfo(csv).absolutePath(), noFolder);
    const QDateTime named = QDateTime::fromString(QFileInfo(csv).completeBaseName(),
                                                  QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QVERIFY(named >= before[first].addSecs(-1) && named <= after[first]);
    yes.state.ReadingCount = 40; // the readings restored by Yes, whose report was checked above
    QCOMPARE(ReadFileBytes(csv), CsvExportBytes(yes.state));
}

void RecoveryTest::helpSaysWhereTheLogLives() {
    QTemporaryDir home;
    QProcess program;
    program.setProcessEnvironment(programEnvironment(home.path()));
    program.start(QStringLiteral(VANTELLO_PROGRAM), {QStringLiteral("--help")});
    QVERIFY(program.waitForFinished(60000));
    const QString help = QString::fromLocal8Bit(program.readAllStandardOutput()).simplified();
    QVERIFY2(help.contains("--no-recovery Keep no recovery log.") &&
                 help.contains(" recovery log in " + home.path() + "/.local/state/vantello, "),
             qPrintable(help));
}

QTEST_MAIN(RecoveryTest)
#include "RecoveryTest.moc"
