#pragma once

#include "recovery/DiskSync.h"

#include <QFile>
#include <QLockFile>
#include <QString>

#include <memory>

// One recovery log file on disk, guarded by its lock file (the log's path with ".lock" added)
// while this program writes it: another program's start-up never takes a log whose lock is held
// by a running program. Every entry is handed to the operating system with one write as it is
// appended; a background thread forces the file to disk at most once a second.
class RecoveryLogFile {
public:
    RecoveryLogFile() = default;
    // Closes the file and releases the lock, and leaves the log where it is, as a run that did
    // not end normally leaves it.
    ~RecoveryLogFile();

    // Makes a new, empty log in folder (created if missing). False with the reason when no log
    // can be made there.
    bool Create(const QString& folder, QString* reason);
    // Goes on writing an earlier log whose lock the caller holds: a torn last entry after
    // intactSize is cut off first.
    bool Adopt(const QString& path, qint64 intactSize, std::unique_ptr<QLockFile> lock,
               QString* reason);

    // Writes one entry. False with the reason when it was not written whole; the file stays open
    // and later entries should not be written to it.
    bool Append(const QByteArray& entry, QString* reason);

    // Closes and deletes the log and releases its lock.
    void Remove();

    bool IsOpen() const { return m_file.isOpen(); }
    QString Path() const { return m_path; }

private:
    void close();

    QFile m_file;
    QString m_path; // m_file may be opened by its descriptor, which leaves its name empty
    std::unique_ptr<QLockFile> m_lock;
    DiskSync m_sync;
};

// Why folder may not hold this user's recovery logs (it is not a folder, or another user owns
// it), or empty when it may (or does not exist yet).
QString RecoveryFolderRefusal(const QString& folder);

// The lock file that guards the log at path.
QString RecoveryLockPath(const QString& logPath);
