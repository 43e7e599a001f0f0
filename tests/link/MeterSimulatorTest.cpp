#include "link/MeterSimulator.h"
#include "link/DeviceSerialPort.h"
#include "link/MeterFeed.h"

#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {
QByteArray frameBytes(const MeterFrame& f) {
    return QByteArray(reinterpret_cast<const char*>(f.data()), kFrameLength);
}
MeterFrame toFrame(const QByteArray& b) {
    MeterFrame f{};
    std::copy_n(b.constData(), kFrameLength, reinterpret_cast<char*>(f.data()));
    return f;
}
} // namespace

class MeterSimulatorTest : public QObject {
    Q_OBJECT
private slots:
    void readingsArePlausibleAndDriftSlowly();
    void sameSeedSameReadings();
    void dewPointAndWetBulb();
    void hexBytes();
    void demoLinkIsFoundAsTheBridgeAndStreams();
    void toolReplaysGivenFrames();
    void toolPassesTheLineOnOverTcp();
};

void MeterSimulatorTest::readingsArePlausibleAndDriftSlowly() {
    MeterSimulator meter(7);
    int flow = 0, dewPoint = 0, wetBulb = 0;
    double lastVelocity = -1;
    for (int i = 0; i < 3000; ++i) {
        const MeterFrameFields f = meter.NextFields();
        const DecodedFrame d = DecodeFrame(EncodeFrame(f));
        QVERIFY(d.KindLabel() && d.UnitText()); // always a known kind and unit
        QCOMPARE(f.temperatureUnit, 1);
        QVERIFY(f.humidityTenths >= 100 && f.humidityTenths <= 950);
        const double shown = (f.temperatureSign == 1 ? -1 : 1) * f.temperatureMagnitude / 10.0;
        QVERIFY(shown > -40 && shown < 46);
        if (f.mode == 1)
            ++dewPoint;
        else if (f.mode == 2)
            ++wetBulb;
        else
            QVERIFY(shown >= -5 && shown <= 45);
        if (f.kind == 2) {
            ++flow;
            QCOMPARE(*d.UnitText(), QStringLiteral("CMM"));
            continue;
        }
        QCOMPARE(*d.UnitText(), QStringLiteral("m/s"));
        QVERIFY(d.value >= 0 && d.value < 15);
        if (lastVelocity >= 0)
            QVERIFY2(std::abs(d.value - lastVelocity) < 0.5,
                     qPrintable(QStringLiteral("%1 -> %2").arg(lastVelocity).arg(d.value)));
        lastVelocity = d.value;
    }
    // Now and then the display shows something else, but mostly velocity.
    QVERIFY(flow > 0 && dewPoint > 0 && wetBulb > 0);
    QVERIFY(flow + dewPoint + wetBulb < 1500);
}

void MeterSimulatorTest::sameSeedSameReadings() {
    MeterSimulator a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 50; ++i) {
        const MeterFrame fa = a.NextFrame();
        QCOMPARE(fa, b.NextFrame());
        differs = differs || fa != c.NextFrame();
    }
    QVERIFY(differs);
}

void MeterSimulatorTest::dewPointAndWetBulb() {
    QVERIFY(std::abs(DewPoint(20, 50) - 9.3) < 0.1);
    QVERIFY(std::abs(DewPoint(25, 100) - 25) < 0.01);
    QVERIFY(std::abs(WetBulb(20, 50) - 13.7) < 0.1);
    // Wet bulb lies between dew point and air temperature.
    for (double rh : {20.0, 45.0, 80.0}) {
        QVERIFY(DewPoint(22, rh) < WetBulb(22, rh));
        QVERIFY(WetBulb(22, rh) < 22);
    }
}

void MeterSimulatorTest::hexBytes() {
    QCOMPARE(ParseHexBytes(u"00 01 fF"), QByteArray("\x00\x01\xff", 3));
    QCOMPARE(ParseHexBytes(u"00:01-0a,0B"), QByteArray("\x00\x01\x0a\x0b", 4));
    QCOMPARE(ParseHexBytes(u"0001"), QByteArray("\x00\x01", 2));
    QCOMPARE(ParseHexBytes(u""), QByteArray());
    QCOMPARE(ParseHexBytes(u"0 01"), std::nullopt);
    QCOMPARE(ParseHexBytes(u"001"), std::nullopt);
    QCOMPARE(ParseHexBytes(u"0x01"), std::nullopt);
    QCOMPARE(ParseHexBytes(u"zz"), std::nullopt);

    const QList<QByteArray> frames = SplitIntoFrames(QByteArray(30, 'a'));
    QCOMPARE(frames.size(), 3);
    QCOMPARE(frames[0].size(), 13);
    QCOMPARE(frames[1].size(), 13);
    QCOMPARE(frames[2].size(), 4);
}

void MeterSimulatorTest::demoLinkIsFoundAsTheBridgeAndStreams() {
    QString error;
    DemoLink demo = StartDemoLink(&error);
    QVERIFY2(demo.meter && demo.platform, qPrintable(error));
    const QString path = demo.meter->PortPath();
    QCOMPARE(demo.platform->FindBridge(), std::optional<QString>(path));
    QCOMPARE(demo.platform->StartText(), path);
    QCOMPARE(demo.platform->ListPorts().value(0), path);
    QVERIFY(demo.platform->Probe(path));

    // Whole frames with gaps between them: each raises its own receive event.
    DeviceSerialPort port;
    port.SetCommPort(*demo.platform->ResolvePort(path));
    QVERIFY(port.Open());
    port.DiscardInput();
    port.SetRThreshold(13);
    QList<QByteArray> received;
    connect(&port, &SerialPort::OnComm, this, [&] { received << port.Input(); });
    QTRY_VERIFY_WITH_TIMEOUT(received.size() >= 3, 5000);
    for (const QByteArray& frame : received) {
        QCOMPARE(frame.size(), 13);
        QVERIFY(DecodeFrame(toFrame(frame)).KindLabel().has_value());
    }
}

void MeterSimulatorTest::toolReplaysGivenFrames() {
    MeterSimulator meter(3);
    const QByteArray first = frameBytes(meter.NextFrame());
    const QByteArray second = frameBytes(meter.NextFrame());
    const QByteArray partial = QByteArray::fromHex("0001020304");

    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    QProcess tool;
    tool.start(QStringLiteral(METER_SIM_PATH),
               {QStringLiteral("--rate"), QStringLiteral("20"), QStringLiteral("--link"), link,
                QStringLiteral("--delay"), QStringLiteral("0.6"), QStringLiteral("--hex"),
                QString::fromLatin1(first.toHex(' ')), QStringLiteral("--hex"),
                QString::fromLatin1((second + partial).toHex(':')),
                QStringLiteral("--exit-when-done")});
    QVERIFY(tool.waitForStarted());
    QTRY_VERIFY(tool.canReadLine());
    const QString path = QString::fromLocal8Bit(tool.readLine()).trimmed();
    QVERIFY(path.startsWith(QStringLiteral("/dev/")));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    DeviceSerialPort port;
    port.SetCommPort(link);
    QVERIFY(port.Open());
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += port.Input()).size() >= 31, 5000);
    QCOMPARE(got, first + second + partial);

    QVERIFY(tool.waitForFinished(5000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    QVERIFY(tool.readAllStandardError().contains("3 frames sent"));

    // Bad input is refused before anything is created.
    QProcess bad;
    bad.start(QStringLiteral(METER_SIM_PATH), {QStringLiteral("--hex"), QStringLiteral("0g")});
    QVERIFY(bad.waitForFinished(5000));
    QCOMPARE(bad.exitCode(), 2);
    QVERIFY(bad.readAllStandardOutput().isEmpty());
}

void MeterSimulatorTest::toolPassesTheLineOnOverTcp() {
    // As a network serial bridge does: the line's bytes, raw, to the connected client.
    MeterSimulator meter(4);
    const QByteArray frames = frameBytes(meter.NextFrame()) + frameBytes(meter.NextFrame());
    quint16 free = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        free = probe.serverPort();
    }
    QProcess tool;
    tool.start(QStringLiteral(METER_SIM_PATH),
               {QStringLiteral("--rate"), QStringLiteral("20"), QStringLiteral("--delay"),
                QStringLiteral("0.8"), QStringLiteral("--tcp"),
                QStringLiteral("127.0.0.1:%1").arg(free), QStringLiteral("--hex"),
                QString::fromLatin1(frames.toHex(' ')), QStringLiteral("--exit-when-done")});
    QVERIFY(tool.waitForStarted());
    QTRY_VERIFY(tool.canReadLine()); // listening by the time it prints its line
    QTcpSocket client;
    client.connectToHost(QStringLiteral("127.0.0.1"), free);
    QVERIFY(client.waitForConnected(3000));
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += client.readAll()).size() >= frames.size(), 5000);
    QCOMPARE(got, frames);
    QVERIFY(tool.waitForFinished(5000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit); // ending with a client still connected
    QCOMPARE(tool.exitCode(), 0);

    QProcess bad;
    bad.start(QStringLiteral(METER_SIM_PATH), {QStringLiteral("--tcp"), QStringLiteral("70000")});
    QVERIFY(bad.waitForFinished(5000));
    QCOMPARE(bad.exitCode(), 2);
}

QTEST_GUILESS_MAIN(MeterSimulatorTest)
#include "MeterSimulatorTest.moc"
