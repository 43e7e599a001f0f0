#include "shell/MainForm.h"
#include "alarms/AlarmsForm.h"
#include "alarms/RunAlarms.h"
#include "graph/GraphForm.h"
#include "graph/GraphWindowHost.h"
#include "link/ConnectForm.h"
#include "link/DeviceSerialPort.h"
#include "link/FakeSysfs.h"
#include "link/LinkController.h"
#include "link/LinuxPortPlatform.h"
#include "link/MeterFeed.h"
#include "link/MeterFrame.h"
#include "link/PseudoTerminal.h"
#include "live/LineControl.h"
#include "live/ShowForm.h"
#include "recovery/RecoveryLog.h"
#include "reports/PrintTarget.h"
#include "state/GVarMod.h"
#include "support/ProgramOnALine.h"
#include "support/ScriptedSeams.h"
#include "support/TestFiles.h"
#include "table/DataForm.h"
#include "table/DataGridView.h"
#include "widgets/ImageButton.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWindow>

#include <cstdio>

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 11, 12));

MeterFrameFields velocity(std::uint16_t hundredths) {
    MeterFrameFields f;
    f.temperatureMagnitude = 235;
    f.humidityTenths = 456;
    f.kind = 1;
    f.unitCode = 1; // m/s
    f.valueMagnitude = hundredths;
    f.decimalCode = 3;
    return f;
}

QByteArray bytes(const MeterFrameFields& f) {
    const MeterFrame frame = EncodeFrame(f);
    return QByteArray(reinterpret_cast<const char*>(frame.data()), kFrameLength);
}

// The whole program, printing to a PDF file unless told to use the system's printers.
struct Program : ProgramOnALine {
    PdfFileTarget pdf{dir.filePath(QStringLiteral("print.pdf"))};

    explicit Program(bool printToPdf = true)
        : ProgramOnALine(kNow) {
        Start([&](MainParts& parts) {
            if (printToPdf)
                parts.print.target = &pdf;
        });
    }

    // The windows go before the parts of this test they were given.
    ~Program() { form.reset(); }

    // Sends one frame and waits until it is stored.
    bool send(const MeterFrameFields& f) { return sendBytes(bytes(f)); }
};

void storeDirectly(GVarMod& s, int count) {
    for (int i = 0; i < count; ++i) {
        Reading& r = s.AppendRecord();
        r.Value = 1;
        r.Data = QStringLiteral("1");
        r.Unit = QStringLiteral("m/s");
        r.TRH = QStringLiteral("trh");
        r.Time = QStringLiteral("t");
    }
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void windowLayout();
    void framesBecomeRowsNewestFirst();
    void fragmentsGoWholeFramesStay();
    void readingsGoOnWhenTheMeterComesBack();
    void unknownKindKeepsTheOldUnitAfterAReset();
    void extremesAndBarMeter();
    void pageFollowsAndGraphRefreshesWhileOpen();
    void limitAnsweredNo();
    void limitSavedToAFile();
    void limitCancelledKeepsTheTableFull();
    void limitFailedWriteAsksAgain();
    void exitFlows_data();
    void exitFlows();
    void toolbarActionsResumeReception();
    void printWithoutPrinterSaysSo();
    void alarmsWindowWiring();
};

void MainFormTest::windowLayout() {
    Program p;
    QCOMPARE(p.form->windowTitle(), QStringLiteral("Vantello"));
    QVERIFY(!(p.form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(p.form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(p.form->frameGeometry().size(), QSize(950, 678));
    QCOMPARE(p.form->minimumSize(), p.form->maximumSize()); // cannot be resized
    p.form->resize(700, 500);
    QCOMPARE(p.form->frameGeometry().size(), QSize(950, 678));

    const auto placed = [](QWidget* w) {
        return w->parentWidget()->geometry();
    };
    QCOMPARE(placed(p.form->showForm()), QRect(0, 0, 500, 600));
    QCOMPARE(placed(p.form->dataForm()), QRect(500, 0, 438, 600));
    QCOMPARE(placed(p.form->connectForm()), QRect(0, 600, 938, 40));
    QVERIFY(!p.form->windowIcon().isNull());
    // No bridge attached: the link stays closed and nothing is asked.
    QCOMPARE(p.form->link().State(), LinkState::Closed);
    QVERIFY(p.messages.shown.isEmpty());
    QCOMPARE(p.form->extremes.varmax, RunningExtremes::kUnset);
}

void MainFormTest::framesBecomeRowsNewestFirst() {
    Program p;
    QCOMPARE(p.grid().TextMatrix(0, 1), QStringLiteral("     T&RH  "));
    QCOMPARE(p.grid().TextMatrix(0, 2), QStringLiteral("     DATA "));
    QVERIFY(p.connect());
    QVERIFY(!p.show().Label5->isVisibleTo(&p.show())); // ONLINE look

    MeterFrameFields f = velocity(123);
    QVERIFY(p.send(f));
    f.valueMagnitude = 250;
    f.mode = 1;
    QVERIFY(p.send(f));
    f.valueMagnitude = 5;
    QVERIFY(p.send(f));

    QCOMPARE(p.state.ReadingCount, 3);
    QCOMPARE(p.grid().Rows(), 5);
    QCOMPARE(p.grid().TextMatrix(1, 0), QStringLiteral("3"));
    QCOMPARE(p.grid().TextMatrix(3, 0), QStringLiteral("1"));
    QVERIFY(p.grid().TextMatrix(4, 0).isEmpty());
    QCOMPARE(p.grid().TextMatrix(3, 1), QString::fromUtf8(" 23.5°C 45.6%"));
    QCOMPARE(p.grid().TextMatrix(3, 2), QStringLiteral("1.23"));
    QCOMPARE(p.grid().TextMatrix(2, 1), QString::fromUtf8("DP23.5°C 45.6%"));
    QCOMPARE(p.grid().TextMatrix(1, 2), QStringLiteral("0.05"));
    QCOMPARE(p.grid().TextMatrix(1, 3), QStringLiteral("m/s"));
    QCOMPARE(p.grid().TextMatrix(1, 4), QStringLiteral("12/9/26\\10:11:12 AM"));
    QCOMPARE(p.form->dataForm()->Label4().text(), QStringLiteral("3"));

    const Reading& r = p.state.Readings(1);
    QCOMPARE(r.No, 1);
    QCOMPARE(r.Value, 1.23);
    QCOMPARE(r.Data, QStringLiteral("1.23"));
    QCOMPARE(r.Unit, QStringLiteral("m/s"));
    QCOMPARE(p.show().Label4->text(), QStringLiteral("0.05"));
    QCOMPARE(p.show().Label2->text(), QString::fromUtf8("DP23.5°C 45.6%"));
    QCOMPARE(p.show().rangelabel->text(), QStringLiteral("VEL"));
    QCOMPARE(p.show().Label3->text(), QStringLiteral("m/s"));

    // "new": plain headings, numbering from 1 again.
    p.form->dataForm()->Toolbar1_ButtonClick(QStringLiteral("new"));
    QCOMPARE(p.grid().TextMatrix(0, 1), QStringLiteral("T&RH"));
    QCOMPARE(p.grid().Rows(), 2);
    QVERIFY(p.send(f));
    QCOMPARE(p.grid().TextMatrix(1, 0), QStringLiteral("1"));
    QCOMPARE(p.form->dataForm()->Label4().text(), QStringLiteral("1"));
}

void MainFormTest::fragmentsGoWholeFramesStay() {
    Program p;
    QVERIFY(p.connect());
    p.meter.Write(bytes(velocity(100)).left(12)); // cut short by silence: dropped after the gap
    QVERIFY(p.meter.WaitUntilPending(12));        // seen by the count below before it goes
    QTRY_COMPARE(p.port.InBufferCount(), 0);
    QCOMPARE(p.state.ReadingCount, 0);

    // Two frames back to back and a stray byte: both frames are stored, the byte goes.
    p.meter.Write(bytes(velocity(200)) + bytes(velocity(300)) + "x");
    QTRY_COMPARE(p.state.ReadingCount, 2);
    QCOMPARE(p.state.Readings(1).Data, QStringLiteral("2"));
    QCOMPARE(p.state.Readings(2).Data, QStringLiteral("3"));
    QTRY_COMPARE(p.port.InBufferCount(), 0);
    QVERIFY(p.send(velocity(400))); // the next frame is read whole
    QCOMPARE(p.state.Readings(3).Data, QStringLiteral("4"));
    QCOMPARE(p.grid().Rows(), 5);
    QCOMPARE(p.grid().TextMatrix(1, 2), QStringLiteral("4"));
}

void MainFormTest::readingsGoOnWhenTheMeterComesBack() {
    // The simulated meter behind a symbolic link (as the simulator's --link makes it), stopped,
    // and 3 s later started again on a new pseudo-terminal behind the same link. Frame i reads i.
    Program p;
    const QString link = p.dir.filePath(QStringLiteral("meter"));
    QList<QByteArray> frames;
    for (int i = 1; i <= 400; ++i)
        frames << bytes(velocity(static_cast<std::uint16_t>(100 * i)));
    const auto startBehindTheLink = [&](MeterFeed& meter) {
        if (!meter.Open() || !QFile::link(meter.PortPath(), link + u'~') ||
            ::rename(qPrintable(link + u'~'), qPrintable(link)) != 0)
            return false;
        meter.Replay(frames, false);
        meter.Start();
        return true;
    };
    MeterFeed first(10.0);
    QVERIFY(startBehindTheLink(first));
    p.form->connectForm()->Combo1()->setEditText(link);
    p.form->link().btn_conn_Click();
    QTRY_VERIFY_WITH_TIMEOUT(p.state.ReadingCount >= 3, 30000);
    first.Unplug();
    QTRY_COMPARE(p.form->link().State(), LinkState::Waiting);
    QVERIFY(p.show().Label5->isVisibleTo(&p.show())); // the OFFLINE look
    QTest::qWait(3000);
    MeterFeed second(10.0);
    QVERIFY(startBehindTheLink(second));
    const int before = p.state.ReadingCount;
    QTRY_VERIFY_WITH_TIMEOUT(p.state.ReadingCount >= before + 5, 30000);
    second.Stop();
    // Numbered on from before; once in step, every frame is stored in order.
    const int count = p.state.ReadingCount;
    QCOMPARE(p.grid().TextMatrix(1, 0), QString::number(count));
    const int firstBack = p.state.Readings(before + 1).Data.toInt();
    for (int n = before + 1; n <= count; ++n)
        QCOMPARE(p.state.Readings(n).Data, QString::number(firstBack + n - before - 1));
    QVERIFY(!p.show().Label5->isVisibleTo(&p.show()));
    QCOMPARE(p.form->connectForm()->Combo1()->currentText(), link);
    QVERIFY(p.messages.shown.isEmpty()); // no click, nothing to answer
}

void MainFormTest::unknownKindKeepsTheOldUnitAfterAReset() {
    Program p;
    QVERIFY(p.connect());
    MeterFrameFields flow = velocity(500);
    flow.kind = 2;
    flow.unitCode = 3; // CFM
    QVERIFY(p.send(flow));
    p.form->dataForm()->Toolbar1_ButtonClick(QStringLiteral("new"));
    MeterFrameFields unknown = velocity(700);
    unknown.kind = 9;
    QVERIFY(p.send(unknown));
    QCOMPARE(p.state.Readings(1).Unit, QStringLiteral("CFM"));
    QCOMPARE(p.grid().TextMatrix(1, 3), QStringLiteral("CFM"));
    QCOMPARE(p.show().Label3->text(), QStringLiteral("CFM"));
    QCOMPARE(p.show().rangelabel->text(), QStringLiteral("FLOW")); // kept from before
    unknown.unitCode = 0;
    unknown.kind = 1; // velocity with an unknown unit code: kind shown, unit kept
    QVERIFY(p.send(unknown));
    QCOMPARE(p.show().rangelabel->text(), QStringLiteral("VEL"));
    QVERIFY(p.state.Readings(2).Unit.isEmpty()); // position 2 was never used
}

void MainFormTest::extremesAndBarMeter() {
    Program p;
    QVERIFY(p.connect());
    QVERIFY(p.send(velocity(750))); // 7.5 rounds to 8
    QCOMPARE(p.show().TextMAX->text(), QStringLiteral("7.5"));
    QCOMPARE(p.show().TextMIN->text(), QStringLiteral("7.5"));
    for (int i = 0; i <= 40; ++i)
        QCOMPARE(p.show().Lineshow[i]->isVisibleTo(&p.show()), i <= 8);
    QCOMPARE(p.show().labelline[4]->text(), QStringLiteral("40"));

    p.show().Command1->click(); // RESET
    QVERIFY(p.send(velocity(300)));
    QVERIFY(p.send(velocity(500)));
    p.show().TextMIN->setText(QStringLiteral("typed"));
    p.show().TextMAX->setText(QStringLiteral("typed"));
    QVERIFY(p.send(velocity(400))); // neither extreme changes: the boxes are not written
    QCOMPARE(p.show().TextMIN->text(), QStringLiteral("typed"));
    QCOMPARE(p.show().TextMAX->text(), QStringLiteral("typed"));
    QCOMPARE(p.form->extremes.varmin, 3.0);
    QCOMPARE(p.form->extremes.varmax, 5.0);

    QVERIFY(p.send(velocity(4100))); // above the bar's full scale: the bar stays as it was
    for (int i = 0; i <= 40; ++i)
        QCOMPARE(p.show().Lineshow[i]->isVisibleTo(&p.show()), i <= 4);
    QCOMPARE(p.show().TextMAX->text(), QStringLiteral("41"));
}

void MainFormTest::pageFollowsAndGraphRefreshesWhileOpen() {
    Program p;
    storeDirectly(p.state, 99);
    QVERIFY(p.connect());
    QVERIFY(p.send(velocity(100))); // reading 100: the page 1-100
    QCOMPARE(p.state.ViewSpan, 100);
    QCOMPARE(p.state.PlotPoints[99].record, 100); // the live chart was redrawn

    GraphPeer* graph = p.form->graphHost().OpenGraph();
    QVERIFY(graph);
    QVERIFY(p.send(velocity(100))); // reading 101: a page of its own, in both windows
    QCOMPARE(p.state.ViewStart, 101);
    QCOMPARE(p.show().Label7[1]->text(), QStringLiteral("150"));
    QCOMPARE(p.form->graphHost().Window()->numlabel1[2]->text(), QStringLiteral("200"));

    p.form->graphHost().Window()->close(); // closed: the next reading leaves it alone
    QVERIFY(!p.form->graphHost().VisibleGraph());
    QVERIFY(p.send(velocity(100)));
    QCOMPARE(p.show().Label7[0]->text(), QStringLiteral("101"));

    p.state.ViewHeld = true; // a held page does not move
    p.state.ViewStart = 1;
    QVERIFY(p.send(velocity(100)));
    QCOMPARE(p.state.ViewStart, 1);
}

void MainFormTest::limitAnsweredNo() {
    Program p;
    storeDirectly(p.state, 49999);
    QVERIFY(p.connect());
    p.messages.answers = {false};
    p.meter.Write(bytes(velocity(222)));
    QTRY_COMPARE(p.messages.shown, QStringList{"Please save data!"});
    QCOMPARE(p.state.ReadingCount, 0);
    QCOMPARE(p.state.Readings(50000).Data, QStringLiteral("2.22")); // stored, then discarded
    QCOMPARE(p.show().Label4->text(), QStringLiteral("2.22"));      // and shown first
    QCOMPARE(p.grid().Rows(), 2);
    QCOMPARE(p.grid().TextMatrix(0, 4), QStringLiteral("TIME"));
    QCOMPARE(p.form->dataForm()->Label4().text(), QStringLiteral("0"));
    QVERIFY(p.commonDialog.asked.isEmpty());
    QVERIFY(p.form->link().State() != LinkState::Closed); // resynchronising
    QTRY_COMPARE(p.form->link().State(), LinkState::Armed);
    QVERIFY(p.send(velocity(100)));
    QCOMPARE(p.state.Readings(1).No, 1);
}

void MainFormTest::limitSavedToAFile() {
    Program p;
    storeDirectly(p.state, 49999);
    QVERIFY(p.connect());
    const QString path = p.dir.filePath(QStringLiteral("full.txt"));
    p.messages.answers = {true};
    p.commonDialog.answers = {path};
    p.meter.Write(bytes(velocity(222)));
    QTRY_COMPARE(p.state.ReadingCount, 0);
    QCOMPARE(p.commonDialog.asked.size(), 1);
    QCOMPARE(p.commonDialog.asked[0].pattern, QStringLiteral("*.txt"));
    const QList<QByteArray> lines = ReadFileBytes(path).split('\n');
    QCOMPARE(lines.size(), 50000 + 3);
    QVERIFY(lines[0].startsWith("Anemometer Data Report      12/9/26"));
    QVERIFY(lines[50001].startsWith(" 50000 " + QByteArray(7, ' ') +
                                    " 23.5\xB0"
                                    "C")); // the frame
}

void MainFormTest::limitCancelledKeepsTheTableFull() {
    Program p;
    storeDirectly(p.state, 49999);
    QVERIFY(p.connect());
    p.messages.answers = {true};
    p.meter.Write(bytes(velocity(222)));
    QTRY_COMPARE(p.commonDialog.asked.size(), 1); // cancelled
    QCOMPARE(p.state.ReadingCount, 50000);
    p.meter.Write(bytes(velocity(333))); // dropped, and no second question
    QTRY_COMPARE(p.port.InBufferCount(), 0);
    QTest::qWait(50);
    QCOMPARE(p.state.ReadingCount, 50000);
    QCOMPARE(p.messages.shown.size(), 1);
    QCOMPARE(p.form->link().State(), LinkState::Armed);
}

void MainFormTest::limitFailedWriteAsksAgain() {
    Program p;
    storeDirectly(p.state, 49999);
    QVERIFY(p.connect());
    const QString good = p.dir.filePath(QStringLiteral("second.txt"));
    p.messages.answers = {true, true};
    p.commonDialog.answers = {QStringLiteral("/nonexistent-folder/first.txt"), good};
    p.meter.Write(bytes(velocity(222)));
    QTRY_COMPARE(p.state.ReadingCount, 0);
    QCOMPARE(p.messages.shown.size(), 3); // question, why the write failed, question again
    QCOMPARE(p.messages.shown[0], QStringLiteral("Please save data!"));
    QVERIFY(p.messages.shown[1].contains(QStringLiteral("/nonexistent-folder/first.txt")));
    QCOMPARE(p.messages.shown[2], QStringLiteral("Please save data!"));
    QCOMPARE(ReadFileBytes(good).count('\n'), 50002);
}

void MainFormTest::exitFlows_data() {
    QTest::addColumn<int>("readings");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("paths"); // "good" is a writable file, "bad" cannot be written
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("closes"); // else the program stays, its readings in no file yet
    QTest::newRow("no readings: nothing asked")
        << 0 << QList<bool>{} << QStringList{} << 0 << 0 << false << true;
    QTest::newRow("No") << 3 << QList<bool>{false} << QStringList{} << 1 << 0 << false << true;
    QTest::newRow("Yes, Cancel") << 3 << QList<bool>{true} << QStringList{} << 1 << 1 << false
                                 << true;
    QTest::newRow("Yes, a file") << 3 << QList<bool>{true} << QStringList{"good"} << 1 << 1 << true
                                 << true;
    QTest::newRow("Yes, a failed write, then Cancel")
        << 3 << QList<bool>{true} << QStringList{"bad"} << 1 << 2 << false << false;
    QTest::newRow("Yes, a failed write, then a file")
        << 3 << QList<bool>{true} << QStringList{"bad", "good"} << 1 << 2 << true << true;
}

void MainFormTest::exitFlows() {
    QFETCH(int, readings);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, paths);
    Program p;
    storeDirectly(p.state, readings);
    QVERIFY(p.connect());
    p.form->graphHost().OpenGraph();
    const QString good = p.dir.filePath(QStringLiteral("exit.txt"));
    p.messages.answers = answers;
    for (const QString& which : paths)
        p.commonDialog.answers << (which == "good" ? good : QStringLiteral("/nonexistent/x.txt"));

    QFETCH(bool, closes);
    QCOMPARE(p.form->close(), closes);
    QVERIFY(!p.port.PortOpen());
    QVERIFY(!p.form->link().Timer1().isActive());
    QVERIFY(!p.form->graphHost().Window());
    QTEST(int(p.messages.shown.count(QStringLiteral("Do you want to save data?"))), "questions");
    QTEST(int(p.commonDialog.asked.size()), "dialogs");
    QTEST(QFile::exists(good), "written");
    if (QFile::exists(good))
        QVERIFY(ReadFileBytes(good).startsWith("Brisel Data Report"));
    QCOMPARE(p.messages.shown.size() - p.messages.shown.count("Do you want to save data?"),
             int(paths.count("bad")) + (closes ? 0 : 1));
}

void MainFormTest::toolbarActionsResumeReception() {
    Program p;
    QVERIFY(p.connect());
    QVERIFY(p.send(velocity(100)));
    const QString path = p.dir.filePath(QStringLiteral("saved.txt"));
    p.dataDialog.answers = {path};
    p.port.SetQuietGap(0);             // they are no fragment yet
    p.meter.Write(QByteArray(5, 'z')); // bytes that pile up while the dialog is open
    QTRY_COMPARE(p.port.InBufferCount(), 5);
    p.form->dataForm()->Toolbar1_ButtonClick(QStringLiteral("save"));
    QVERIFY(ReadFileBytes(path).startsWith("Brisel Data Logger"));
    QCOMPARE(p.form->link().State(), LinkState::Syncing);
    QTRY_COMPARE(p.form->link().State(), LinkState::Armed);
    QCOMPARE(p.port.InBufferCount(), 0); // thrown away, not decoded
    QCOMPARE(p.state.ReadingCount, 1);

    p.form->dataForm()->Toolbar1_ButtonClick(QStringLiteral("print"));
    QTRY_COMPARE(p.form->link().State(), LinkState::Armed);
    QVERIFY(ReadFileBytes(p.pdf.Path()).startsWith("%PDF"));
    QVERIFY(p.messages.shown.isEmpty());
}

void MainFormTest::printWithoutPrinterSaysSo() {
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("this machine has a default printer");
    Program p(false);
    QVERIFY(p.connect());
    QVERIFY(p.send(velocity(100)));
    p.form->dataForm()->Toolbar1_ButtonClick(QStringLiteral("print"));
    QCOMPARE(p.messages.shown, QStringList{"print data error!"});
    QTRY_COMPARE(p.form->link().State(), LinkState::Armed);

    GraphForm* graph = static_cast<GraphForm*>(p.form->graphHost().OpenGraph());
    QVERIFY(graph);
    p.form->graphHost().Window()->Command1->click();
    QCOMPARE(p.messages.shown.last(), QStringLiteral("printer error!"));
    QCOMPARE(p.state.ReadingCount, 1);
}

void MainFormTest::alarmsWindowWiring() {
    // The bell opens the window; a rule added there is remembered and judges the next reading;
    // the raised alarm (no session bus here: the window comes to the front) and a note are
    // listed and go into the recovery log.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    ProgramOnALine p(kNow);
    p.Start([&](MainParts& parts) { parts.recoveryFolder = p.dir.filePath("logs"); });
    AlarmsForm& window = *p.form->alarmsWindow();
    QVERIFY(!window.isVisible());
    emit p.show().Image6->Click();
    QVERIFY(window.isVisible());
    window.ruleEdit()->setText(QStringLiteral("velocity < 2 hysteresis 0.5"));
    window.addRuleButton()->click();
    QCOMPARE(window.rulesTable()->rowCount(), 1);
    QSettings saved(QStringLiteral("Vantello"), QStringLiteral("Vantello"));
    QCOMPARE(ReadAlarmSettings(saved).rules, QStringList{"velocity < 2 hysteresis 0.5"});
    window.close();

    QVERIFY(p.connect());
    QVERIFY(p.sendBytes(bytes(velocity(150))));
    QCOMPARE(window.rulesTable()->item(0, 1)->text(), QStringLiteral("RAISED"));
    QVERIFY(QTest::qWaitFor([&] { return window.isVisible(); }));
    // Another rule added: the raised one stays raised.
    window.ruleEdit()->setText(QStringLiteral("no-data 60s"));
    window.addRuleButton()->click();
    QCOMPARE(window.rulesTable()->item(0, 1)->text(), QStringLiteral("RAISED"));
    window.noteEdit()->setText(QStringLiteral("damper closed"));
    window.noteButton()->click();
    QCOMPARE(window.eventsList()->topLevelItemCount(), 2);
    QCOMPARE(window.eventsList()->topLevelItem(0)->text(1), QStringLiteral("alarm raised"));
    QCOMPARE(window.eventsList()->topLevelItem(1)->text(2), QStringLiteral("damper closed"));
    const RecoveryLogContent logged = ParseRecoveryLog(ReadFileBytes(p.form->recovery().Path()));
    QCOMPARE(logged.good, 1);
    QCOMPARE(logged.events.size(), std::size_t(2));
    QCOMPARE(logged.events[0].ValueText(), QStringLiteral("1.5 m/s"));
    p.form.reset();
    saved.remove(QStringLiteral("alarms"));
}

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
