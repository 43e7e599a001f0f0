#include "LinkFakes.h"

#include "link/ConnectForm.h"
#include "link/ConnectPictures.h"
#include "link/DeviceSerialPort.h"
#include "link/LinuxPortPlatform.h"
#include "link/PseudoTerminal.h"
#include "state/SystemTexts.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

namespace {

// Device paths as on Linux, with a list the test sets.
class ListedPorts : public LinuxPortPlatform {
public:
    QStringList list;
    QStringList SystemPorts() override { return list; }
    QString SystemStartText() override { return list.value(0); }
};

int colourDistance(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

// The CONNECT face whose body colour is nearest to the button's left margin.
int faceOnScreen(const QImage& panel) {
    const QColor seen = panel.pixelColor(136 + 6 + 5, 5 + 1 + 15);
    int best = 0;
    for (int n = 1; n <= kConnectFaceCount; ++n) {
        if (best == 0 || colourDistance(seen, ConnectFaceColor(n)) <
                             colourDistance(seen, ConnectFaceColor(best)))
            best = n;
    }
    return best;
}

enum class Sign { NoEntry, Arrow, Other };

// The status sign i as drawn: its disc above the bar or arrow is red or yellow.
Sign signOnScreen(const QImage& panel, int i) {
    const QColor seen = panel.pixelColor(336 + 40 * i + 20, 10);
    if (colourDistance(seen, kSignRed) < 40)
        return Sign::NoEntry;
    if (colourDistance(seen, kSignYellow) < 40)
        return Sign::Arrow;
    return Sign::Other;
}

QList<Sign> signsOnScreen(const QImage& panel) {
    QList<Sign> signs;
    for (int i = 0; i < ConnectForm::kSignCount; ++i)
        signs << signOnScreen(panel, i);
    return signs;
}

const QList<Sign> kNoEntry(5, Sign::NoEntry);
const QList<Sign> kArrows(5, Sign::Arrow);

// Whether the status word area shows text in the colour.
bool wordShown(const QImage& panel, QColor colour) {
    for (int y = 8; y < 41 && y < panel.height(); ++y)
        for (int x = 584; x < 584 + 129; ++x)
            if (colourDistance(panel.pixelColor(x, y), colour) < 60)
                return true;
    return false;
}

} // namespace

class ConnectFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startLook();
    void facesCycle();
    void connectingAndPickingAnotherPort();
    void typingNeverPicks();
    void listRefreshesWhenOpened();
    void readoutSwitchesBetweenTheSteps();
    void clockText();

private:
    QImage shot() { return m_form->grab().toImage(); }
    void attach();

    PseudoTerminal* m_line = nullptr;
    ListedPorts* m_ports = nullptr;
    ConnectForm* m_form = nullptr;
    DeviceSerialPort* m_port = nullptr;
    ScriptedMessages* m_messages = nullptr;
    LinkController* m_link = nullptr;
};

void ConnectFormTest::init() {
    m_line = new PseudoTerminal;
    QVERIFY(m_line->Open());
    m_ports = new ListedPorts;
    m_ports->list = {m_line->Path(), QStringLiteral("/dev/ttyUSB7")};
    m_form = new ConnectForm(*m_ports);
    m_port = new DeviceSerialPort;
    m_messages = new ScriptedMessages;
    m_link = new LinkController(*m_port, *m_ports);
}

void ConnectFormTest::cleanup() {
    delete m_link;
    delete m_messages;
    delete m_port;
    delete m_form;
    delete m_ports;
    delete m_line;
}

void ConnectFormTest::attach() {
    m_form->Attach(*m_link, *m_messages);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void ConnectFormTest::startLook() {
    QCOMPARE(m_form->size(), QSize(938, 40));
    const QImage panel = shot();
    QCOMPARE(signsOnScreen(panel), kNoEntry);
    QVERIFY(wordShown(panel, kOfflineColor));
    QVERIFY(!wordShown(panel, kOnlineColor));
    QVERIFY(m_form->Label1(0)->isVisibleTo(m_form));
    QVERIFY(!m_form->Label1(1)->isVisibleTo(m_form));
    QCOMPARE(faceOnScreen(panel), 2);
    QVERIFY(m_form->btn_conn()->isEnabled());
    QCOMPARE(m_form->btn_conn()->text(), QStringLiteral("CONNECT"));
    QVERIFY(m_form->btn_connTimer().isActive());
    QCOMPARE(m_form->btn_connTimer().interval(), 500);
    QVERIFY(m_form->Label2()->text().isEmpty());
    // The box: the first port present, the list of ports, and the gradient behind everything.
    QCOMPARE(m_form->PortText(), m_line->Path());
    QCOMPARE(m_form->Combo1()->count(), 2);
    QCOMPARE(m_form->Combo1()->geometry().topLeft(), QPoint(32, 13));
    QVERIFY(colourDistance(panel.pixelColor(5, 1), kBackgroundTop) < 20);
    QVERIFY(colourDistance(panel.pixelColor(5, 38), kBackgroundBottom) < 20);
}

void ConnectFormTest::facesCycle() {
    QList<int> faces;
    for (int i = 0; i < 7; ++i) {
        m_form->btn_connTimer_Timer();
        faces << faceOnScreen(shot());
        QCOMPARE(m_form->FaceShown(), faces.last());
    }
    QCOMPARE(faces, (QList<int>{3, 4, 2, 3, 4, 2, 3}));
}

void ConnectFormTest::connectingAndPickingAnotherPort() {
    attach();
    m_form->btn_connTimer().stop(); // ticks are driven by hand here
    m_form->btn_connTimer_Timer();
    m_form->btn_connTimer_Timer(); // magenta, then green
    QCOMPARE(m_form->FaceShown(), 4);

    QTest::mouseClick(m_form->btn_conn(), Qt::LeftButton);
    QCOMPARE(m_link->State(), LinkState::Syncing);
    QImage panel = shot();
    QCOMPARE(faceOnScreen(panel), 1);
    QVERIFY(!m_form->btn_conn()->isEnabled());
    QVERIFY(!m_form->btn_connTimer().isActive());
    QCOMPARE(signsOnScreen(panel), kNoEntry); // still OFFLINE while syncing after a connect
    QVERIFY(wordShown(panel, kOfflineColor));

    // Nothing attached: armed within a tick or two.
    QTRY_COMPARE_WITH_TIMEOUT(m_link->State(), LinkState::Armed, 1000);
    panel = shot();
    QCOMPARE(signsOnScreen(panel), kArrows);
    QVERIFY(wordShown(panel, kOnlineColor));
    QVERIFY(!wordShown(panel, kOfflineColor));
    QCOMPARE(faceOnScreen(panel), 1);
    QVERIFY(m_messages->shown.isEmpty());

    // Picking the other entry with the keyboard disconnects.
    m_form->Combo1()->setFocus();
    QTest::keyClick(m_form->Combo1(), Qt::Key_Down);
    QCOMPARE(m_link->State(), LinkState::Closed);
    QCOMPARE(m_form->PortText(), QStringLiteral("/dev/ttyUSB7"));
    panel = shot();
    QCOMPARE(signsOnScreen(panel), kNoEntry);
    QVERIFY(wordShown(panel, kOfflineColor));
    QVERIFY(m_form->btn_conn()->isEnabled());
    QVERIFY(m_form->btn_connTimer().isActive());
    QCOMPARE(faceOnScreen(panel), 4); // the last face shown, not the grey one
    m_form->btn_connTimer_Timer();
    QCOMPARE(faceOnScreen(shot()), 2); // and the animation goes on from there
}

void ConnectFormTest::typingNeverPicks() {
    attach();
    QTest::mouseClick(m_form->btn_conn(), Qt::LeftButton);
    QTRY_COMPARE(m_link->State(), LinkState::Armed);

    QLineEdit* edit = m_form->Combo1()->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("/dev/ttyUSB7"));
    QTest::keyClick(edit, Qt::Key_Return);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("/tmp/typed"));
    QTest::keyClick(edit, Qt::Key_Enter);
    QTest::keyClick(m_form->Combo1(), Qt::Key_Return);
    QCOMPARE(m_link->State(), LinkState::Armed);
    QCOMPARE(m_form->Combo1()->count(), 2);
    QCOMPARE(m_form->PortText(), QStringLiteral("/tmp/typed"));
}

void ConnectFormTest::listRefreshesWhenOpened() {
    attach();
    QTest::mouseClick(m_form->btn_conn(), Qt::LeftButton);
    QTRY_COMPARE(m_link->State(), LinkState::Armed);
    const QString text = m_form->PortText();

    m_ports->list = {QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyUSB0"), text};
    m_form->Combo1()->showPopup();
    QCOMPARE(m_form->Combo1()->count(), 3);
    QCOMPARE(m_form->Combo1()->itemText(0), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(m_form->PortText(), text);
    m_form->Combo1()->hidePopup();
    QCOMPARE(m_link->State(), LinkState::Armed); // a refresh is no pick

    // The port vanished from the list: the box keeps its text all the same.
    m_ports->list = {QStringLiteral("/dev/ttyACM0")};
    m_form->Combo1()->showPopup();
    m_form->Combo1()->hidePopup();
    QCOMPARE(m_form->Combo1()->count(), 1);
    QCOMPARE(m_form->PortText(), text);
    QCOMPARE(m_link->State(), LinkState::Armed);
}

void ConnectFormTest::readoutSwitchesBetweenTheSteps() {
    // Online: the words switch first, then the readout, then the signs.
    QList<bool> online;
    connect(m_form, &ConnectForm::ShowReadoutOnline, this, [&] {
        online << m_form->Label1(1)->isVisibleTo(m_form)
               << (signOnScreen(shot(), 0) == Sign::NoEntry);
    });
    // Offline: the signs switch first, then the words, then the readout.
    QList<bool> offline;
    connect(m_form, &ConnectForm::ShowReadoutOffline, this, [&] {
        offline << (signsOnScreen(shot()) == kNoEntry) << m_form->Label1(0)->isVisibleTo(m_form);
    });
    m_form->ShowLinkOnline();
    QCOMPARE(online, (QList<bool>{true, true}));
    QCOMPARE(signsOnScreen(shot()), kArrows);
    m_form->ShowLinkOffline();
    QCOMPARE(offline, (QList<bool>{true, true}));
}

void ConnectFormTest::clockText() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QVERIFY(m_form->Timer2().isActive());
    QCOMPARE(m_form->Timer2().interval(), 1000);
    const QString before = ClockText(QDateTime::currentDateTime());
    m_form->Timer2_Timer();
    const QString after = ClockText(QDateTime::currentDateTime());
    const QString shown = m_form->ClockText();
    QVERIFY2(shown == before || shown == after, qPrintable(shown));
    // "06.05.14 10:11:12": short date, one space, time with seconds.
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                 .match(shown)
                 .hasMatch(),
             qPrintable(shown));
    QCOMPARE(m_form->Label2()->text(), shown);
    // The clock ticks by itself too.
    m_form->Label2()->clear();
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->ClockText().isEmpty(), 2000);
}

QTEST_MAIN(ConnectFormTest)
#include "ConnectFormTest.moc"
