// The meter behind a network serial bridge: names, the port on a real TCP connection (a server of
// the test's own plays the bridge), the platform's probe and reasons, and the link through the
// routed port: connect, frames, the bridge going away and coming back.
#include "link/NetworkPort.h"
#include "link/LinkController.h"
#include "link/LinkFakes.h"
#include "link/NetworkPortPlatform.h"
#include "link/NetworkSerialPort.h"
#include "link/RoutedSerialPort.h"
#include "link/SystemPortPlatform.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// The bridge: listens on a free port of the loopback address and sends what it is given to every
// client still connected (the probe's connection comes and goes before the port's own).
class Bridge {
public:
    Bridge() { listen(0); }
    QString Name() const { return QStringLiteral("tcp:127.0.0.1:%1").arg(m_port); }
    bool WaitForClient() {
        if (!m_server.hasPendingConnections() && !m_server.waitForNewConnection(5000))
            return false;
        while (QTcpSocket* client = m_server.nextPendingConnection())
            m_clients.append(client);
        return true;
    }
    void Send(const QByteArray& bytes) {
        while (QTcpSocket* client = m_server.nextPendingConnection())
            m_clients.append(client);
        for (QTcpSocket* client : std::as_const(m_clients)) {
            if (client->state() == QAbstractSocket::ConnectedState) {
                client->write(bytes);
                client->flush();
            }
        }
    }
    void Stop() {
        for (QTcpSocket* client : std::as_const(m_clients))
            client->close();
        m_clients.clear();
        m_server.close();
    }
    bool Restart() { return listen(m_port); }

private:
    bool listen(quint16 port) {
        const bool ok = m_server.listen(QHostAddress::LocalHost, port);
        m_port = m_server.serverPort();
        return ok;
    }
    QTcpServer m_server;
    QList<QTcpSocket*> m_clients;
    quint16 m_port = 0;
};

// A port number nothing listens on: one that was free a moment ago.
quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QByteArray frame(char first) {
    return QByteArray(1, first) + QByteArray(12, '\x01');
}

} // namespace

class NetworkPortTest : public QObject {
    Q_OBJECT
private slots:
    void names_data();
    void names();
    void framesFragmentsAndLoss();
    void probeSaysWhy();
    void linkConnectsLosesAndFindsTheBridgeAgain();
};

void NetworkPortTest::names_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host"); // "-" for not a network port
    QTest::addColumn<int>("port");
    QTest::newRow("address") << "tcp:192.168.1.20:4001"
                             << "192.168.1.20" << 4001;
    QTest::newRow("name") << "tcp:meter-pi.local:2000"
                          << "meter-pi.local" << 2000;
    QTest::newRow("IPv6") << "tcp:[::1]:4001"
                          << "::1" << 4001;
    QTest::newRow("lowest port") << "tcp:h:1"
                                 << "h" << 1;
    QTest::newRow("highest port") << "tcp:h:65535"
                                  << "h" << 65535;
    QTest::newRow("port 0") << "tcp:h:0"
                            << "-" << 0;
    QTest::newRow("port too high") << "tcp:h:65536"
                                   << "-" << 0;
    QTest::newRow("no port") << "tcp:h"
                             << "-" << 0;
    QTest::newRow("empty port") << "tcp:h:"
                                << "-" << 0;
    QTest::newRow("signed port") << "tcp:h:+80"
                                 << "-" << 0;
    QTest::newRow("no host") << "tcp::80"
                             << "-" << 0;
    QTest::newRow("IPv6 unbracketed") << "tcp:::1:80"
                                      << "-" << 0;
    QTest::newRow("blank in host") << "tcp:a b:80"
                                   << "-" << 0;
    QTest::newRow("upper case scheme") << "TCP:h:80"
                                       << "-" << 0;
    QTest::newRow("device path") << "/dev/ttyUSB0"
                                 << "-" << 0;
}

void NetworkPortTest::names() {
    QFETCH(QString, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    const std::optional<NetworkPortAddress> address = ParseNetworkPort(text);
    if (host == QStringLiteral("-")) {
        QVERIFY(!address);
        return;
    }
    QVERIFY(address);
    QCOMPARE(address->host, host);
    QCOMPARE(int(address->port), port);
}

void NetworkPortTest::framesFragmentsAndLoss() {
    Bridge bridge;
    NetworkSerialPort port;
    QSignalSpy events(&port, &SerialPort::OnComm);
    port.SetCommPort(bridge.Name());
    QString error;
    QVERIFY2(port.Open(&error), qPrintable(error));
    QVERIFY(bridge.WaitForClient());
    port.SetRThreshold(13);

    // A frame in two pieces is one receive event once all 13 bytes are there.
    bridge.Send(frame('A').left(5));
    QTest::qWait(10);
    bridge.Send(frame('A').mid(5));
    QTRY_COMPARE(events.size(), 1);
    QCOMPARE(port.CommEvent(), kCommEventReceive);
    QCOMPARE(port.TakeInput(13), frame('A'));

    // Five bytes followed by silence longer than the gap are a fragment and go.
    bridge.Send(QByteArray(5, '\x7f'));
    QTRY_COMPARE(port.InBufferCount(), 5);
    QTest::qWait(kQuietGap * 3);
    QCOMPARE(port.InBufferCount(), 0);
    bridge.Send(frame('B'));
    QTRY_COMPARE(events.size(), 2);
    QCOMPARE(port.Input(), frame('B'));

    // The bridge ends the connection: the device is lost, once, and the port is closed.
    bridge.Stop();
    QTRY_COMPARE(events.size(), 3);
    QCOMPARE(port.CommEvent(), kCommEventDeviceLost);
    QVERIFY(!port.PortOpen());
    QTest::qWait(50);
    QCOMPARE(events.size(), 3);
}

void NetworkPortTest::probeSaysWhy() {
    Bridge bridge;
    NetworkPortPlatform platform(MakeSystemPortPlatform());
    QCOMPARE(platform.ResolvePort(bridge.Name()), bridge.Name());
    QCOMPARE(platform.ResolvePort(QStringLiteral("tcp:h:0")), std::nullopt);
    QVERIFY(platform.Probe(bridge.Name()));
    QVERIFY(platform.WatchFolders(bridge.Name()).isEmpty());

    QString reason;
    const quint16 closed = closedPort();
    QVERIFY(!platform.Probe(QStringLiteral("tcp:127.0.0.1:%1").arg(closed), &reason));
    QVERIFY2(reason.startsWith(QStringLiteral("Nothing answers on 127.0.0.1 port %1").arg(closed)),
             qPrintable(reason));
    QVERIFY(!platform.Probe(QStringLiteral("tcp:no-such-host.invalid:4001"), &reason));
    QVERIFY2(reason.contains(QStringLiteral("no computer no-such-host.invalid")),
             qPrintable(reason));
}

void NetworkPortTest::linkConnectsLosesAndFindsTheBridgeAgain() {
    Bridge bridge;
    RecordingSerialPort device; // never opened: every name here is a network port
    NetworkSerialPort network;
    network.SetQuietGap(0);
    RoutedSerialPort port(device, network);
    NetworkPortPlatform platform(MakeSystemPortPlatform());
    ScriptedMessages messages;
    LoggingPanel panel;
    panel.text = bridge.Name();
    LinkController link(port, platform);
    link.SetPanel(panel, messages);
    QSignalSpy frames(&port, &SerialPort::OnComm);

    link.btn_conn_Click();
    QCOMPARE(messages.shown, QStringList());
    QVERIFY(bridge.WaitForClient());
    QTRY_COMPARE(link.State(), LinkState::Armed);
    bridge.Send(frame('C'));
    QTRY_VERIFY(!frames.isEmpty());
    QCOMPARE(port.CommEvent(), kCommEventReceive);
    const std::optional<MeterFrame> taken = link.TakeFrame();
    QVERIFY(taken);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(taken->data()), qsizetype(taken->size())),
             frame('C'));
    QVERIFY(device.opened.isEmpty());

    bridge.Stop();
    QTRY_COMPARE(link.State(), LinkState::Waiting);
    QCOMPARE(link.WaitingFor(), bridge.Name());
    QVERIFY(bridge.Restart());
    QTRY_COMPARE_WITH_TIMEOUT(link.State(), LinkState::Armed, 10000);
    QCOMPARE(messages.shown, QStringList());
}

QTEST_GUILESS_MAIN(NetworkPortTest)
#include "NetworkPortTest.moc"
