#include "link/LinuxPortPlatform.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

LinuxPortPlatform::LinuxPortPlatform(QString sysRoot, QString devRoot)
    : m_sysRoot(std::move(sysRoot))
    , m_devRoot(std::move(devRoot)) {}

QList<LinuxPortPlatform::Tty> LinuxPortPlatform::serialTtys() const {
    const QDir classDir(m_sysRoot + QStringLiteral("/class/tty"));
    QStringList names = classDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), collator);

    QList<Tty> ttys;
    for (const QString& name : names) {
        const QString dir = classDir.filePath(name);
        // Consoles and pseudo-terminals have no device; real serial ports have one with a driver.
        const QFileInfo driver(dir + QStringLiteral("/device/driver"));
        if (!driver.exists())
            continue;
        // Built-in UART slots that have no chip behind them report the type 0.
        QFile type(dir + QStringLiteral("/type"));
        if (type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "0")
            continue;
        ttys.append({name, QFileInfo(driver.canonicalFilePath()).fileName()});
    }
    return ttys;
}

QStringList LinuxPortPlatform::ListPorts() {
    QStringList list;
    for (const Tty& tty : serialTtys())
        list.append(m_devRoot + u'/' + tty.name);
    return list;
}

QString LinuxPortPlatform::StartText() {
    const QStringList list = ListPorts();
    return list.isEmpty() ? QString() : list.first();
}

std::optional<QString> LinuxPortPlatform::ResolvePort(const QString& text) {
    const QString path = text.trimmed();
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

bool LinuxPortPlatform::Probe(const QString& device) {
    return ProbeSerialDevice(device);
}

std::optional<QString> LinuxPortPlatform::FindBridge() {
    for (const Tty& tty : serialTtys()) {
        if (tty.driver == QLatin1String(kBridgeDriver))
            return m_devRoot + u'/' + tty.name;
    }
    return std::nullopt;
}

bool ProbeSerialDevice(const QString& path, QString* reason) {
    auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    const QByteArray local = QFile::encodeName(path);
    const int fd = ::open(local.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    bool ok = true;
    QString why;
    if (!::isatty(fd)) {
        ok = false;
        why = QStringLiteral("not a serial device");
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ok = false;
        why = QStringLiteral("in use");
    }
    ::close(fd);
    return ok ? true : fail(why);
}

bool LockSerialDevice(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}
