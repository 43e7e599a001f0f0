#include "logger/LogPlatform.h"

#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace {

StopRequests* stopTarget = nullptr;
HANDLE runFinished = nullptr; // set once the run is over and its output closed

const wchar_t* wide(const QString& text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

// Runs on a thread of its own that Windows starts for the event.
BOOL WINAPI onConsoleEvent(DWORD kind) {
    switch (kind) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    if (stopTarget == nullptr)
        return FALSE;
    StopRequests* target = stopTarget;
    QMetaObject::invokeMethod(
        target, [target] { emit target->Requested(); }, Qt::QueuedConnection);
    // After these three the process ends when the handler returns: wait for the last line.
    if (kind == CTRL_CLOSE_EVENT || kind == CTRL_LOGOFF_EVENT || kind == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(runFinished, 4500);
    return TRUE;
}

} // namespace

void PrepareLogProcess() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool StandardErrorIsConsole() {
    HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode))
        return false;
    // The status line is rewritten with a carriage return and "erase to the end of the line";
    // a console that cannot follow the latter gets no status line.
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0 &&
        !SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        return false;
    return true;
}

int ConsoleWidth(int fd) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(handle, &info))
        return 80;
    const int width = info.srWindow.Right - info.srWindow.Left + 1;
    return width > 0 ? width : 80;
}

StopRequests::StopRequests(QObject* parent)
    : QObject(parent) {}

StopRequests::~StopRequests() {
    if (stopTarget == this) {
        SetConsoleCtrlHandler(onConsoleEvent, FALSE);
        stopTarget = nullptr;
    }
}

bool StopRequests::Install(QString* error) {
    runFinished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    stopTarget = this;
    if (runFinished == nullptr || !SetConsoleCtrlHandler(onConsoleEvent, TRUE)) {
        *error = QStringLiteral("Windows error %1").arg(GetLastError());
        stopTarget = nullptr;
        return false;
    }
    return true;
}

void StopRequests::Finished() {
    if (runFinished != nullptr)
        SetEvent(runFinished);
}

int OpenLogFile(const QString& path, int flags) {
    // Through CreateFile rather than _wopen: the file must allow being renamed while open (the
    // new file takes the old one's name after its heading is written, and lines follow).
    const int access = flags & (O_WRONLY | O_RDWR);
    const DWORD desired = access == O_RDWR ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    if ((flags & O_CREAT) && (flags & O_EXCL))
        disposition = CREATE_NEW;
    else if (flags & O_CREAT)
        disposition = OPEN_ALWAYS;
    HANDLE handle =
        CreateFileW(wide(path), desired, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            errno = EEXIST;
            break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            errno = ENOENT;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            errno = EACCES;
            break;
        case ERROR_DISK_FULL:
            errno = ENOSPC;
            break;
        default:
            errno = EIO;
        }
        return -1;
    }
    // The C runtime appends (each write goes to the end) and never translates line ends.
    const int fd =
        _open_osfhandle(reinterpret_cast<intptr_t>(handle), (flags & O_APPEND) | _O_BINARY);
    if (fd < 0)
        CloseHandle(handle);
    return fd;
}

PathKindOf PathKind(const QString& path) {
    struct _stat64 st {};
    if (_wstat64(wide(path), &st) != 0)
        return PathKindOf::Missing;
    return (st.st_mode & _S_IFMT) == _S_IFREG ? PathKindOf::Regular : PathKindOf::Other;
}

std::int64_t ReadAt(int fd, std::int64_t offset, char* data, std::int64_t size) {
    // The descriptor appends: moving its position for the read does not move where lines go.
    const __int64 was = _telli64(fd);
    std::int64_t got = -1;
    if (_lseeki64(fd, offset, SEEK_SET) == offset)
        got = _read(fd, data, unsigned(std::min<std::int64_t>(size, 1 << 30)));
    _lseeki64(fd, was, SEEK_SET);
    return got;
}

KeptPermissions PermissionsOf(const QString& path) {
    Q_UNUSED(path);
    return {};
}

void GivePermissions(int fd, const KeptPermissions& kept) {
    Q_UNUSED(fd);
    Q_UNUSED(kept);
}

bool SyncLogFile(int fd) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return false;
    }
    // Standard output may be a console or a pipe, which have nothing to force to disk.
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return true;
    if (FlushFileBuffers(handle))
        return true;
    errno = EIO;
    return false;
}

std::optional<std::int64_t> RegularFileSize(int fd) {
    struct _stat64 st {};
    if (_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG)
        return std::nullopt;
    return std::int64_t(st.st_size);
}

bool TruncateLogFile(int fd, std::int64_t size) {
    return _chsize_s(fd, size) == 0;
}

bool CloseLogFile(int fd) {
    return _close(fd) == 0;
}
