#include "recovery/EarlierRuns.h"

#include "recovery/RecoveryLogFile.h"
#include "reports/AnsiText.h"
#include "reports/AtomicFileWriter.h"
#include "reports/CsvExportWriter.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A path in a message, quoted so that a crafted name cannot start a line of its own.
QString shown(const QString& path) {
    return QuotedPath(QDir::toNativeSeparators(path));
}

// Nothing, not even a link, has this name.
bool nameIsFree(const QString& path) {
    const QFileInfo info(path);
    return !info.exists() && !info.isSymLink();
}

// Opens the log itself for reading, never what a link in its place points to, and never waits
// for a writer (a FIFO).
bool openLog(const QString& path, QFile* file) {
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    return file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
#else
    file->setFileName(path);
    return file->open(QIODevice::ReadOnly);
#endif
}

// Renames a log that cannot be read out of the way of later starts; never deletes it.
QString setAside(const QString& path) {
    QString aside = path + QStringLiteral(".unreadable");
    for (int n = 2; !nameIsFree(aside); ++n)
        aside = path + QStringLiteral(".unreadable-%1").arg(n);
    return QFile::rename(path, aside) ? aside : QString();
}

} // namespace

QString DefaultRecoveryFolder() {
#ifdef Q_OS_WIN
    // The user's local application data, which does not roam with the profile.
    QString local = qEnvironmentVariable("LOCALAPPDATA");
    if (local.isEmpty() || QDir::isRelativePath(local))
        local = QDir::homePath() + QStringLiteral("/AppData/Local");
    return QDir::cleanPath(local + QStringLiteral("/Vantello"));
#else
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base + QStringLiteral("/vantello"));
#endif
}

std::vector<EarlierRun> FindEarlierRuns(const QString& folder, QStringList* notices) {
    std::vector<EarlierRun> runs;
    const QString refusal = RecoveryFolderRefusal(folder);
    if (!refusal.isEmpty()) {
        *notices << QStringLiteral("The recovery logs were not read: %1.").arg(refusal);
        return runs;
    }
    const QDir dir(folder);
    for (const QString& name : dir.entryList(
             {QStringLiteral("recovery-*.log")},
             QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
        EarlierRun run;
        run.path = dir.filePath(name);
        if (QFileInfo(run.path).isSymLink()) {
            *notices << QStringLiteral("%1 is a symbolic link, not a recovery log of this "
                                       "program; it was not followed and is left as it is.")
                            .arg(shown(run.path));
            continue;
        }
        run.lock = std::make_unique<QLockFile>(RecoveryLockPath(run.path));
        run.lock->setStaleLockTime(0);
        if (!run.lock->tryLock(0))
            continue; // its program is running (or the folder cannot be written)
        QFile file;
        if (!openLog(run.path, &file))
            continue;
        RecoveryLogContent content = ReadRecoveryLog(file, std::size_t(kReadingLimit));
        file.close();
        if (content.good == 0 && content.recognised && content.skipped == 0) {
            RemoveEarlierRun(run); // empty, or cut off while its header was written
            continue;
        }
        if (content.good == 0) {
            const QString aside = setAside(run.path);
            *notices << (aside.isEmpty()
                             ? QStringLiteral("The recovery log %1 cannot be read; it was left "
                                              "as it is.")
                                   .arg(shown(run.path))
                             : QStringLiteral("The recovery log %1 cannot be read (%2); it was "
                                              "kept as %3.")
                                   .arg(shown(run.path),
                                        content.laterVersion
                                            ? QStringLiteral("a later version wrote it")
                                            : QStringLiteral("no intact reading in it"),
                                        shown(aside)));
            continue;
        }
        run.readings = std::move(content.readings);
        run.events = std::move(content.events);
        run.scan = content;
        runs.push_back(std::move(run));
    }
    // Locks left by ended programs whose logs are gone.
    for (const QString& name :
         dir.entryList({QStringLiteral("recovery-*.log.lock")}, QDir::Files | QDir::Hidden)) {
        const QString log = dir.filePath(name.chopped(5));
        if (QFileInfo::exists(log) || QFileInfo(dir.filePath(name)).isSymLink())
            continue;
        QLockFile stale(dir.filePath(name));
        stale.setStaleLockTime(0);
        stale.tryLock(0); // removed again when it goes out of scope
    }
    std::stable_sort(runs.begin(), runs.end(), [](const EarlierRun& a, const EarlierRun& b) {
        return a.scan.first.instant < b.scan.first.instant;
    });
    return runs;
}

bool KeepAsCsv(const EarlierRun& run, qint64 from, const QString& folder, QString* path,
               QString* reason) {
    QFile file;
    if (!openLog(run.path, &file)) {
        *path = QDir::toNativeSeparators(run.path);
        *reason = QStringLiteral("the recovery log can no longer be read");
        return false;
    }
    RecoveryLogReader reader(file);
    LoggedReading entry;
    bool more = reader.Next(&entry);
    for (qint64 skip = from; more && skip > 0; --skip)
        more = reader.Next(&entry);
    if (!more) {
        *path = QDir::toNativeSeparators(run.path);
        *reason = QStringLiteral("the recovery log changed");
        return false;
    }

    const QString stem =
        QDir(folder).filePath(entry.instant.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")));
    *path = stem + QStringLiteral(".csv");
    // Free for the events beside it too, so that a file there from before is never taken for them.
    for (int n = 2; !nameIsFree(*path) || !nameIsFree(*path + QStringLiteral(".events.csv")); ++n)
        *path = stem + QStringLiteral("-%1.csv").arg(n);

    const QDateTime firstKept = entry.instant;
    bool heading = true;
    const bool written = WriteFileAtomically(
        *path,
        [&](QByteArray* chunk) {
            chunk->clear();
            if (heading) {
                *chunk = ToAnsi(QString::fromUtf16(kCsvExportHeading)) + "\r\n";
                heading = false;
            }
            for (; more && chunk->size() < 64 * 1024; more = reader.Next(&entry)) {
                const Reading& r = entry.reading;
                *chunk += ToAnsi(CsvExportRow(r.No, r.TRH, r.Value, r.Unit, r.Time)) + "\r\n";
            }
            return !chunk->isEmpty();
        },
        reason);
    if (!written)
        return false;
    // The run's alarms and notes beside it as the logger keeps them (run.csv.events.csv): all of
    // them for a whole run (those from before its first reading too, such as no data while
    // waiting for the meter), else those from the first reading kept on.
    QByteArray events;
    for (const RunEvent& event : run.events)
        if (from == 0 || event.at >= firstKept)
            events += EventsCsvRow(event);
    if (events.isEmpty())
        return true;
    const QString eventsPath = *path + QStringLiteral(".events.csv");
    if (!nameIsFree(eventsPath) ||
        !WriteFileAtomically(eventsPath, EventsCsvHeading() + events, reason)) {
        if (reason->isEmpty())
            *reason = QStringLiteral("%1 is taken").arg(QuotedPath(eventsPath));
        QFile::remove(*path); // the log stays, to be kept whole another time
        *path = eventsPath;
        return false;
    }
    return true;
}

void RemoveEarlierRun(EarlierRun& run) {
    QFile::remove(run.path);
    run.lock.reset();
}
