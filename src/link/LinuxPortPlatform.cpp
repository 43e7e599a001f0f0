#include "link/LinuxPortPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// "ttyUSB2" before "ttyUSB10": names compare by their stem, then by their trailing number.
bool naturalLess(const QString& a, const QString& b) {
    auto split = [](const QString& s) {
        qsizetype i = s.size();
        while (i > 0 && s.at(i - 1).isDigit())
            --i;
        return std::pair{s.left(i), s.mid(i)};
    };
    const auto [stemA, numberA] = split(a);
    const auto [stemB, numberB] = split(b);
    if (stemA != stemB)
        return stemA < stemB;
    if (numberA.size() != numberB.size())
        return numberA.size() < numberB.size();
    return numberA < numberB;
}

} // namespace

LinuxPortPlatform::LinuxPortPlatform(QString sysRoot, QString devRoot)
    : m_sysRoot(std::move(sysRoot))
    , m_devRoot(std::move(devRoot)) {}

QList<LinuxPortPlatform::Tty> LinuxPortPlatform::serialTtys() const {
    const QDir classDir(m_sysRoot + QStringLiteral("/class/tty"));
    QStringList names = classDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    std::sort(names.begin(), names.end(), naturalLess);

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
