#include "link/LinuxPortPlatform.h"

#include "state/SystemTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// Pseudo-terminals' near sides (/dev/pts/N) have these major numbers; their far sides are opened
// through /dev/ptmx (5:2).
constexpr unsigned kFirstPtyMajor = 136;
constexpr unsigned kLastPtyMajor = 143;
const dev_t kPtyMultiplexer = makedev(5, 2);

bool isPseudoTerminal(dev_t rdev) {
    return major(rdev) >= kFirstPtyMajor && major(rdev) <= kLastPtyMajor;
}

// The number of the pseudo-terminal whose far side a descriptor of /dev/ptmx holds, from its
// fdinfo ("tty-index:"); -1 when it says none.
long farSideIndex(const QByteArray& fdInfoPath) {
    QFile info(QFile::decodeName(fdInfoPath));
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : info.readAll().split('\n')) {
        if (line.startsWith("tty-index:"))
            return line.mid(10).trimmed().toLong();
    }
    return -1;
}

QString noSuchDeviceText(const QString& path) {
    return QStringLiteral("No such device: %1. Check that the meter's cable is plugged in and that "
                          "the port name is right.")
        .arg(QuotedPath(path));
}

QString notSerialText(const QString& path) {
    return QStringLiteral("%1 is not a serial device. The meter's port is a serial device such as "
                          "/dev/ttyUSB0.")
        .arg(QuotedPath(path));
}

QString groupName(gid_t gid) {
    group entry{};
    group* found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(gid);
}

QString userName(uid_t uid) {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

QString permissionText(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("Permission denied: %1.").arg(QuotedPath(path));
    const QString group = groupName(st.st_gid);
    const bool groupMayUseIt = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMayUseIt && st.st_gid != 0)
        return QStringLiteral(
                   "Permission denied: %1 may be used by the group \"%2\". Add your user "
                   "to it with \"sudo usermod -aG %2 $USER\", then log out and in "
                   "again.")
            .arg(QuotedPath(path), group);
    return QStringLiteral("Permission denied: %1 (owner \"%2\", group \"%3\") may not be read and "
                          "written by your user. Ask the administrator for access.")
        .arg(QuotedPath(path), userName(st.st_uid), group);
}

QString inUseText(const QString& path) {
    struct stat st {};
    QStringList holders;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode))
        holders = ProcessesHoldingDevice(st.st_rdev);
    if (holders.isEmpty())
        return QStringLiteral("%1 is in use by another program. Close it, then try again.")
            .arg(QuotedPath(path));
    return QStringLiteral("%1 is in use by another program: %2. Close it, then try again.")
        .arg(QuotedPath(path), holders.join(QStringLiteral(", ")));
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
        QFile number(dir + QStringLiteral("/dev"));
        const QString numberText = number.open(QIODevice::ReadOnly)
                                       ? QString::fromLatin1(number.readAll().trimmed())
                                       : QString();
        ttys.append({name, QFileInfo(driver.canonicalFilePath()).fileName(), numberText});
    }
    return ttys;
}

QStringList LinuxPortPlatform::SystemPorts() {
    QStringList list;
    for (const Tty& tty : serialTtys())
        list.append(m_devRoot + u'/' + tty.name);
    return list;
}

QString LinuxPortPlatform::SystemStartText() {
    const QStringList list = ListPorts();
    return list.isEmpty() ? QString() : list.first();
}

std::optional<QString> LinuxPortPlatform::ResolvePort(const QString& text) {
    const QString path = text.trimmed();
    if (path.isEmpty())
        return std::nullopt;
    if (!path.contains(u'/'))
        return m_devRoot + u'/' + path;
    return path;
}

bool LinuxPortPlatform::IsSerialDeviceNode(const QString& path, QString* reason) const {
    auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return fail(PortOpenErrorText(path, errno));
    if (!S_ISCHR(st.st_mode))
        return fail(notSerialText(path));
    if (isPseudoTerminal(st.st_rdev))
        return true;
    const unsigned majorNumber = major(st.st_rdev);
    const QString number = QStringLiteral("%1:%2").arg(majorNumber).arg(minor(st.st_rdev));
    for (const Tty& tty : serialTtys()) {
        if (tty.number == number)
            return true;
    }
    return fail(notSerialText(path));
}

bool LinuxPortPlatform::Probe(const QString& device, QString* reason) {
    return IsSerialDeviceNode(device, reason) && ProbeSerialDevice(device, reason);
}

std::optional<QString> LinuxPortPlatform::SystemBridge() {
    for (const Tty& tty : serialTtys()) {
        if (tty.driver == QLatin1String(kBridgeDriver))
            return m_devRoot + u'/' + tty.name;
    }
    return std::nullopt;
}

QString LinuxPortPlatform::byIdFolder() const {
    return QDir::cleanPath(m_devRoot + QStringLiteral("/serial/by-id"));
}

QString LinuxPortPlatform::LastingName(const QString& device) {
    const QString node = QFileInfo(device).canonicalFilePath();
    if (node.isEmpty())
        return device;
    const QDir byId(byIdFolder());
    for (const QString& name :
         byId.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFileInfo(byId.filePath(name)).canonicalFilePath() == node)
            return byId.filePath(name);
    }
    return device;
}

QString LinuxPortPlatform::NameStamp(const QString& lastingName) {
    struct stat st {};
    if (::lstat(QFile::encodeName(lastingName).constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return QString();
    return QStringLiteral("%1 %2.%3")
        .arg(st.st_ino)
        .arg(st.st_ctim.tv_sec)
        .arg(st.st_ctim.tv_nsec, 9, 10, QChar(u'0'));
}

std::optional<QString> LinuxPortPlatform::FindAgain(const QString& lastingName,
                                                    const QString& stampWhenLost) {
    const QFileInfo name(lastingName);
    // A lasting name's link names the device node the bridge has now; that node is what the
    // port box shows and the port opens.
    const QString device =
        name.absolutePath() == byIdFolder() ? QDir::cleanPath(name.symLinkTarget()) : lastingName;
    struct stat st {};
    if (device.isEmpty() || ::stat(QFile::encodeName(device).constData(), &st) != 0 ||
        !S_ISCHR(st.st_mode))
        return std::nullopt;
    const unsigned majorNumber = major(st.st_rdev);
    if (majorNumber >= kFirstPtyMajor && majorNumber <= kLastPtyMajor) {
        const QString stamp = NameStamp(lastingName);
        if (stamp.isEmpty() || stamp == stampWhenLost)
            return std::nullopt;
    }
    return device;
}

QStringList LinuxPortPlatform::WatchFolders(const QString& lastingName) {
    QStringList folders = {QFileInfo(lastingName).absolutePath(), QDir::cleanPath(m_devRoot),
                           QDir::cleanPath(m_devRoot + QStringLiteral("/serial")), byIdFolder()};
    folders.removeDuplicates();
    return folders;
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
        return fail(PortOpenErrorText(path, errno));
    const bool terminal = ::isatty(fd);
    const bool locked = terminal && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    struct stat st {};
    const bool read =
        locked && ::fstat(fd, &st) == 0 && !ProcessesHoldingDevice(st.st_rdev).isEmpty();
    ::close(fd);
    if (!terminal)
        return fail(notSerialText(path));
    if (!locked || read)
        return fail(inUseText(path));
    return true;
}

bool LockSerialDevice(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    // The far side of a pseudo-terminal keeps the terminal, and with it an exclusive mode, after
    // a reader that was killed; the lock goes with the reader.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && isPseudoTerminal(st.st_rdev))
        ::ioctl(fd, TIOCNXCL);
    return true;
}

QString PortOpenErrorText(const QString& path, int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return permissionText(path);
    case EBUSY:
    case EWOULDBLOCK:
        return inUseText(path);
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
        return noSuchDeviceText(path);
    default:
        return QStringLiteral("%1 cannot be opened: %2.")
            .arg(QuotedPath(path), QString::fromLocal8Bit(std::strerror(error)));
    }
}

QStringList ProcessesHoldingDevice(dev_t rdev, const QString& procRoot) {
    QStringList holders;
    const QByteArray root = QFile::encodeName(procRoot);
    DIR* processes = ::opendir(root.constData());
    if (!processes)
        return holders;
    const QByteArray self = QByteArray::number(::getpid());
    const long terminal =
        isPseudoTerminal(rdev) ? long(major(rdev) - kFirstPtyMajor) * 256 + long(minor(rdev)) : -1;
    while (const dirent* process = ::readdir(processes)) {
        const QByteArray pid(process->d_name);
        bool numeric = false;
        pid.toLong(&numeric);
        if (!numeric || pid == self)
            continue;
        const QByteArray fdPath = root + '/' + pid + "/fd";
        DIR* fds = ::opendir(fdPath.constData());
        if (!fds)
            continue; // gone, or another user's
        // A process that holds a pseudo-terminal's far side too is what the terminal belongs to
        // (a simulated meter, a terminal window), not one more reader of it.
        bool holds = false;
        bool farSide = false;
        while (const dirent* fd = ::readdir(fds)) {
            struct stat st {};
            if (fd->d_name[0] == '.' || ::stat((fdPath + '/' + fd->d_name).constData(), &st) != 0 ||
                !S_ISCHR(st.st_mode))
                continue;
            if (st.st_rdev == rdev)
                holds = true;
            else if (terminal >= 0 && st.st_rdev == kPtyMultiplexer &&
                     farSideIndex(root + '/' + pid + "/fdinfo/" + fd->d_name) == terminal)
                farSide = true;
        }
        ::closedir(fds);
        if (!holds || farSide)
            continue;
        QFile comm(QFile::decodeName(root + '/' + pid + "/comm"));
        const QString name = comm.open(QIODevice::ReadOnly)
                                 ? QString::fromLocal8Bit(comm.readAll().trimmed())
                                 : QStringLiteral("a program");
        holders << QStringLiteral("%1 (process %2)").arg(name, QString::fromLatin1(pid));
    }
    ::closedir(processes);
    return holders;
}
