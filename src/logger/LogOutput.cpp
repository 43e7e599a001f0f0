#include "logger/LogOutput.h"

#include "reports/AtomicFileWriter.h"
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
    const QFileInfo info(path);
    // Writing goes to what a symbolic link names; the link stays.
    const QString target = info.exists() ? info.canonicalFilePath() : path;
    struct stat st {};
    const bool exists = ::stat(nativePath(target).constData(), &st) == 0;
    if (append || (exists && !S_ISREG(st.st_mode))) {
        // Read as well, to see how an existing file ends.
        const int access = exists && !S_ISREG(st.st_mode) ? O_WRONLY : O_RDWR;
        m_fd =
            ::open(nativePath(target).constData(), access | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            *error = QStringLiteral("cannot open %1: %2").arg(path, systemError(errno));
            return false;
        }
        m_regular = isRegular(m_fd);
        return start(append, heading, error);
    }

    // The heading, in a file that takes the old one's place whole; the lines go to its end.
    QString reason;
    if (!WriteFileAtomically(target, heading, &reason)) {
        *error = QStringLiteral("cannot create %1: %2").arg(path, reason);
        return false;
    }
    m_fd = ::open(nativePath(target).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (m_fd < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, systemError(errno));
        return false;
    }
    m_regular = true;
    return true;
}

bool LogOutput::start(bool append, const QByteArray& heading, QString* error) {
    struct stat st {};
    const off_t size = m_regular && ::fstat(m_fd, &st) == 0 ? st.st_size : 0;
    if (append && size > 0) {
        // A line cut short by a run that was killed gets its end, so the next line starts clean.
        char last = '\n';
        if (::pread(m_fd, &last, 1, size - 1) == 1 && last != '\n')
            return writeAll("\n", error);
        return true;
    }
    return writeAll(heading, error);
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
    *error = QStringLiteral("cannot write to %1: %2").arg(m_name, systemError(code));
    return false;
}

bool LogOutput::Close(QString* error) {
    if (m_fd < 0)
        return true;
    bool ok = true;
    if (m_regular && ::fsync(m_fd) != 0 && errno != EINVAL) {
        *error = QStringLiteral("cannot write to %1: %2").arg(m_name, systemError(errno));
        ok = false;
    }
    if (m_own && ::close(m_fd) != 0 && ok) {
        *error = QStringLiteral("cannot write to %1: %2").arg(m_name, systemError(errno));
        ok = false;
    }
    m_fd = -1;
    return ok;
}
