#include "logger/LogOutput.h"

#include "logger/LogPlatform.h"
#include "reports/AtomicFileWriter.h"
#include "state/SystemTexts.h"
#include "state/WriteAll.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

bool isRegular(int fd) {
    return RegularFileSize(fd).has_value();
}

} // namespace

LogOutput::~LogOutput() {
    if (m_own && m_fd >= 0)
        CloseLogFile(m_fd);
}

bool LogOutput::OpenStandardOutput(bool append, const QByteArray& heading, QString* error) {
    m_fd = 1; // standard output
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
    const PathKindOf kind = PathKind(target);
    const bool exists = kind != PathKindOf::Missing;
    if (append || (exists && kind != PathKindOf::Regular)) {
        // Read as well, to see how an existing file ends. Never waits in open for a FIFO's
        // reader: without one, the caller waits and tries again while it can still be stopped.
        const int access = exists && kind != PathKindOf::Regular ? O_WRONLY : O_RDWR;
        m_fd = OpenLogFile(target, access | O_CREAT | O_APPEND);
        if (m_fd < 0) {
            m_waitsForReader = errno == ENXIO && kind == PathKindOf::Fifo;
            *error = m_waitsForReader
                         ? QStringLiteral("no program reads %1 yet").arg(QuotedPath(path))
                         : QStringLiteral("cannot open %1: %2")
                               .arg(QuotedPath(path), systemError(errno));
            return false;
        }
        m_regular = isRegular(m_fd);
        return start(append, heading, error);
    }

    // The heading, in a file that takes the old one's place whole; the lines go to its end. A file
    // replaced keeps its permissions (and its owner, where this user may give it).
    const KeptPermissions kept = PermissionsOf(target);
    QString reason;
    if (!WriteFileAtomically(target, heading, &reason)) {
        *error = QStringLiteral("cannot create %1: %2").arg(QuotedPath(path), reason);
        return false;
    }
    m_fd = OpenLogFile(target, O_WRONLY | O_APPEND);
    if (m_fd < 0) {
        *error = QStringLiteral("cannot create %1: %2").arg(QuotedPath(path), systemError(errno));
        return false;
    }
    m_regular = true;
    if (exists)
        GivePermissions(m_fd, kept);
    return true;
}

bool LogOutput::start(bool append, const QByteArray& heading, QString* error) {
    const std::int64_t size = m_regular ? RegularFileSize(m_fd).value_or(0) : 0;
    if (append && size > 0) {
        // Only lines of the same form are added: a csv file starts with the heading, a jsonl
        // file with an object, an influx file with the measurement.
        const QByteArray& start = heading.isEmpty() ? m_lineStart : heading;
        QByteArray first(start.size(), '\0');
        const std::int64_t got = ReadAt(m_fd, 0, first.data(), first.size());
        first.truncate(got < 0 ? 0 : qsizetype(got));
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
        if (ReadAt(m_fd, size - 1, &last, 1) == 1 && last != '\n')
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
    const std::int64_t size = m_regular ? RegularFileSize(m_fd).value_or(0) : 0;
    if (done > 0 && size >= done) {
        if (!TruncateLogFile(m_fd, size - done)) {
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
    if (m_regular && !SyncLogFile(m_fd) && errno != EINVAL) {
        *error = QStringLiteral("cannot write to %1: %2").arg(ShownName(), systemError(errno));
        ok = false;
    }
    if (m_own && !CloseLogFile(m_fd) && ok) {
        *error = QStringLiteral("cannot write to %1: %2").arg(ShownName(), systemError(errno));
        ok = false;
    }
    m_fd = -1;
    return ok;
}
