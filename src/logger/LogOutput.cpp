#include "logger/LogOutput.h"

#include "logger/LogPlatform.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

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
    const QFileInfo info(path);
    // Writing goes to what a symbolic link names; the link stays.
    const QString target = info.exists() ? info.canonicalFilePath() : path;
    const int kind = PathKind(target);
    if (append || kind == 0) {
        // Read as well, to see how an existing file ends.
        const int access = kind == 0 ? O_WRONLY : O_RDWR;
        m_fd = OpenLogFile(target, access | O_CREAT | O_APPEND);
        if (m_fd < 0) {
            *error = QStringLiteral("cannot open %1: %2").arg(path, systemError(errno));
            return false;
        }
        m_regular = isRegular(m_fd);
        return start(append, heading, error);
    }

    // A new file beside the old one, renamed over it once it holds the heading.
    const QString folder = QFileInfo(target).absolutePath();
    QString temporary;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        temporary = QStringLiteral("%1/.%2.%3.tmp")
                        .arg(folder, QFileInfo(target).fileName())
                        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        m_fd = OpenLogFile(temporary, O_WRONLY | O_CREAT | O_EXCL | O_APPEND);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        *error = QStringLiteral("cannot create %1: %2").arg(path, systemError(errno));
        return false;
    }
    m_regular = true;
    if (!writeAll(heading, error)) {
        QFile::remove(temporary);
        return false;
    }
    QString reason;
    if (!ReplaceLogFile(temporary, target, &reason)) {
        *error = QStringLiteral("cannot create %1: %2").arg(path, reason);
        QFile::remove(temporary);
        return false;
    }
    return true;
}

bool LogOutput::start(bool append, const QByteArray& heading, QString* error) {
    const std::int64_t size = m_regular ? RegularFileSize(m_fd).value_or(0) : 0;
    if (append && size > 0) {
        // A line cut short by a run that was killed gets its end, so the next line starts clean.
        char last = '\n';
        if (ReadByteAt(m_fd, size - 1, &last) && last != '\n')
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
    while (done < bytes.size()) {
        const std::int64_t n = WriteSome(m_fd, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const int code = n < 0 ? errno : ENOSPC;
        const std::int64_t size = m_regular ? RegularFileSize(m_fd).value_or(0) : 0;
        if (done > 0 && size >= done) {
            if (!TruncateLogFile(m_fd, size - done)) {
                // Nothing more to do: the file keeps the part written.
            }
        }
        *error = QStringLiteral("cannot write to %1: %2").arg(m_name, systemError(code));
        return false;
    }
    return true;
}

bool LogOutput::Close(QString* error) {
    if (m_fd < 0)
        return true;
    bool ok = true;
    if (m_regular && !SyncLogFile(m_fd) && errno != EINVAL) {
        *error = QStringLiteral("cannot write to %1: %2").arg(m_name, systemError(errno));
        ok = false;
    }
    if (m_own && !CloseLogFile(m_fd) && ok) {
        *error = QStringLiteral("cannot write to %1: %2").arg(m_name, systemError(errno));
        ok = false;
    }
    m_fd = -1;
    return ok;
}
