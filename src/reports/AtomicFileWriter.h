#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes to path through a temporary file that is renamed over the target only when it is
// complete, so a failed write leaves an existing file as it was. Only where the folder takes no
// temporary file but the existing file may be written is the file written in place. Returns
// false with the reason in *error (when given) if the file could not be written.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error);

// The message that tells the user a file could not be written, and why.
QString FileWriteErrorText(const QString& path, const QString& reason);
