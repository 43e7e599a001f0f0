#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

// What the logger needs of the operating system besides Qt, in one place per system
// (LogPlatformPosix.cpp, LogPlatformWindows.cpp): standard error's console, the requests to end
// the run, and the few file calls whose spelling differs.

// Sets the process up for the logger: on POSIX systems SIGPIPE and SIGXFSZ are ignored, so that a
// closed pipe or a size limit fails the write; on Windows standard output and standard error are
// put in binary mode, so lines end in LF as they do elsewhere.
void PrepareLogProcess();

// Whether standard error is a terminal (a console on Windows) on which the status line can be
// rewritten in place; on Windows the console is also told to follow the escape sequences the
// status line uses.
bool StandardErrorIsConsole();

// The width in characters of the terminal or console behind standard error; 80 when unknown.
int ConsoleWidth(int fd);

// Raises Requested on the event loop when the run is asked to end: SIGINT, SIGTERM and SIGHUP on
// POSIX systems (SIGINT and SIGHUP stay ignored when the program was started with them ignored);
// Ctrl+C, Ctrl+Break, closing the console, logging off and shutting down on Windows. For the last
// three Windows ends the process as soon as the handler returns: the handler waits (up to 4.5 s of
// the 5 s Windows allows) until Finished says that the last line is written.
class StopRequests : public QObject {
    Q_OBJECT
public:
    explicit StopRequests(QObject* parent = nullptr);
    ~StopRequests() override;
    // False and why when the requests cannot be caught.
    bool Install(QString* error);
    // The run is over and its output closed.
    void Finished();

signals:
    void Requested();
};

// File calls for LogOutput. Paths are the user's; descriptors are not inherited by other programs
// and, on Windows, binary.
// open(2) with these flags (O_WRONLY, O_RDWR, O_CREAT, O_EXCL, O_APPEND), mode 0666; never waits
// for a FIFO's reader (fails with ENXIO instead); the descriptor then blocks as usual.
int OpenLogFile(const QString& path, int flags);
// What a path names now (following symbolic links).
enum class PathKindOf { Missing, Regular, Fifo, Other };
PathKindOf PathKind(const QString& path);
// Reads up to size bytes at offset without moving the descriptor's position: how many were read,
// -1 when that fails.
std::int64_t ReadAt(int fd, std::int64_t offset, char* data, std::int64_t size);
// The permissions and owner of the file at path, which is about to be replaced, and giving them
// to its replacement open as fd (the owner where this user may give it). Nothing on Windows,
// where a new file takes its folder's.
struct KeptPermissions {
    bool known = false;
    std::uint32_t mode = 0;
    std::int64_t owner = -1;
    std::int64_t group = -1;
};
KeptPermissions PermissionsOf(const QString& path);
void GivePermissions(int fd, const KeptPermissions& kept);
// Forces the file's written bytes to disk; false with errno set when that fails.
bool SyncLogFile(int fd);
// The size of what fd refers to when it is a regular file; nothing for a device or a pipe.
std::optional<std::int64_t> RegularFileSize(int fd);
// Cuts the file to size bytes.
bool TruncateLogFile(int fd, std::int64_t size);
// close(2); false with errno set when the system reports a failure.
bool CloseLogFile(int fd);
