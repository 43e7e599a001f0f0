#pragma once

#include <QDir>
#include <QFile>
#include <QString>

// A sysfs tree in a temporary folder, laid out like the kernel's: class/tty/<name> with a device
// link whose driver link ends in the driver's name.
class FakeSysfs {
public:
    explicit FakeSysfs(const QString& root)
        : m_root(root) {
        QDir().mkpath(m_root + QStringLiteral("/class/tty"));
    }
    QString Root() const { return m_root; }

    // A terminal without a device (a console, a pseudo-terminal's master).
    void AddVirtualTty(const QString& name) {
        QDir().mkpath(m_root + QStringLiteral("/class/tty/") + name);
    }

    // A terminal whose device is bound to driver; type, when given, is the UART type file, and
    // number the device number in its dev file ("188:0").
    void AddTty(const QString& name, const QString& driver, const QString& type = QString(),
                const QString& number = QString()) {
        const QString device = QStringLiteral("devices/bus/port-%1/%1").arg(name);
        const QString driverDir = QStringLiteral("bus/drivers/") + driver;
        QDir().mkpath(m_root + u'/' + device);
        QDir().mkpath(m_root + u'/' + driverDir);
        const QString ttyDir = m_root + QStringLiteral("/class/tty/") + name;
        QDir().mkpath(ttyDir);
        QFile::link(QStringLiteral("../../../") + device, ttyDir + QStringLiteral("/device"));
        QFile::link(QStringLiteral("../../../../") + driverDir,
                    m_root + u'/' + device + QStringLiteral("/driver"));
        const auto write = [&ttyDir](const char* file, const QString& text) {
            QFile f(ttyDir + u'/' + QLatin1String(file));
            if (!text.isNull() && f.open(QIODevice::WriteOnly))
                f.write(text.toLatin1() + '\n');
        };
        write("type", type);
        write("dev", number);
    }

private:
    QString m_root;
};
