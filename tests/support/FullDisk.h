#pragma once

// Real ways for a write to run out of room: a small tmpfs of the test's own (root only; a test
// skips when it cannot mount one) and a file-size limit, in a child process or in this one.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <csignal>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// A tmpfs of `bytes` mounted on a temporary folder while the object lives.
class SmallTmpfs {
public:
    explicit SmallTmpfs(qint64 bytes) {
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
        m_mounted = m_dir.isValid() && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(),
                                               "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallTmpfs() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    QString FilePath(const QString& name) const { return m_dir.filePath(name); }
    QString Path() const { return m_dir.path(); }
    // Fills what room is left with a file of its own (named "filler").
    void Fill() const {
        QFile filler(FilePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size()) {
        }
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// Runs step in a child process whose files may not grow past limit bytes (SIGXFSZ ignored, as the
// programs do); the child's exit status is step's answer: 0 true, 1 false, -1 when it did not end.
inline int WithFileSizeLimit(rlim_t limit, const std::function<bool()>& step) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small{};
        ::getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = limit;
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0)
            ::_exit(3);
        ::_exit(step() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Runs step with this process's file-size limit at `bytes`, as a disk that fills part-way would
// (for root too), in this process, and SIGXFSZ ignored as the programs ignore it; the old limit
// comes back after. False when the limit could not be set.
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
