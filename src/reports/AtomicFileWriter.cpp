#include "reports/AtomicFileWriter.h"

#include <QSaveFile>

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    // A writable file in a folder the user may not write to (the administrator's folder, the
    // user's file) cannot get a temporary file beside it: it is written in place instead, which
    // is not atomic but saves where the user may save.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QString FileWriteErrorText(const QString& path, const QString& reason) {
    return QStringLiteral("The file could not be written:\n%1\n\n%2").arg(path, reason);
}
