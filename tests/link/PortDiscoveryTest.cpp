#include "FakeSysfs.h"
#include "LinkFakes.h"

#include "link/LinuxPortPlatform.h"
#include "link/PseudoTerminal.h"
#include "link/WindowsPortPlatform.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

class PortDiscoveryTest : public QObject {
    Q_OBJECT
private slots:
    void listsSerialDevicesInNaturalOrder();
    void bridgeIsFoundByItsDriver();
    void emptyTree();
    void typedPathsAreTakenAsTheyAre();
    void onlySerialTtysAreOpened();
    void probeWantsAFreeTerminal();
    void devicesAreFoundAgainByTheirStableName();

    void comPortNames();
    void registryValuesTriedInOrder();
    void registryLengthIsResetForEachValue();
    void malformedRegistryValuesAreNotFound_data();
    void malformedRegistryValuesAreNotFound();
    void windowsPlatformList();
    void windowsTypedNames_data();
    void windowsTypedNames();
    void windowsProbeReasons_data();
    void windowsProbeReasons();
    void windowsPortComesBackWhenMapped();
};

void PortDiscoveryTest::listsSerialDevicesInNaturalOrder() {
    QTemporaryDir dir;
    FakeSysfs sys(dir.filePath(QStringLiteral("sys")));
    sys.AddVirtualTty(QStringLiteral("tty0"));
    sys.AddVirtualTty(QStringLiteral("ptmx"));
    sys.AddTty(QStringLiteral("ttyUSB10"), QStringLiteral("ftdi_sio"));
    sys.AddTty(QStringLiteral("ttyUSB2"), QStringLiteral("cp210x"));
    sys.AddTty(QStringLiteral("ttyACM0"), QStringLiteral("cdc_acm"));
    sys.AddTty(QStringLiteral("ttyS0"), QStringLiteral("serial8250"), QStringLiteral("4"));
    sys.AddTty(QStringLiteral("ttyS1"), QStringLiteral("serial8250"), QStringLiteral("0"));
    LinuxPortPlatform linux(sys.Root(), QStringLiteral("/dev"));
    const QStringList expected = {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB2", "/dev/ttyUSB10"};
    QCOMPARE(linux.ListPorts(), expected);
    QCOMPARE(linux.StartText(), QStringLiteral("/dev/ttyACM0"));

    // Listing again sees what was plugged in meanwhile.
    sys.AddTty(QStringLiteral("ttyACM1"), QStringLiteral("cdc_acm"));
    QCOMPARE(linux.ListPorts().size(), 5);
    QCOMPARE(linux.ListPorts().at(1), QStringLiteral("/dev/ttyACM1"));
}

void PortDiscoveryTest::bridgeIsFoundByItsDriver() {
    QTemporaryDir dir;
    FakeSysfs sys(dir.filePath(QStringLiteral("sys")));
    sys.AddTty(QStringLiteral("ttyACM0"), QStringLiteral("cdc_acm"));
    LinuxPortPlatform linux(sys.Root(), QStringLiteral("/dev"));
    QCOMPARE(linux.FindBridge(), std::nullopt); // an ACM device is not the bridge

    sys.AddTty(QStringLiteral("ttyUSB3"), QStringLiteral("cp210x"));
    sys.AddTty(QStringLiteral("ttyUSB1"), QStringLiteral("ch341-uart"));
    sys.AddTty(QStringLiteral("ttyUSB4"), QStringLiteral("cp210x"));
    QCOMPARE(linux.FindBridge(), std::optional<QString>(QStringLiteral("/dev/ttyUSB3")));
}

void PortDiscoveryTest::emptyTree() {
    QTemporaryDir dir;
    LinuxPortPlatform nothing(dir.filePath(QStringLiteral("no-sys")), QStringLiteral("/dev"));
    QVERIFY(nothing.ListPorts().isEmpty());
    QCOMPARE(nothing.StartText(), QString());
    QCOMPARE(nothing.FindBridge(), std::nullopt);
}

void PortDiscoveryTest::typedPathsAreTakenAsTheyAre() {
    LinuxPortPlatform linux(QStringLiteral("/nonexistent"), QStringLiteral("/dev"));
    QCOMPARE(linux.ResolvePort(QStringLiteral("/tmp/meter")), QStringLiteral("/tmp/meter"));
    QCOMPARE(linux.ResolvePort(QStringLiteral(" /dev/pts/7 ")), QStringLiteral("/dev/pts/7"));
    // A bare name is a device under /dev.
    QCOMPARE(linux.ResolvePort(QStringLiteral("ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(linux.ResolvePort(QStringLiteral("COM3")), QStringLiteral("/dev/COM3"));
    QCOMPARE(linux.ResolvePort(QString()), std::nullopt);
    QCOMPARE(linux.ResolvePort(QStringLiteral("  ")), std::nullopt);
}

void PortDiscoveryTest::onlySerialTtysAreOpened() {
    // A character device is a serial port when sysfs lists a tty with its number, or when it is
    // a pseudo-terminal; anything else is refused by its node alone and never opened.
    QTemporaryDir dir;
    PseudoTerminal line;
    QVERIFY(line.Open());
    FakeSysfs sys(dir.filePath(QStringLiteral("sys")));
    LinuxPortPlatform linux(sys.Root(), QStringLiteral("/dev"));
    QVERIFY(linux.IsSerialDeviceNode(line.Path()));
    QVERIFY(!linux.IsSerialDeviceNode(QStringLiteral("/dev/null")));
    struct stat null {};
    QCOMPARE(::stat("/dev/null", &null), 0);
    sys.AddTty(QStringLiteral("ttyS9"), QStringLiteral("serial8250"), QStringLiteral("4"),
               QStringLiteral("%1:%2").arg(major(null.st_rdev)).arg(minor(null.st_rdev)));
    QVERIFY(linux.IsSerialDeviceNode(QStringLiteral("/dev/null")));

    // Opens seen by the system: the probe opens the pseudo-terminal, never the plain file.
    const QString plain = dir.filePath(QStringLiteral("plain"));
    QFile file(plain);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const auto probeOpens = [&linux](const QString& path) {
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(watch, QFile::encodeName(path).constData(), IN_OPEN);
        linux.Probe(path);
        char events[4096];
        const bool opened = ::read(watch, events, sizeof events) > 0;
        ::close(watch);
        return opened;
    };
    QVERIFY(probeOpens(line.Path()));
    QVERIFY(!probeOpens(plain));
}

void PortDiscoveryTest::probeWantsAFreeTerminal() {
    PseudoTerminal line;
    QVERIFY(line.Open());
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("meter"));
    QVERIFY(QFile::link(line.Path(), link));
    QVERIFY(ProbeSerialDevice(line.Path()));
    QVERIFY(ProbeSerialDevice(link));

    QString why;
    QFile plain(dir.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(!ProbeSerialDevice(plain.fileName(), &why));
    QVERIFY(why.startsWith(u'\'' + plain.fileName() + QStringLiteral("' is not a serial device.")));
    QVERIFY(!ProbeSerialDevice(dir.filePath(QStringLiteral("missing")), &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(!ProbeSerialDevice(dir.path())); // a folder

    // In use: another descriptor holds the device's lock; the probe leaves no lock behind.
    const int fd = ::open(line.Path().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QVERIFY(LockSerialDevice(fd));
    QVERIFY(!ProbeSerialDevice(link, &why));
    QCOMPARE(why, u'\'' + link +
                      QStringLiteral("' is in use by another program. Close it, then try again."));
    ::close(fd);
    QVERIFY(ProbeSerialDevice(line.Path()));
    QVERIFY(ProbeSerialDevice(line.Path()));
}

void PortDiscoveryTest::comPortNames() {
    QCOMPARE(ComPortNumber("COM1"), 1);
    QCOMPARE(ComPortNumber("COM16"), 16);
    for (const char* bad : {"COM0", "COM17", "com3", "Com3", "COM03", "COM", "COM3 ", "XCOM3"})
        QCOMPARE(ComPortNumber(bad), std::nullopt);
    QCOMPARE(ComPortNames().size(), size_t(16));
    QCOMPARE(ComPortNames().front(), std::string("COM1"));
    QCOMPARE(ComPortNames().back(), std::string("COM16"));
    QCOMPARE(ComProbePath(9), std::string("COM9"));
    QCOMPARE(ComProbePath(10), std::string("\\\\.\\COM10"));
}

void PortDiscoveryTest::registryValuesTriedInOrder() {
    ScriptedRegistry r;
    r.values["\\Device\\silabser0"] = ScriptedRegistry::Text("COM7");
    r.values["\\Device\\slabser0"] = ScriptedRegistry::Text("COM8");
    QCOMPARE(FindBridgePortName(r), std::optional<std::string>("COM7"));
    QCOMPARE(r.queried, std::vector<std::string>{"\\Device\\silabser0"});
    QVERIFY(!r.open); // closed again

    r.values.erase("\\Device\\silabser0");
    r.queried.clear();
    QCOMPARE(FindBridgePortName(r), std::optional<std::string>("COM8"));
    QCOMPARE(r.queried, (std::vector<std::string>{"\\Device\\silabser0", "\\Device\\slabser0"}));

    r.values.clear();
    QCOMPARE(FindBridgePortName(r), std::nullopt);
    r.keyExists = false;
    r.values["\\Device\\silabser0"] = ScriptedRegistry::Text("COM7");
    QCOMPARE(FindBridgePortName(r), std::nullopt);
}

void PortDiscoveryTest::registryLengthIsResetForEachValue() {
    // The first value is there but unusable; the second must still be read with the full
    // buffer, not with what was left from the first read.
    ScriptedRegistry r;
    r.values["\\Device\\silabser0"] = {7, std::string("ab\0", 3)};
    r.values["\\Device\\slabser0"] = ScriptedRegistry::Text("COM11");
    QCOMPARE(FindBridgePortName(r), std::optional<std::string>("COM11"));
    QCOMPARE(r.lengthsOffered, (std::vector<std::uint32_t>{100, 100}));
}

void PortDiscoveryTest::malformedRegistryValuesAreNotFound_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("found"); // "-" for not found
    QTest::newRow("terminated") << 1 << QByteArray("COM4\0", 5) << "COM4";
    QTest::newRow("unterminated") << 1 << QByteArray("COM4") << "COM4";
    QTest::newRow("one character") << 1 << QByteArray("X") << "X";
    QTest::newRow("only the terminator") << 1 << QByteArray("\0", 1) << "-";
    QTest::newRow("empty") << 1 << QByteArray() << "-";
    QTest::newRow("zero inside") << 1 << QByteArray("CO\0M4\0", 6) << "-";
    QTest::newRow("not a string") << 4 << QByteArray("COM4\0", 5) << "-";
    QTest::newRow("100 bytes") << 1 << QByteArray(99, 'C') + QByteArray(1, '\0') << "99";
    QTest::newRow("101 bytes") << 1 << QByteArray(100, 'C') + QByteArray(1, '\0') << "-";
}

void PortDiscoveryTest::malformedRegistryValuesAreNotFound() {
    QFETCH(int, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, found);
    ScriptedRegistry r;
    r.values["\\Device\\silabser0"] = {static_cast<std::uint32_t>(type), data.toStdString()};
    const std::optional<std::string> name = FindBridgePortName(r);
    if (found == QStringLiteral("-"))
        QCOMPARE(name, std::nullopt);
    else if (found == QStringLiteral("99"))
        QCOMPARE(name, std::optional<std::string>(std::string(99, 'C')));
    else
        QCOMPARE(name, std::optional<std::string>(found.toStdString()));
}

void PortDiscoveryTest::windowsPlatformList() {
    ScriptedComPortSystem system;
    WindowsPortPlatform windows(system);
    const QStringList list = windows.ListPorts();
    QCOMPARE(list.size(), 16);
    QCOMPARE(list.first(), QStringLiteral("COM1"));
    QCOMPARE(list.last(), QStringLiteral("COM16"));
    QCOMPARE(windows.StartText(), QStringLiteral("COM3"));
}

void PortDiscoveryTest::windowsTypedNames_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("port"); // "-" for no port
    QTest::newRow("plain") << "COM12"
                           << "COM12";
    QTest::newRow("device namespace") << "\\\\.\\COM12"
                                      << "COM12";
    QTest::newRow("device namespace, low") << "\\\\.\\COM3"
                                           << "COM3";
    QTest::newRow("beyond the sixteen") << "\\\\.\\COM17"
                                        << "-";
    QTest::newRow("namespace alone") << "\\\\.\\"
                                     << "-";
    QTest::newRow("one backslash short") << "\\.\\COM4"
                                         << "-";
    QTest::newRow("file namespace") << "\\\\?\\COM4"
                                    << "-";
    QTest::newRow("lower case") << "com4"
                                << "-";
}

void PortDiscoveryTest::windowsTypedNames() {
    QFETCH(QString, typed);
    QFETCH(QString, port);
    ScriptedComPortSystem system;
    WindowsPortPlatform windows(system);
    const std::optional<QString> resolved = windows.ResolvePort(typed);
    if (port == QStringLiteral("-"))
        QCOMPARE(resolved, std::nullopt);
    else
        QCOMPARE(resolved, port);
}

void PortDiscoveryTest::windowsProbeReasons_data() {
    QTest::addColumn<uint>("code");
    QTest::addColumn<bool>("mapped");    // the serial-device map lists COM6
    QTest::addColumn<QString>("reason"); // empty: usable
    QTest::newRow("opens") << uint(kProbeUsable) << false << "";
    QTest::newRow("access denied") << 5u << true << "COM6 is in use by another program.";
    QTest::newRow("sharing violation") << 32u << false << "COM6 is in use by another program.";
    QTest::newRow("file not found") << 2u << false << "There is no port COM6 on this computer.";
    QTest::newRow("path not found") << 3u << false << "There is no port COM6 on this computer.";
    QTest::newRow("device not working") << 31u << true << "COM6 does not respond";
    QTest::newRow("not a comm device")
        << uint(kProbeNotCommDevice) << false << "COM6 is not a serial port.";
    QTest::newRow("not a comm device, mapped") << uint(kProbeNotCommDevice) << true << "";
    QTest::newRow("other error") << 1167u << false << "COM6 cannot be opened (Windows error 1167).";
}

void PortDiscoveryTest::windowsProbeReasons() {
    QFETCH(uint, code);
    QFETCH(bool, mapped);
    QFETCH(QString, reason);
    ScriptedComPortSystem system;
    if (mapped)
        system.registry.values["\\Device\\Serial2"] = ScriptedRegistry::Text("COM6");
    system.probeResult = code;
    WindowsPortPlatform windows(system);
    QString why;
    QCOMPARE(windows.Probe(QStringLiteral("COM6"), &why), reason.isEmpty());
    QVERIFY2(reason.isEmpty() ? why.isEmpty() : why.startsWith(reason), qPrintable(why));
    QCOMPARE(system.probed, std::vector<std::string>{"COM6"});
}

void PortDiscoveryTest::windowsPortComesBackWhenMapped() {
    // The map holds one value per device present; strings only, the terminator dropped.
    ScriptedComPortSystem system;
    system.registry.values["\\Device\\Serial0"] = ScriptedRegistry::Text("COM1");
    system.registry.values["\\Device\\silabser0"] = ScriptedRegistry::Text("COM11");
    system.registry.values["\\Device\\Odd"] = {4, std::string("COM12\0", 6)};
    QCOMPARE(MappedPortNames(system.registry), (std::vector<std::string>{"COM1", "COM11"}));
    QVERIFY(!system.registry.open);

    WindowsPortPlatform windows(system);
    QCOMPARE(windows.LastingName(QStringLiteral("COM11")), QStringLiteral("COM11"));
    QCOMPARE(windows.FindAgain(QStringLiteral("COM11"), {}), QStringLiteral("COM11"));
    system.registry.values.erase("\\Device\\silabser0"); // unplugged
    QCOMPARE(windows.FindAgain(QStringLiteral("COM11"), {}), std::nullopt);
    system.registry.values["\\Device\\silabser0"] = ScriptedRegistry::Text("COM11");
    QCOMPARE(windows.FindAgain(QStringLiteral("COM11"), {}), QStringLiteral("COM11"));
    QVERIFY(system.probed.empty()); // looking never opens the port
    system.registry.keyExists = false;
    QCOMPARE(windows.FindAgain(QStringLiteral("COM11"), {}), std::nullopt);
}

void PortDiscoveryTest::devicesAreFoundAgainByTheirStableName() {
    // A fake /dev: ttyUSB0 (a character device) has a lasting name; the bridge of usb-B is gone.
    QTemporaryDir dir;
    const QString dev = dir.filePath(QStringLiteral("dev"));
    const QString byId = dev + QStringLiteral("/serial/by-id/");
    const QString usb0 = dev + QStringLiteral("/ttyUSB0");
    const QString mine = dir.filePath(QStringLiteral("meter")); // the user's own link to it
    QVERIFY(QDir().mkpath(byId));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), usb0) && QFile::link(usb0, mine));
    QVERIFY(QFile::link(QStringLiteral("../../ttyUSB7"), byId + QStringLiteral("usb-B")));
    QVERIFY(QFile::link(QStringLiteral("../../ttyUSB0"), byId + QStringLiteral("usb-A")));
    QVERIFY(QFile(dir.filePath(QStringLiteral("plain"))).open(QIODevice::WriteOnly));
    LinuxPortPlatform linux(dir.filePath(QStringLiteral("sys")), dev);

    QCOMPARE(linux.LastingName(usb0), byId + QStringLiteral("usb-A"));
    QCOMPARE(linux.LastingName(mine), byId + QStringLiteral("usb-A"));
    QCOMPARE(linux.LastingName(QStringLiteral("/dev/zero")), QStringLiteral("/dev/zero"));
    // A lasting name gives the node its link names now; anything else must be a device itself.
    QCOMPARE(linux.FindAgain(byId + QStringLiteral("usb-A"), {}), usb0);
    QCOMPARE(linux.FindAgain(byId + QStringLiteral("usb-B"), {}), std::nullopt);
    QCOMPARE(linux.FindAgain(mine, linux.NameStamp(mine)), mine);
    QCOMPARE(linux.FindAgain(dir.filePath(QStringLiteral("plain")), {}), std::nullopt);

    // A pseudo-terminal only through a link made anew since the loss: its number may be anyone's.
    PseudoTerminal line;
    QVERIFY(line.Open());
    const QString sim = dir.filePath(QStringLiteral("sim"));
    QVERIFY(QFile::link(line.Path(), sim));
    const QString lost = linux.NameStamp(sim);
    QCOMPARE(linux.FindAgain(sim, lost), std::nullopt);
    QCOMPARE(linux.FindAgain(line.Path(), {}), std::nullopt);
    QVERIFY(QFile::link(line.Path(), sim + u'~') &&
            ::rename(qPrintable(sim + u'~'), qPrintable(sim)) == 0);
    QCOMPARE(linux.FindAgain(sim, lost), sim);
}

QTEST_GUILESS_MAIN(PortDiscoveryTest)
#include "PortDiscoveryTest.moc"
