#include "recovery/RecoveryLogFile.h"

#include "recovery/RecoveryLogFormat.h"
#include "state/SystemTexts.h"
#ifdef Q_OS_UNIX
#include "state/WriteAll.h"
#endif

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString cannotCreate(const QString& folder, const QString& why) {
    return QStringLiteral("no file can be made in %1 (%2)")
        .arg(QuotedPath(QDir::toNativeSeparators(folder)), why);
}

QString cannotWrite(const QString& path, const QString& why) {
    return QStringLiteral("cannot write %1: %2")
        .arg(QuotedPath(QDir::toNativeSeparators(path)), why);
}

} // namespace

QString RecoveryFolderRefusal(const QString& folder) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return {};
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("%1 is not a folder")
            .arg(QuotedPath(QDir::toNativeSeparators(folder)));
    if (st.st_uid != ::geteuid())
        return QStringLiteral("the folder %1 belongs to another user")
            .arg(QuotedPath(QDir::toNativeSeparators(folder)));
#else
    Q_UNUSED(folder);
#endif
    return {};
}

QString RecoveryLockPath(const QString& logPath) {
    return logPath + QStringLiteral(".lock");
}

RecoveryLogFile::~RecoveryLogFile() {
    close();
}

void RecoveryLogFile::close() {
    m_sync.Watch(-1, {});
    m_file.close();
    m_lock.reset(); // unlocks: removes the lock file
}

bool RecoveryLogFile::Create(const QString& folder, QString* reason) {
    close();
    // The folder is the user's alone: made 0700, and refused when another user owns it.
    const bool existed = QFileInfo::exists(folder);
    if (!QDir().mkpath(folder)) {
        *reason = cannotCreate(folder, QStringLiteral("the folder cannot be made"));
        return false;
    }
    if (!existed)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString refusal = RecoveryFolderRefusal(folder);
    if (!refusal.isEmpty()) {
        *reason = cannotCreate(folder, refusal);
        return false;
    }
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = QStringLiteral("%1/recovery-%2-%3")
                             .arg(folder, stamp)
                             .arg(QCoreApplication::applicationPid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path =
            base + (attempt ? QStringLiteral("-%1.log").arg(attempt) : QStringLiteral(".log"));
        auto lock = std::make_unique<QLockFile>(RecoveryLockPath(path));
        lock->setStaleLockTime(0); // stale only when its program is gone
        if (!lock->tryLock(0)) {
            if (lock->error() == QLockFile::LockFailedError)
                continue; // that name is taken
            *reason = cannotCreate(folder, QStringLiteral("the lock file cannot be written"));
            return false;
        }
        m_file.setFileName(path);
        m_path = path;
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (QFileInfo::exists(path))
                continue;
            *reason = cannotCreate(folder, m_file.errorString());
            return false;
        }
        m_lock = std::move(lock);
        m_sync.Watch(int(m_file.handle()), folder);
        if (!Append(RecoveryLogHeader(), reason))
            return false;
        return true;
    }
    *reason = cannotCreate(folder, QStringLiteral("every name is taken"));
    return false;
}

bool RecoveryLogFile::Adopt(const QString& path, qint64 intactSize, std::unique_ptr<QLockFile> lock,
                            QString* reason) {
    close();
#ifdef Q_OS_UNIX
    // The log itself, never what a link put in its place points to; a torn last entry is cut
    // off, so that the next entry starts a line of its own.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::ftruncate(fd, intactSize) != 0) {
        *reason = cannotWrite(path, QString::fromLocal8Bit(std::strerror(fd < 0 ? errno : EINVAL)));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    m_file.setFileName(path);
    m_path = path;
    if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle)) {
        *reason = cannotWrite(path, m_file.errorString());
        ::close(fd);
        return false;
    }
#else
    m_file.setFileName(path);
    m_path = path;
    if (!m_file.resize(intactSize) ||
        !m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *reason = cannotWrite(path, m_file.errorString());
        m_file.close();
        return false;
    }
#endif
    m_lock = std::move(lock);
    m_sync.Watch(int(m_file.handle()), QFileInfo(path).absolutePath());
    return true;
}

bool RecoveryLogFile::Append(const QByteArray& entry, QString* reason) {
    if (!m_file.isOpen()) {
        *reason = cannotWrite(m_path, QStringLiteral("the log is closed"));
        return false;
    }
#ifdef Q_OS_UNIX
    // One write(2) for the whole entry, unless it is interrupted or short.
    const int error = WriteAll(m_file.handle(), entry);
    m_sync.Written();
    if (error == 0)
        return true;
    *reason = cannotWrite(m_path, QString::fromLocal8Bit(std::strerror(error)));
    return false;
#else
    const qint64 written = m_file.write(entry);
    m_sync.Written();
    if (written == entry.size())
        return true;
    *reason = cannotWrite(m_path, m_file.errorString());
    return false;
#endif
}

void RecoveryLogFile::Remove() {
    const QString path = m_path;
    const bool open = m_file.isOpen();
    m_sync.Watch(-1, {});
    m_file.close();
    if (open)
        QFile::remove(path);
    m_lock.reset();
}
