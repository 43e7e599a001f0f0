#include "reports/AtomicFileWriter.h"

#include "state/SystemTexts.h"

#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace {

// Forces what was written to disk; a disk that fails here has not got the file.
bool syncToDisk(QSaveFile& file, QString* error) {
#ifdef Q_OS_UNIX
    const int fd = file.handle();
    if (fd >= 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
#else
    Q_UNUSED(file);
    Q_UNUSED(error);
#endif
    return true;
}

} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    qsizetype at = 0;
    return WriteFileAtomically(
        path,
        [&](QByteArray* chunk) {
            if (at > 0)
                return false;
            *chunk = bytes;
            at = bytes.size() + 1;
            return true;
        },
        error);
}

bool WriteFileAtomically(const QString& path, const std::function<bool(QByteArray*)>& next,
                         QString* error) {
    QSaveFile file(path);
    // A writable file in a folder the user may not write to (the administrator's folder, the
    // user's file) cannot get a temporary file beside it: it is written in place instead, which
    // is not atomic but saves where the user may save.
    file.setDirectWriteFallback(true);
    // Unbuffered: every byte reaches the system in write() itself, so a full disk or a size limit
    // is seen there, never in a flush inside the commit that reports nothing.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        file.cancelWriting();
        return false;
    };
    QByteArray chunk;
    while (next(&chunk)) {
        if (file.write(chunk) != chunk.size())
            return fail(file.errorString());
    }
    if (!file.flush())
        return fail(file.errorString());
    QString why;
    if (!syncToDisk(file, &why))
        return fail(why);
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QString FileWriteErrorText(const QString& path, const QString& reason) {
    return QStringLiteral("The file could not be written:\n%1\n\n%2").arg(QuotedPath(path), reason);
}
