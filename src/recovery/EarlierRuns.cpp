#include "recovery/EarlierRuns.h"

#include "recovery/RecoveryLogFile.h"
#include "reports/AtomicFileWriter.h"
#include "reports/CsvExportWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>

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

std::vector<EarlierRun> FindEarlierRuns(const QString& folder) {
    std::vector<EarlierRun> runs;
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("recovery-*.log")}, QDir::Files, QDir::Name)) {
        EarlierRun run;
        run.path = dir.filePath(name);
        run.lock = std::make_unique<QLockFile>(RecoveryLockPath(run.path));
        run.lock->setStaleLockTime(0);
        if (!run.lock->tryLock(0))
            continue; // its program is running (or the folder cannot be written)
        QFile file(run.path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        RecoveryLogContent content = ParseRecoveryLog(file.readAll());
        file.close();
        if (!content.recognised)
            continue;
        if (content.readings.empty()) {
            RemoveEarlierRun(run);
            continue;
        }
        run.readings = std::move(content.readings);
        run.intactSize = content.intactSize;
        runs.push_back(std::move(run));
    }
    // Locks left by ended programs whose logs are gone.
    for (const QString& name :
         dir.entryList({QStringLiteral("recovery-*.log.lock")}, QDir::Files | QDir::Hidden)) {
        const QString log = dir.filePath(name.chopped(5));
        if (QFileInfo::exists(log))
            continue;
        QLockFile stale(dir.filePath(name));
        stale.setStaleLockTime(0);
        stale.tryLock(0); // removed again when it goes out of scope
    }
    std::stable_sort(runs.begin(), runs.end(), [](const EarlierRun& a, const EarlierRun& b) {
        return a.readings.front().instant < b.readings.front().instant;
    });
    return runs;
}

bool KeepAsCsv(const EarlierRun& run, const QString& folder, QString* path, QString* reason) {
    std::vector<Reading> readings;
    readings.reserve(run.readings.size());
    for (const LoggedReading& e : run.readings)
        readings.push_back(e.reading);
    const QByteArray bytes = CsvExportBytes(readings);

    const QString stem = QDir(folder).filePath(
        run.readings.front().instant.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")));
    *path = stem + QStringLiteral(".csv");
    for (int n = 2; QFileInfo::exists(*path); ++n)
        *path = stem + QStringLiteral("-%1.csv").arg(n);
    return WriteFileAtomically(*path, bytes, reason);
}

void RemoveEarlierRun(EarlierRun& run) {
    QFile::remove(run.path);
    run.lock.reset();
}
