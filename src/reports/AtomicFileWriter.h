#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Writes bytes to path through a temporary file that is renamed over the target only when it is
// complete, so a failed write leaves an existing file as it was. Only where the folder takes no
// temporary file but the existing file may be written is the file written in place. Returns
// false with the reason in *error (when given) if the file could not be written.
// Every byte is handed to the system before the file takes the target's place and the file is
// forced to disk, so a full disk or a size limit is a failure, never a short file.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error);
// The same for contents made piece by piece: next fills *chunk and returns true while there is
// more, so a large file never lies whole in memory.
bool WriteFileAtomically(const QString& path, const std::function<bool(QByteArray*)>& next,
                         QString* error);

// The message that tells the user a file could not be written, and why.
QString FileWriteErrorText(const QString& path, const QString& reason);
