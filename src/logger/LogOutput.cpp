#include "logger/LogOutput.h"

#include "reports/AtomicFileWriter.h"
#include "state/SystemTexts.h"
#include "state/WriteAll.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

bool isRegular(int fd, struct stat* st = nullptr) {
    struct stat own {};
    struct stat& s = st ? *st : own;
    return ::fstat(fd, &s) == 0 && S_ISREG(s.st_mode);
}

} // namespace

LogOutput::~LogOutput() {
    if (m_own && m_fd >= 0)
        ::close(m_fd);
}

bool LogOutput::OpenStandardOutput(bool append, const QByteArray& heading, QString* error) {
    m_fd = STDOUT_FILENO;
    m_own = false;
    m_name = QStringLiteral("standard output");
    m_regular = isRegular(m_fd);
    return start(append, heading, error);
}

bool LogOutput::OpenFile(const QString& path, bool append, const QByteArray& heading,
                         QString* error) {
    m_name = path;
    m_own = true;
    m_waitsForReader = false;
    const QFileInfo info(path);
    // Writing goes to what a symbolic link names, even one that names nothing yet; the link stays.
    const QString target = info.isSymLink() ? info.symLinkTarget()
                           : info.exists()  ? info.canonicalFilePath()
                                            : path;
    struct stat st {};
    const bool exists = ::stat(nativePath(target).constData(), &st) == 0;
    if (append || (exists && !S_ISREG(st.st_mode))) {
        // Read as well, to see how an existing file ends. Never waits in open for a FIFO's
        // reader: without one, the caller waits and tries again while it can still be stopped.
        const int access = exists && !S_ISREG(st.st_mode) ? O_WRONLY : O_RDWR;
        m_fd = ::open(nativePath(target).constData(),
                      access | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0666);
        if (m_fd < 0) {
            m_waitsForReader = errno == ENXIO && exists && S_ISFIFO(st.st_mode);
            *error = m_waitsForReader
                         ? QStringLiteral("no program reads %1 yet").arg(QuotedPath(path))
                         : QStringLiteral("cannot open %1: %2")
                               .arg(QuotedPath(path), systemError(errno));
            return false;
        }
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
        m_regular = isRegular(m_fd);
        return start(append, heading, error);
    }

    // The heading, in a file that takes the old one's place whole; the lines go to its end.
    QString reason;
    if (!WriteFileAtomically(target, heading, &reason)) {
        *error = QStringLiteral("cannot create %1: %2").arg(QuotedPath(path), reason);
        return false;
    }
    m_fd = ::open(nativePath(target).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (m_fd < 0) {
        *error = QStringLiteral("cannot create %1: %2").arg(QuotedPath(path), systemError(errno));
        return false;
    }
    m_regular = true;
    // A file replaced keeps its permissions (and its owner, where this user may give it).
    if (exists) {
        ::fchmod(m_fd, st.st_mode & 07777);
        if (::fchown(m_fd, st.st_uid, st.st_gid) != 0) {
            // Another user's file becomes this user's, as any program's saved file would.
        }
    }
    return true;
}

bool LogOutput::start(bool append, const QByteArray& heading, QString* error) {
    struct stat st {};
    const off_t size = m_regular && ::fstat(m_fd, &st) == 0 ? st.st_size : 0;
    if (append && size > 0) {
        // Only lines of the same form are added: a csv file starts with the heading, a jsonl
        // file with an object, an influx file with the measurement.
        const QByteArray& start = heading.isEmpty() ? m_lineStart : heading;
        QByteArray first(start.size(), '\0');
        const ssize_t got = ::pread(m_fd, first.data(), size_t(first.size()), 0);
        first.truncate(got < 0 ? 0 : got);
        if (first != start) {
            m_wrongContents = true;
            *error = QStringLiteral("%1 holds no %2 lines of vantello-log; nothing is appended to "
                                    "it. Name another file, or leave out --append to replace it.")
                         .arg(m_name == u"standard output" ? m_name : QuotedPath(m_name),
                              heading.isEmpty() ? m_formatName : QStringLiteral("csv"));
            return false;
        }
        // A line cut short by a run that was killed gets its end, so the next line starts clean.
        char last = '\n';
        if (::pread(m_fd, &last, 1, size - 1) == 1 && last != '\n')
            return writeAll("\n", error);
        return true;
    }
    return writeAll(heading, error);
}

QString LogOutput::ShownName() const {
    return m_own ? QuotedPath(m_name) : m_name;
}

bool LogOutput::Write(const QByteArray& line, QString* error) {
    return writeAll(line, error);
}

bool LogOutput::writeAll(const QByteArray& bytes, QString* error) {
    qsizetype done = 0;
    const int code = WriteAll(m_fd, bytes, &done);
    if (code == 0)
        return true;
    struct stat st {};
    if (done > 0 && m_regular && ::fstat(m_fd, &st) == 0 && st.st_size >= done) {
        if (::ftruncate(m_fd, st.st_size - done) != 0) {
            // Nothing more to do: the file keeps the part written.
        }
    }
    *error = QStringLiteral("cannot write to %1: %2").arg(ShownName(), systemError(code));
    return false;
}

bool LogOutput::Close(QString* error) {
    if (m_fd < 0)
        return true;
    bool ok = true;
    if (m_regular && ::fsync(m_fd) != 0 && errno != EINVAL) {
        *error = QStringLiteral("cannot write to %1: %2").arg(ShownName(), systemError(errno));
        ok = false;
    }
    if (m_own && ::close(m_fd) != 0 && ok) {
        *error = QStringLiteral("cannot write to %1: %2").arg(ShownName(), systemError(errno));
        ok = false;
    }
    m_fd = -1;
    return ok;
}
