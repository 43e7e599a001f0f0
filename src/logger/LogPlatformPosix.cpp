#include "logger/LogPlatform.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void PrepareLogProcess() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

bool StandardErrorIsConsole() {
    return ::isatty(STDERR_FILENO) == 1;
}

int ConsoleWidth(int fd) {
    struct winsize size {};
    if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return 80;
    return size.ws_col;
}

StopRequests::StopRequests(QObject* parent)
    : QObject(parent) {}

StopRequests::~StopRequests() = default;

bool StopRequests::Install(QString* error) {
    // A signal handler may only write to a descriptor: the byte wakes the event loop.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
    });
    connect(notifier, &QSocketNotifier::activated, this, &StopRequests::Requested);
    std::signal(SIGTERM, onSignal);
    // Ignored when started so (nohup, a background job of a script): they stay ignored.
    for (const int kind : {SIGINT, SIGHUP})
        if (std::signal(kind, SIG_IGN) != SIG_IGN)
            std::signal(kind, onSignal);
    return true;
}

void StopRequests::Finished() {}

int OpenLogFile(const QString& path, int flags) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

PathKindOf PathKind(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return PathKindOf::Missing;
    if (S_ISREG(st.st_mode))
        return PathKindOf::Regular;
    return S_ISFIFO(st.st_mode) ? PathKindOf::Fifo : PathKindOf::Other;
}

std::int64_t ReadAt(int fd, std::int64_t offset, char* data, std::int64_t size) {
    return ::pread(fd, data, size_t(size), off_t(offset));
}

KeptPermissions PermissionsOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {true, std::uint32_t(st.st_mode & 07777), std::int64_t(st.st_uid),
            std::int64_t(st.st_gid)};
}

void GivePermissions(int fd, const KeptPermissions& kept) {
    if (!kept.known)
        return;
    ::fchmod(fd, mode_t(kept.mode));
    if (::fchown(fd, uid_t(kept.owner), gid_t(kept.group)) != 0) {
        // Another user's file becomes this user's, as any program's saved file would.
    }
}

bool SyncLogFile(int fd) {
    return ::fsync(fd) == 0;
}

std::optional<std::int64_t> RegularFileSize(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return std::int64_t(st.st_size);
}

bool TruncateLogFile(int fd, std::int64_t size) {
    return ::ftruncate(fd, off_t(size)) == 0;
}

bool CloseLogFile(int fd) {
    return ::close(fd) == 0;
}
