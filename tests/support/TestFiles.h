#pragma once

// Files as the tests write and read them, byte for byte.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>

// The bytes of the file at path; "(missing)" when it cannot be read, so that a missing file never
// passes for an empty one.
inline QByteArray ReadFileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

inline bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Points the symbolic link at target in one step (a new link renamed over it), as a simulated
// meter started again does with its line.
inline bool PointLinkAt(const QString& link, const QString& target) {
    return QFile::link(target, link + u'~') &&
           std::rename(QFile::encodeName(link + u'~').constData(),
                       QFile::encodeName(link).constData()) == 0;
}
