#pragma once

// Files as the tests write and read them, byte for byte.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

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

// Runs step with this process's file-size limit at `bytes`, as a disk that fills part-way would
// (for root too), and SIGXFSZ ignored as the programs ignore it; the old limit comes back after.
// False when the limit could not be set.
template <typename Step> bool UnderFileSizeLimit(qint64 bytes, Step step) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return false;
    rlimit small = saved;
    small.rlim_cur = rlim_t(bytes);
    if (setrlimit(RLIMIT_FSIZE, &small) != 0)
        return false;
    step();
    setrlimit(RLIMIT_FSIZE, &saved);
    return true;
}
