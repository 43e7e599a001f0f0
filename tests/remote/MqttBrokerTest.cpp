// vantello-log --mqtt against a real mosquitto broker that the test starts on a free loopback port:
// readings arrive, the broker is killed and started again mid-run without a line missing from
// the file and with publishing going on, and the broker says "offline" when the logger dies; over
// TLS, only a broker whose certificate the CA file vouches for gets the readings.

#include "support/LoggerRun.h"
#include "support/TestFiles.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace {

QString findProgram(const QString& name) {
    return QStandardPaths::findExecutable(name).isEmpty()
               ? QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/local/sbin"})
               : QStandardPaths::findExecutable(name);
}

// A broker of the test's own, on a loopback port nothing else uses; mosquitto_sub on all of the
// run's topics.
struct Broker {
    QString config;
    quint16 port = 0;
    QProcess broker;
    QProcess sub;
    QByteArray received;
    QStringList subOptions; // such as --cafile for a TLS listener

    bool Start() {
        broker.start(findProgram("mosquitto"), {"-c", config});
        if (!broker.waitForStarted())
            return false;
        const bool listening = QTest::qWaitFor(
            [&] {
                QTcpSocket probe;
                probe.connectToHost(QHostAddress::LocalHost, port);
                return probe.waitForConnected(200);
            },
            10000);
        if (!listening)
            return false;
        QObject::connect(&sub, &QProcess::readyReadStandardOutput, &sub,
                         [this] { received += sub.readAllStandardOutput(); });
        sub.start(
            findProgram("mosquitto_sub"),
            QStringList{"-h", "127.0.0.1", "-p", QString::number(port), "-v", "-t", "site/m1/#"} +
                subOptions);
        return sub.waitForStarted();
    }
    void Kill() {
        sub.kill();
        sub.waitForFinished();
        sub.disconnect();
        broker.kill();
        broker.waitForFinished();
    }
    ~Broker() { Kill(); }

    // The numbers of the readings received.
    QList<int> Numbers() const {
        QList<int> numbers;
        static const QRegularExpression reading("^site/m1/reading \\{\"no\":(\\d+),",
                                                QRegularExpression::MultilineOption);
        for (auto it = reading.globalMatch(QString::fromUtf8(received)); it.hasNext();)
            numbers << it.next().captured(1).toInt();
        return numbers;
    }
};

// A free loopback port.
quint16 freePort() {
    QTcpServer free;
    if (!free.listen(QHostAddress::LocalHost, 0))
        return 0;
    return free.serverPort();
}

// openssl with these arguments, in dir; true when it succeeded.
bool openssl(const QString& dir, const QStringList& arguments) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral("openssl"), arguments);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// In dir: ca.pem, a CA that signed server.pem (key server.key) for 127.0.0.1, and other.pem, a CA
// that signed nothing here.
bool makeCertificates(const QString& dir) {
    const QStringList ca{"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2"};
    return openssl(dir,
                   ca + QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-subj", "/CN=ca"}) &&
           openssl(dir, ca + QStringList{"-keyout", "other.key", "-out", "other.pem", "-subj",
                                         "/CN=other"}) &&
           openssl(dir, {"req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out",
                         "server.csr", "-subj", "/CN=127.0.0.1"}) &&
           WriteFileBytes(dir + "/san.cnf", "subjectAltName=IP:127.0.0.1\n") &&
           openssl(dir, {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                         "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile",
                         "san.cnf"}) &&
           // A broker started as root reads them as the user it changes to.
           QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadOther | QFile::ExeOther) &&
           QFile::setPermissions(dir + "/server.key",
                                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
}

} // namespace

class MqttBrokerTest : public QObject {
    Q_OBJECT
private slots:
    void publishesThroughABrokerThatComesAndGoes();
    void publishesOverTlsOnlyToTheTrustedBroker_data();
    void publishesOverTlsOnlyToTheTrustedBroker();
};

void MqttBrokerTest::publishesThroughABrokerThatComesAndGoes() {
    if (findProgram("mosquitto").isEmpty() || findProgram("mosquitto_sub").isEmpty())
        QSKIP("mosquitto and mosquitto_sub are not installed (scripts/install-deps installs them)");
    QTemporaryDir dir;
    QTcpServer free;
    QVERIFY(free.listen(QHostAddress::LocalHost, 0));
    const quint16 port = free.serverPort();
    free.close();
    const QString config = dir.filePath("mosquitto.conf");
    QVERIFY(WriteFileBytes(config, "listener " + QByteArray::number(port) +
                                       " 127.0.0.1\nallow_anonymous true\npersistence false\n"));

    auto broker = std::make_unique<Broker>();
    broker->config = config;
    broker->port = port;
    QVERIFY(broker->Start());

    const QString file = dir.filePath("run.csv");
    LoggerRun run;
    QVERIFY(run.Start(QStringLiteral(VANTELLO_LOG_PROGRAM),
                      {"-o", file, "--mqtt", "127.0.0.1:" + QString::number(port), "--topic",
                       "site/m1", "--alarm", "velocity > 0.5 m/s"}));
    QVERIFY2(run.WaitFor("reading the meter on"), run.err.constData());
    QVERIFY2(run.WaitFor("publishing on MQTT broker 127.0.0.1:" + QByteArray::number(port) +
                         " under site/m1/"),
             run.err.constData());
    run.meter.Start(74);
    QVERIFY2(QTest::qWaitFor([&] { return broker->Numbers().size() >= 20; }, 20000),
             broker->received.right(300).constData());
    QVERIFY(broker->received.contains("site/m1/state online\n"));
    QVERIFY(broker->received.contains(",\"unit\":\"m/s\",\"kind\":\"VEL\","));
    // The alarm raised once the velocity passes 0.5 m/s (the 52nd frame) is an event.
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     return broker->received.contains("site/m1/event {\"event\":\"alarm\",") &&
                            broker->received.contains("\"change\":\"raised\"");
                 },
                 20000),
             broker->received.right(300).constData());

    // The broker dies: the logger says so and goes on writing; the broker comes back.
    broker->Kill();
    const int lastBefore = broker->Numbers().last();
    QVERIFY2(run.WaitFor("MQTT broker 127.0.0.1:" + QByteArray::number(port) + " lost"),
             run.err.constData());
    QTest::qWait(1500);
    broker = std::make_unique<Broker>();
    broker->config = config;
    broker->port = port;
    QVERIFY(broker->Start());
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     const QList<int> n = broker->Numbers();
                     return n.size() >= 20 && n.first() > lastBefore;
                 },
                 40000),
             run.err.constData());
    QVERIFY(broker->received.contains("site/m1/state online\n"));
    QVERIFY2(run.err.contains(" back; "), run.err.constData());

    // Nothing is missing from the file.
    run.meter.Stop();
    const int sent = run.meter.sent;
    QVERIFY(QTest::qWaitFor([&] { return ReadFileBytes(file).count('\n') == sent + 1; }, 10000));
    const QList<QByteArray> lines = ReadFileBytes(file).split('\n');
    for (int i = 1; i <= sent; ++i)
        QVERIFY2(lines[i].startsWith(QByteArray::number(i) + ','), lines[i].constData());

    // The logger dies without a word: the broker says offline for it.
    run.process.kill();
    QVERIFY2(QTest::qWaitFor([&] { return broker->received.contains("site/m1/state offline\n"); },
                             10000),
             broker->received.right(200).constData());
    qInfo("%d frames at 74 a second, all written; readings up to %d published before the broker "
          "died, from %d after it came back",
          sent, lastBefore, broker->Numbers().first());
}

void MqttBrokerTest::publishesOverTlsOnlyToTheTrustedBroker_data() {
    QTest::addColumn<QString>("cafile");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QByteArray>("said"); // after "MQTT broker 127.0.0.1:PORT" on standard error
    QTest::newRow("the CA that signed the broker's certificate")
        << "ca.pem" << true << QByteArray();
    QTest::newRow("a CA that did not") << "other.pem" << true << QByteArray(" not reached");
    QTest::newRow("no broker on the port") << "ca.pem" << false << QByteArray(" not reached");
}

void MqttBrokerTest::publishesOverTlsOnlyToTheTrustedBroker() {
    QFETCH(QString, cafile);
    QFETCH(bool, listening);
    QFETCH(QByteArray, said);
    if (findProgram("mosquitto").isEmpty() || findProgram("mosquitto_sub").isEmpty() ||
        findProgram("openssl").isEmpty())
        QSKIP("mosquitto, mosquitto_sub and openssl are not all installed (scripts/install-deps "
              "installs them)");
    QTemporaryDir dir;
    QVERIFY(makeCertificates(dir.path()));
    const quint16 port = freePort();
    QVERIFY(port != 0);
    const QByteArray broker = "MQTT broker 127.0.0.1:" + QByteArray::number(port);
    Broker tls;
    tls.config = dir.filePath("mosquitto.conf");
    tls.port = port;
    tls.subOptions = QStringList{"--cafile", dir.filePath("ca.pem")};
    QVERIFY(
        WriteFileBytes(tls.config, "listener " + QByteArray::number(port) +
                                       " 127.0.0.1\nallow_anonymous true\npersistence false\n"
                                       "cafile ca.pem\ncertfile server.pem\nkeyfile server.key\n"));
    tls.broker.setWorkingDirectory(dir.path());
    if (listening)
        QVERIFY(tls.Start());

    LoggerRun run;
    QVERIFY(
        run.Start(QStringLiteral(VANTELLO_LOG_PROGRAM),
                  {"-o", dir.filePath("run.csv"), "--mqtt", "127.0.0.1:" + QString::number(port),
                   "--mqtt-cafile", dir.filePath(cafile), "--topic", "site/m1"}));
    QVERIFY2(run.WaitFor("reading the meter on"), run.err.constData());
    run.meter.Start(50);
    if (said.isEmpty()) {
        QVERIFY2(run.WaitFor("publishing on " + broker + " under site/m1/"), run.err.constData());
        QVERIFY2(QTest::qWaitFor([&] { return tls.Numbers().size() >= 10; }, 20000),
                 tls.received.right(300).constData());
    } else {
        QVERIFY2(run.WaitFor(broker + said, 20000), run.err.constData());
        QVERIFY(QTest::qWaitFor([&] { return run.meter.sent >= 20; }, 10000));
        QVERIFY2(tls.Numbers().isEmpty(), tls.received.right(300).constData());
        QVERIFY(!run.err.contains("publishing on"));
    }
}

QTEST_GUILESS_MAIN(MqttBrokerTest)
#include "MqttBrokerTest.moc"
