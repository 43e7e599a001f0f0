#include "FakeSysfs.h"
#include "LinkFakes.h"

#include "link/DeviceSerialPort.h"
#include "link/LinuxPortPlatform.h"
#include "link/MeterFeed.h"
#include "link/PseudoTerminal.h"
#include "link/WindowsPortPlatform.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
const QString kPortError = QStringLiteral("port error!");

QByteArray frameBytes(int n) {
    MeterFrameFields f;
    f.valueMagnitude = static_cast<std::uint16_t>(n);
    f.temperatureMagnitude = static_cast<std::uint16_t>(n * 7);
    const MeterFrame frame = EncodeFrame(f);
    return QByteArray(reinterpret_cast<const char*>(frame.data()), kFrameLength);
}

// The meter's line again, behind the same link: a new pseudo-terminal, as a simulated meter
// started again would make.

// This test program again, as the user nobody, probing path: its output is the reason.
QString probeAsNobody(const QString& path) {
    QProcess child;
    child.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
    });
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--probe"), path});
    child.waitForFinished(30000);
    return QString::fromLocal8Bit(child.readAllStandardOutput());
}
} // namespace

Q_DECLARE_METATYPE(LinkState)

// The link control on a real serial port whose far side is a pseudo-terminal.
class LinkControllerTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void connectArmsAtTheFirstQuietTick();
    void bytesWithoutPauseKeepSyncing();
    void unplugWaitsOffline();
    void unplugWhileSyncingStopsTheFlush();
    void portErrorsLeaveTheLinkClosed();
    void portErrorsSayWhy_data();
    void portErrorsSayWhy();
    void killedReaderLeavesNoExclusiveLine();
    void permissionDeniedNamesTheGroup();
    void bareNamesAreDevices();
    void framesBackToBackAtLineRateAllKept();
    void meterWithoutPausesGetsInStep_data();
    void meterWithoutPausesGetsInStep();
    void pickingAPortDisconnects();
    void resyncOnlyWhileOpen();
    void pauseHoldsUntilResync();
    void autoConnectFindsTheBridgeByDriver();
    void shutdownClosesThePort();
    void userActionsEndTheWait_data();
    void userActionsEndTheWait();
    void deviceComesBack_data();
    void deviceComesBack();

private:
    void connectAndArm();
    QString connectThroughALink();

    QTemporaryDir* m_dir = nullptr;
    PseudoTerminal* m_line = nullptr;
    DeviceSerialPort* m_port = nullptr;
    LinuxPortPlatform* m_platform = nullptr;
    LoggingPanel* m_panel = nullptr;
    ScriptedMessages* m_messages = nullptr;
    LinkController* m_link = nullptr;
};

void LinkControllerTest::init() {
    m_dir = new QTemporaryDir;
    m_line = new PseudoTerminal;
    QVERIFY(m_line->Open());
    m_port = new DeviceSerialPort;
    FakeSysfs sys(m_dir->filePath(QStringLiteral("sys")));
    QDir().mkpath(m_dir->filePath(QStringLiteral("dev")));
    m_platform = new LinuxPortPlatform(sys.Root(), m_dir->filePath(QStringLiteral("dev")));
    m_panel = new LoggingPanel;
    m_messages = new ScriptedMessages;
    m_link = new LinkController(*m_port, *m_platform);
    m_link->SetPanel(*m_panel, *m_messages);
}

void LinkControllerTest::cleanup() {
    delete m_link;
    delete m_messages;
    delete m_panel;
    delete m_platform;
    delete m_port;
    delete m_line;
    delete m_dir;
}

void LinkControllerTest::connectAndArm() {
    m_panel->text = m_line->Path();
    m_link->btn_conn_Click();
    QTRY_COMPARE(m_link->State(), LinkState::Armed);
    m_panel->log.clear();
}

// Connects through a symbolic link to the line, as a user who gave /tmp/meter would.
QString LinkControllerTest::connectThroughALink() {
    const QString link = m_dir->filePath(QStringLiteral("meter"));
    if (!QFile::link(m_line->Path(), link))
        return QString();
    m_panel->text = link;
    m_link->btn_conn_Click();
    if (!QTest::qWaitFor([this] { return m_link->State() == LinkState::Armed; }))
        return QString();
    m_panel->log.clear();
    return link;
}

void LinkControllerTest::connectArmsAtTheFirstQuietTick() {
    // Nothing attached: the first tick finds the line quiet and arms.
    m_panel->text = m_line->Path();
    m_link->btn_conn_Click();
    QCOMPARE(m_link->State(), LinkState::Syncing);
    QVERIFY(m_port->PortOpen());
    QCOMPARE(m_port->CommPort(), m_line->Path());
    QCOMPARE(m_port->RThreshold(), 0);
    QVERIFY(m_link->Timer1().isActive());
    QCOMPARE(m_link->Timer1().interval(), 50);
    QCOMPARE(m_panel->log, QStringList{QStringLiteral("disabled")});

    QTRY_COMPARE_WITH_TIMEOUT(m_link->State(), LinkState::Armed, 1000);
    QCOMPARE(m_port->RThreshold(), 13);
    QVERIFY(!m_link->Timer1().isActive());
    QCOMPARE(m_panel->log, (QStringList{QStringLiteral("disabled"), QStringLiteral("online")}));
    QVERIFY(m_messages->shown.isEmpty());

    // Armed, a whole frame raises one receive event with 13 waiting.
    QList<int> waiting;
    connect(m_port, &SerialPort::OnComm, this, [&] {
        waiting << m_port->InBufferCount();
        m_port->DiscardInput();
    });
    m_line->Write(QByteArray(13, 'x'));
    QTRY_COMPARE(waiting, QList<int>{13});
}

void LinkControllerTest::bytesWithoutPauseKeepSyncing() {
    // The meter is mid-stream when the port opens: bytes every 10 ms, never a 50 ms pause.
    QTimer writer;
    writer.setInterval(10);
    connect(&writer, &QTimer::timeout, this, [this] { m_line->Write(QByteArray(13, 'y')); });
    writer.start();
    m_panel->text = m_line->Path();
    m_link->btn_conn_Click();
    QTest::qWait(400);
    QCOMPARE(m_link->State(), LinkState::Syncing);
    QCOMPARE(m_port->RThreshold(), 0);
    QVERIFY(!m_panel->log.contains(QStringLiteral("online")));

    // The meter pauses: the next tick arms, with nothing of the old stream left waiting.
    writer.stop();
    QTRY_COMPARE(m_link->State(), LinkState::Armed);
    QCOMPARE(m_port->InBufferCount(), 0);
    QCOMPARE(m_panel->log.last(), QStringLiteral("online"));
}

void LinkControllerTest::unplugWaitsOffline() {
    connectAndArm();
    m_line->Close();
    QTRY_COMPARE(m_link->State(), LinkState::Waiting);
    QVERIFY(!m_port->PortOpen());
    QCOMPARE(m_port->RThreshold(), 0);
    QVERIFY(!m_link->Timer1().isActive());
    QCOMPARE(m_panel->log, (QStringList{QStringLiteral("enabled"), QStringLiteral("offline")}));
    QCOMPARE(m_link->WaitingFor(), m_panel->text); // the port box keeps its text

    // CONNECT works again once the device is back.
    QVERIFY(m_line->Open());
    m_panel->text = m_line->Path();
    m_link->btn_conn_Click();
    QTRY_COMPARE(m_link->State(), LinkState::Armed);
}

void LinkControllerTest::unplugWhileSyncingStopsTheFlush() {
    m_panel->text = m_line->Path();
    QTimer writer; // keeps the link syncing
    connect(&writer, &QTimer::timeout, this, [this] { m_line->Write(QByteArray(13, 'z')); });
    writer.start(10);
    m_link->btn_conn_Click();
    QTest::qWait(100);
    QCOMPARE(m_link->State(), LinkState::Syncing);
    writer.stop();
    m_line->Close();
    QTRY_COMPARE(m_link->State(), LinkState::Waiting);
    QVERIFY(!m_link->Timer1().isActive());
    QCOMPARE(m_panel->log.last(), QStringLiteral("offline"));
    QVERIFY(!m_panel->log.contains(QStringLiteral("online")));
}

void LinkControllerTest::portErrorsLeaveTheLinkClosed() {
    QFile plain(m_dir->filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();

    DeviceSerialPort holder; // another program holds this line
    PseudoTerminal held;
    QVERIFY(held.Open());
    holder.SetCommPort(held.Path());
    QVERIFY(holder.Open());

    const QStringList bad = {m_dir->filePath(QStringLiteral("missing")), plain.fileName(),
                             QString(), QStringLiteral("   "), held.Path()};
    for (const QString& text : bad) {
        m_panel->text = text;
        m_messages->shown.clear();
        m_link->btn_conn_Click();
        QCOMPARE(m_messages->shown, QStringList{kPortError});
        QCOMPARE(m_link->State(), LinkState::Closed);
        QVERIFY(!m_port->PortOpen());
        QVERIFY(!m_link->Timer1().isActive());
    }
    QVERIFY(m_panel->log.isEmpty());
    QVERIFY(holder.PortOpen());
}

void LinkControllerTest::portErrorsSayWhy_data() {
    QTest::addColumn<QString>("port"); // "missing", "plain" and "held" are set up below
    QTest::addColumn<QString>("reason");
    const QString notSerial = QStringLiteral(
        "'%1' is not a serial device. The meter's port is a serial device such as /dev/ttyUSB0.");
    QTest::newRow("no such device") << "missing"
                                    << "No such device: '%1'. Check that the meter's cable is "
                                       "plugged in and that the port name is right.";
    QTest::newRow("a line end in the name, quoted")
        << "missing\nline"
        << "No such device: '%1'. Check that the meter's cable is plugged in and that the port "
           "name is right.";
    QTest::newRow("plain file") << "plain" << notSerial;
    QTest::newRow("terminal, not serial") << "/dev/tty" << notSerial;
    QTest::newRow("device, not serial") << "/dev/null" << notSerial;
    QTest::newRow("in use by another program")
        << "held"
        << "'%1' is in use by another program: sleep (process %2). Close it, then try again.";
    QTest::newRow("read by a program that takes no lock")
        << "read"
        << "'%1' is in use by another program: cat (process %2). Close it, then try again.";
    QTest::newRow("no name") << " "
                             << "No port is named. Type or pick the meter's port.";
}

void LinkControllerTest::portErrorsSayWhy() {
    QFETCH(QString, port);
    QFETCH(QString, reason);
    QProcess holder; // another program: it takes the line's lock, then becomes "sleep"
    if (port == QStringLiteral("read")) {
        holder.setStandardInputFile(m_line->Path());
        holder.start(QStringLiteral("cat"));
        QVERIFY(holder.waitForStarted());
        port = m_line->Path();
        reason = reason.arg(port).arg(holder.processId());
    } else if (port == QStringLiteral("held")) {
        const QByteArray path = QFile::encodeName(m_line->Path());
        holder.setChildProcessModifier([path] {
            const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0)
                ::_exit(3);
        });
        holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(holder.waitForStarted());
        port = m_line->Path();
        reason = reason.arg(port).arg(holder.processId());
    } else if (port.startsWith(QStringLiteral("missing")) || port == QStringLiteral("plain")) {
        port = m_dir->filePath(port);
        QFile(m_dir->filePath(QStringLiteral("plain"))).open(QIODevice::WriteOnly);
        reason = reason.arg(QString(port).replace(u'\n', QStringLiteral("\\n")));
    } else if (reason.contains(u'%')) {
        reason = reason.arg(port);
    }
    m_panel->text = port;
    QTest::ignoreMessage(QtWarningMsg, qPrintable(kPortError + u' ' + reason)); // standard error
    m_link->btn_conn_Click();
    QCOMPARE(m_messages->shown, QStringList{kPortError});
    QCOMPARE(m_messages->details, QStringList{reason});
    QCOMPARE(m_link->State(), LinkState::Closed);
    // A program without windows asks the same call and gets the same reason; nothing is shown.
    const LinkOutcome asked = m_link->Connect(port);
    QVERIFY(!asked.opened);
    QCOMPARE(asked.port, port);
    QCOMPARE(asked.reason, reason);
    QCOMPARE(m_messages->shown.size(), 1);
    holder.kill();
    holder.waitForFinished();
}

void LinkControllerTest::killedReaderLeavesNoExclusiveLine() {
    // This test program again, reading the line through the port until it is killed.
    QProcess reader;
    reader.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--read"), m_line->Path()});
    QVERIFY(reader.waitForReadyRead(30000));
    ::kill(pid_t(reader.processId()), SIGKILL);
    QVERIFY(reader.waitForFinished());
    const int fd = ::open(QFile::encodeName(m_line->Path()).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    int exclusive = -1;
    QCOMPARE(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
    ::close(fd);
    QCOMPARE(exclusive, 0); // others may open it, whoever they are
    m_panel->text = m_line->Path();
    m_link->btn_conn_Click();
    QCOMPARE(m_link->State(), LinkState::Syncing);
}

void LinkControllerTest::permissionDeniedNamesTheGroup() {
    // The line may be used by its group, which the probing user is not in: as root, a child
    // process run as nobody probes; otherwise this user, with the owner's rights taken away.
    const QByteArray path = QFile::encodeName(m_line->Path());
    QString reason;
    if (::geteuid() == 0) {
        QCOMPARE(::chown(path.constData(), 0, ::getgrnam("dialout")->gr_gid), 0);
        QCOMPARE(::chmod(path.constData(), 0660), 0);
        reason = probeAsNobody(m_line->Path());
    } else {
        if (QFileInfo(m_line->Path()).groupId() == 0)
            QSKIP("needs root: the line belongs to the group root");
        QCOMPARE(::chmod(path.constData(), 0060), 0);
        QVERIFY(!m_platform->Probe(m_line->Path(), &reason));
    }
    QCOMPARE(reason, QStringLiteral("Permission denied: '%1' may be used by the group \"%2\". Add "
                                    "your user to it with \"sudo usermod -aG %2 $USER\", then "
                                    "log out and in again.")
                         .arg(m_line->Path(), QFileInfo(m_line->Path()).group()));
}

void LinkControllerTest::bareNamesAreDevices() {
    QVERIFY(QFile::link(m_line->Path(), m_dir->filePath(QStringLiteral("dev/ttyUSB0"))));
    m_panel->text = QStringLiteral("ttyUSB0"); // the device of that name under /dev
    m_link->btn_conn_Click();
    QCOMPARE(m_port->CommPort(), m_dir->filePath(QStringLiteral("dev/ttyUSB0")));
    QTRY_COMPARE(m_link->State(), LinkState::Armed);
}

void LinkControllerTest::meterWithoutPausesGetsInStep_data() {
    QTest::addColumn<double>("rate"); // frames a second, each sent whole; none pauses 50 ms
    QTest::newRow("21") << 21.0;
    QTest::newRow("25") << 25.0;
    QTest::newRow("40") << 40.0;
    QTest::newRow("73") << 73.0;
}

void LinkControllerTest::meterWithoutPausesGetsInStep() {
    // The simulated meter streams before the port opens; the frames the link cuts must be the
    // ones it sent, one after another.
    QFETCH(double, rate);
    MeterFeed meter(rate);
    QVERIFY(meter.Open());
    meter.UseSimulator(26);
    QList<QByteArray> sent;
    connect(&meter, &MeterFeed::FrameSent, this, [&](const QByteArray& f) { sent << f; });
    QList<QByteArray> taken;
    connect(m_port, &SerialPort::OnComm, this, [&] {
        while (const std::optional<MeterFrame> f = m_link->TakeFrame())
            taken << QByteArray(reinterpret_cast<const char*>(f->data()), kFrameLength);
    });
    meter.Start();
    QTest::qWait(300);
    m_panel->text = meter.PortPath();
    m_link->btn_conn_Click();
    QTRY_VERIFY_WITH_TIMEOUT(taken.size() >= 20, kNoGapLimit + 4000);
    qsizetype first = sent.indexOf(taken.first());
    while (first >= 0 && sent.mid(first, taken.size()) != taken)
        first = sent.indexOf(taken.first(), first + 1);
    QVERIFY2(first >= 0, "the frames taken are not the ones sent");
}

void LinkControllerTest::framesBackToBackAtLineRateAllKept() {
    connectAndArm();
    QList<QByteArray> frames;
    connect(m_port, &SerialPort::OnComm, this, [&] {
        while (const std::optional<MeterFrame> f = m_link->TakeFrame())
            frames << QByteArray(reinterpret_cast<const char*>(f->data()), kFrameLength);
    });
    // 10 s at the line's full rate (9600 baud: 73.8 frames a second), no gap, as a meter would
    // send them: from a thread of their own, each frame on its own schedule.
    const int count = 738;
    std::jthread meter([this, count] {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < count; ++i) {
            std::this_thread::sleep_until(start +
                                          std::chrono::microseconds(i * 13'000'000LL / 960));
            m_line->Write(frameBytes(i));
        }
    });
    QTRY_COMPARE_WITH_TIMEOUT(frames.size(), count, 60000);
    for (int i = 0; i < count; ++i)
        QCOMPARE(frames[i], frameBytes(i));
}

void LinkControllerTest::pickingAPortDisconnects() {
    // Closed: a pick changes nothing.
    m_link->Combo1_Click();
    QVERIFY(m_panel->log.isEmpty());
    QCOMPARE(m_link->State(), LinkState::Closed);

    // Syncing: the port closes and the flush stops.
    QTimer writer;
    connect(&writer, &QTimer::timeout, this, [this] { m_line->Write(QByteArray(13, 'z')); });
    writer.start(10);
    m_panel->text = m_line->Path();
    m_link->btn_conn_Click();
    QTest::qWait(80);
    QCOMPARE(m_link->State(), LinkState::Syncing);
    m_panel->log.clear();
    m_link->Combo1_Click();
    writer.stop();
    QCOMPARE(m_link->State(), LinkState::Closed);
    QVERIFY(!m_port->PortOpen());
    QVERIFY(!m_link->Timer1().isActive());
    QCOMPARE(m_panel->log, (QStringList{QStringLiteral("enabled"), QStringLiteral("offline")}));

    // Armed: the same.
    connectAndArm();
    m_link->Combo1_Click();
    QCOMPARE(m_link->State(), LinkState::Closed);
    QCOMPARE(m_port->RThreshold(), 0);
    QCOMPARE(m_panel->log, (QStringList{QStringLiteral("enabled"), QStringLiteral("offline")}));
}

void LinkControllerTest::resyncOnlyWhileOpen() {
    m_link->RequestResync();
    QCOMPARE(m_link->State(), LinkState::Closed);
    QVERIFY(!m_link->Timer1().isActive());
    QTest::qWait(120);
    QVERIFY(m_panel->log.isEmpty());

    connectAndArm();
    m_port->SetQuietGap(0);            // they are no fragment yet
    m_line->Write(QByteArray(5, 'q')); // bytes that piled up during a dialog
    QTRY_COMPARE(m_port->InBufferCount(), 5);
    m_link->RequestResync();
    QCOMPARE(m_link->State(), LinkState::Syncing);
    QCOMPARE(m_port->RThreshold(), 0);
    QVERIFY(m_link->Timer1().isActive());
    QVERIFY(m_panel->log.isEmpty()); // the panel keeps showing ONLINE
    QTRY_COMPARE(m_link->State(), LinkState::Armed);
    QCOMPARE(m_port->InBufferCount(), 0);
    QCOMPARE(m_port->RThreshold(), 13);
    QCOMPARE(m_panel->log, QStringList{QStringLiteral("online")});
}

void LinkControllerTest::pauseHoldsUntilResync() {
    m_link->PauseReception(); // closed: nothing to pause
    QCOMPARE(m_link->State(), LinkState::Closed);

    // Paused while still syncing: the flush timer must not arm behind the pause's back.
    m_panel->text = m_line->Path();
    m_link->btn_conn_Click();
    QCOMPARE(m_link->State(), LinkState::Syncing);
    m_link->PauseReception();
    QVERIFY(!m_link->Timer1().isActive());
    QTest::qWait(150);
    QCOMPARE(m_port->RThreshold(), 0);
    QCOMPARE(m_link->State(), LinkState::Paused);

    m_line->Write(QByteArray(13, 'f')); // a frame during the print is not received
    QTRY_COMPARE(m_port->InBufferCount(), 13);
    m_link->RequestResync();
    QTRY_COMPARE(m_link->State(), LinkState::Armed);
    QCOMPARE(m_port->InBufferCount(), 0);
}

void LinkControllerTest::autoConnectFindsTheBridgeByDriver() {
    // Nothing attached: nothing happens, no message.
    m_link->AutoConnect();
    QCOMPARE(m_link->State(), LinkState::Closed);
    QVERIFY(m_panel->log.isEmpty());

    FakeSysfs sys(m_dir->filePath(QStringLiteral("sys")));
    sys.AddTty(QStringLiteral("ttyACM0"), QStringLiteral("cdc_acm"));
    sys.AddTty(QStringLiteral("ttyUSB0"), QStringLiteral("cp210x"));
    const QString bridge = m_dir->filePath(QStringLiteral("dev/ttyUSB0"));
    QVERIFY(QFile::link(m_line->Path(), bridge));

    m_link->AutoConnect();
    QCOMPARE(m_link->State(), LinkState::Syncing);
    QCOMPARE(m_port->CommPort(), bridge);
    QCOMPARE(m_panel->text, bridge);
    QTRY_COMPARE(m_link->State(), LinkState::Armed);
    QVERIFY(m_messages->shown.isEmpty());
}

void LinkControllerTest::shutdownClosesThePort() {
    connectAndArm();
    m_link->RequestResync();
    m_link->Shutdown();
    QVERIFY(!m_port->PortOpen());
    QVERIFY(!m_link->Timer1().isActive());
    QCOMPARE(m_link->State(), LinkState::Closed);
}

void LinkControllerTest::userActionsEndTheWait_data() {
    QTest::addColumn<QString>("action");
    for (const char* action : {"CONNECT", "pick", "exit"})
        QTest::newRow(action) << action;
}

void LinkControllerTest::userActionsEndTheWait() {
    QFETCH(QString, action);
    const QString link = connectThroughALink();
    QVERIFY(!link.isEmpty());
    m_line->Close();
    QTRY_COMPARE(m_link->State(), LinkState::Waiting);
    if (action == QStringLiteral("CONNECT")) {
        // The user's own CONNECT says why it failed, as always.
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^port error! No such")));
        m_link->btn_conn_Click();
    } else if (action == QStringLiteral("pick")) {
        m_link->Combo1_Click();
    } else {
        m_link->Shutdown();
    }
    QCOMPARE(m_link->State(), LinkState::Closed);
    QCOMPARE(m_messages->shown.size(), action == QStringLiteral("CONNECT") ? 1 : 0);

    // The meter comes back behind the link: nothing opens it.
    PseudoTerminal back;
    QVERIFY(back.Open() && PointLinkAt(link, back.Path()));
    QTest::qWait(2 * PortReturnWatch::kPollInterval);
    QCOMPARE(m_link->State(), LinkState::Closed);
    QVERIFY(!m_port->PortOpen());
}

void LinkControllerTest::deviceComesBack_data() {
    // The user's link to the line, or the bridge by its lasting name (a fake /dev), back as
    // ttyUSB1. Pauses are the table printing: a device back during a print stays paused.
    QTest::addColumn<bool>("bridge");
    QTest::addColumn<QString>("pauses");
    QTest::addColumn<LinkState>("whenBack");
    QTest::newRow("link") << false << "" << LinkState::Armed;
    QTest::newRow("bridge, as ttyUSB1") << true << "" << LinkState::Armed;
    QTest::newRow("paused, then lost") << false << "before" << LinkState::Paused;
    QTest::newRow("lost, then paused") << false << "away" << LinkState::Paused;
    QTest::newRow("paused, lost, resumed") << false << "before, resumed" << LinkState::Armed;
}

void LinkControllerTest::deviceComesBack() {
    QFETCH(bool, bridge);
    QFETCH(QString, pauses);
    QFETCH(LinkState, whenBack);
    const QString dev = m_dir->filePath(QStringLiteral("dev"));
    const QString byId = dev + QStringLiteral("/serial/by-id/usb-Bridge_0001-if00-port0");
    const QString usb1 = dev + QStringLiteral("/ttyUSB1");
    QString link;
    if (bridge) {
        QVERIFY(QDir().mkpath(dev + QStringLiteral("/serial/by-id")));
        QVERIFY(QFile::link(m_line->Path(), dev + QStringLiteral("/ttyUSB0")));
        QVERIFY(QFile::link(QStringLiteral("../../ttyUSB0"), byId));
        m_panel->text = QStringLiteral("ttyUSB0");
        m_link->btn_conn_Click();
        QTRY_COMPARE(m_link->State(), LinkState::Armed);
        m_panel->log.clear();
    } else {
        link = connectThroughALink();
        QVERIFY(!link.isEmpty());
    }
    QList<LinkState> states;
    connect(m_link, &LinkController::StateChanged, this, [&](LinkState s) { states << s; });
    if (pauses.startsWith(QStringLiteral("before")))
        m_link->PauseReception();
    m_line->Close(); // unplugged: the bridge's node and names go
    QVERIFY(!bridge || (QFile::remove(dev + QStringLiteral("/ttyUSB0")) &&
                        QDir(dev + QStringLiteral("/serial")).removeRecursively()));
    QTRY_COMPARE(m_link->State(), LinkState::Waiting);
    QCOMPARE(m_link->WaitingFor(), bridge ? byId : link);
    if (pauses == QStringLiteral("away"))
        m_link->PauseReception();
    if (pauses.endsWith(QStringLiteral("resumed")))
        m_link->RequestResync();

    PseudoTerminal back;
    QVERIFY(back.Open());
    if (bridge)
        QVERIFY(QFile::link(back.Path(), usb1) &&
                QDir().mkpath(dev + QStringLiteral("/serial/by-id")) &&
                QFile::link(QStringLiteral("../../ttyUSB1"), byId));
    else
        QVERIFY(PointLinkAt(link, back.Path()));
    QTRY_COMPARE(m_link->State(), whenBack);
    const QList<LinkState> sequence =
        whenBack == LinkState::Armed
            ? QList<LinkState>{LinkState::Waiting, LinkState::Syncing, LinkState::Armed}
            : QList<LinkState>{LinkState::Waiting, LinkState::Paused};
    QCOMPARE(states.mid(states.indexOf(LinkState::Waiting)), sequence);
    QCOMPARE(m_panel->text, bridge ? usb1 : link);
    if (whenBack == LinkState::Paused) {
        back.Write(frameBytes(3)); // during the print: not taken
        QVERIFY(back.WaitUntilPending(kFrameLength));
        QVERIFY(!m_link->TakeFrame());
        m_link->RequestResync();
        QTRY_COMPARE(m_link->State(), LinkState::Armed);
    }
    back.Write(frameBytes(9));
    std::optional<MeterFrame> frame;
    QVERIFY(QTest::qWaitFor([&] { return (frame = m_link->TakeFrame()).has_value(); }));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(frame->data()), kFrameLength), frameBytes(9));
    QStringList panel = {"enabled", "offline", "disabled", "online"};
    if (bridge)
        panel.insert(2, QStringLiteral("text ") + usb1); // shown when back under another name
    QCOMPARE(m_panel->log, panel);
    QVERIFY(m_messages->shown.isEmpty());
}

// The link control with Windows port names, a scripted registry and probe, and a port that only
// records what it was asked to open.
class WindowsLinkTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void bridgeUnderTheSecondDriverName();
    void bridgeNameOutsideTheSixteenOpensNothing();
    void noBridgeNoMessage();
    void openFailureAfterLookup();
    void connectProbesWhatItOpens_data();
    void connectProbesWhatItOpens();
    void unknownNameIsAPortError();
    void failedProbeOrOpen();

private:
    ScriptedComPortSystem* m_system = nullptr;
    WindowsPortPlatform* m_platform = nullptr;
    RecordingSerialPort* m_port = nullptr;
    LoggingPanel* m_panel = nullptr;
    ScriptedMessages* m_messages = nullptr;
    LinkController* m_link = nullptr;
};

void WindowsLinkTest::init() {
    m_system = new ScriptedComPortSystem;
    m_platform = new WindowsPortPlatform(*m_system);
    m_port = new RecordingSerialPort;
    m_panel = new LoggingPanel;
    m_panel->text = m_platform->StartText();
    m_messages = new ScriptedMessages;
    m_link = new LinkController(*m_port, *m_platform);
    m_link->SetPanel(*m_panel, *m_messages);
}

void WindowsLinkTest::cleanup() {
    delete m_link;
    delete m_messages;
    delete m_panel;
    delete m_port;
    delete m_platform;
    delete m_system;
}

void WindowsLinkTest::bridgeUnderTheSecondDriverName() {
    m_system->registry.values["\\Device\\slabser0"] = ScriptedRegistry::Text("COM4");
    m_link->AutoConnect();
    QCOMPARE(m_port->opened, QStringList{QStringLiteral("COM4")});
    QCOMPARE(m_panel->text, QStringLiteral("COM4"));
    QCOMPARE(m_link->State(), LinkState::Syncing);
    QVERIFY(m_link->Timer1().isActive());
    QVERIFY(m_panel->log.contains(QStringLiteral("disabled")));
    QVERIFY(m_system->probed.empty()); // no probe on this path
    // The flush finds nothing waiting and arms.
    m_link->Timer1_Timer();
    QCOMPARE(m_link->State(), LinkState::Armed);
    QCOMPARE(m_port->threshold, 13);
}

void WindowsLinkTest::bridgeNameOutsideTheSixteenOpensNothing() {
    m_system->registry.values["\\Device\\silabser0"] = ScriptedRegistry::Text("COM17");
    m_link->AutoConnect();
    QVERIFY(m_port->opened.isEmpty());
    QCOMPARE(m_panel->text, QStringLiteral("COM17"));
    QCOMPARE(m_link->State(), LinkState::Closed);
    QVERIFY(!m_link->Timer1().isActive());
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(m_panel->log, QStringList{QStringLiteral("text COM17")});

    // CONNECT with that name is refused rather than opening another port.
    m_link->btn_conn_Click();
    QVERIFY(m_port->opened.isEmpty());
    QCOMPARE(m_messages->shown, QStringList{kPortError});
}

void WindowsLinkTest::noBridgeNoMessage() {
    m_system->registry.keyExists = false;
    m_link->AutoConnect();
    m_system->registry.keyExists = true;
    m_link->AutoConnect(); // key there, neither value
    QVERIFY(m_port->opened.isEmpty());
    QCOMPARE(m_panel->text, QStringLiteral("COM3"));
    QVERIFY(m_panel->log.isEmpty());
    QVERIFY(m_messages->shown.isEmpty());
}

void WindowsLinkTest::openFailureAfterLookup() {
    m_system->registry.values["\\Device\\silabser0"] = ScriptedRegistry::Text("COM5");
    m_port->openSucceeds = false;
    m_link->AutoConnect();
    QCOMPARE(m_port->opened, QStringList{QStringLiteral("COM5")});
    QCOMPARE(m_panel->text, QStringLiteral("COM5"));
    QCOMPARE(m_messages->shown, QStringList{kPortError});
    QCOMPARE(m_link->State(), LinkState::Closed);
    QVERIFY(!m_link->Timer1().isActive());
    QVERIFY(!m_panel->log.contains(QStringLiteral("disabled")));
}

void WindowsLinkTest::connectProbesWhatItOpens_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("probe");
    QTest::newRow("COM9") << "COM9"
                          << "COM9";
    QTest::newRow("COM10") << "COM10"
                           << "\\\\.\\COM10";
    QTest::newRow("COM12") << "COM12"
                           << "\\\\.\\COM12";
    QTest::newRow("COM1") << "COM1"
                          << "COM1";
    QTest::newRow("COM16") << "COM16"
                           << "\\\\.\\COM16";
}

void WindowsLinkTest::connectProbesWhatItOpens() {
    QFETCH(QString, name);
    QFETCH(QString, probe);
    m_panel->text = name;
    m_link->btn_conn_Click();
    QCOMPARE(m_system->probed, std::vector<std::string>{probe.toStdString()});
    QCOMPARE(m_port->opened, QStringList{name});
    QCOMPARE(m_link->State(), LinkState::Syncing);
    QVERIFY(m_messages->shown.isEmpty());
}

void WindowsLinkTest::unknownNameIsAPortError() {
    for (const char* text : {"com4", "COM0", "COM17", "COM04", " COM4", "COM4 ", ""}) {
        m_panel->text = QString::fromLatin1(text);
        m_messages->shown.clear();
        m_link->btn_conn_Click();
        QCOMPARE(m_messages->shown, QStringList{kPortError});
    }
    QVERIFY(m_system->probed.empty());
    QVERIFY(m_port->opened.isEmpty());
    QCOMPARE(m_link->State(), LinkState::Closed);
}

void WindowsLinkTest::failedProbeOrOpen() {
    m_panel->text = QStringLiteral("COM2");
    m_system->probeResult = kErrorAccessDenied;
    m_link->btn_conn_Click();
    QCOMPARE(m_messages->shown, QStringList{kPortError});
    QVERIFY(m_port->opened.isEmpty());

    m_system->probeResult = kProbeUsable;
    m_port->openSucceeds = false;
    m_link->btn_conn_Click();
    QCOMPARE(m_messages->shown, (QStringList{kPortError, kPortError}));
    QCOMPARE(m_link->State(), LinkState::Closed);
    QVERIFY(!m_link->Timer1().isActive());
    QVERIFY(m_panel->log.isEmpty());

    // Already open (the button is disabled then; the guard still holds).
    m_port->openSucceeds = true;
    m_link->btn_conn_Click();
    QCOMPARE(m_link->State(), LinkState::Syncing);
    m_link->btn_conn_Click();
    QCOMPARE(m_messages->shown.size(), 3);
    QCOMPARE(m_port->opened.size(), 2);
}

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--probe") {
        // permissionDeniedNamesTheGroup's child, run as another user.
        LinuxPortPlatform platform(QStringLiteral("/nonexistent"), QStringLiteral("/dev"));
        QString reason;
        platform.Probe(QFile::decodeName(argv[2]), &reason);
        std::fputs(reason.toLocal8Bit().constData(), stdout);
        return 0;
    }
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--read") {
        // killedReaderLeavesNoExclusiveLine's reader.
        DeviceSerialPort port;
        port.SetCommPort(QFile::decodeName(argv[2]));
        if (!port.Open())
            return 1;
        std::puts("open");
        std::fflush(stdout);
        return app.exec();
    }
    int status = 0;
    {
        LinkControllerTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        WindowsLinkTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "LinkControllerTest.moc"
