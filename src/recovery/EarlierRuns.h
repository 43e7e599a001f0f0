#pragma once

#include "recovery/RecoveryLogFormat.h"

#include <QLockFile>
#include <QString>

#include <memory>
#include <vector>

// Where the recovery logs live: $XDG_STATE_HOME/vantello, by default ~/.local/state/vantello;
// %LOCALAPPDATA%\Vantello on Windows.
QString DefaultRecoveryFolder();

// The recovery log of a run that did not end normally: no running program holds its lock.
struct EarlierRun {
    QString path;
    std::unique_ptr<QLockFile> lock; // held by this program while it deals with the log
    std::vector<LoggedReading> readings;
    qint64 intactSize = 0; // where its last complete entry ends
};

// The logs in folder that hold readings and whose programs are no longer running, oldest first
// (by their first reading). Logs of ended programs that hold no reading are removed on the way,
// with their locks; logs of running programs and files that are no recovery logs are left alone.
std::vector<EarlierRun> FindEarlierRuns(const QString& folder);

// Writes run's readings as a CSV file in the export's format into folder, named after the first
// reading's date and time (2026-12-09_18-40-07.csv; -2, -3 ... added when that name is taken).
// *path is the file's path; false with the reason when it could not be written.
bool KeepAsCsv(const EarlierRun& run, const QString& folder, QString* path, QString* reason);

// Deletes the run's log and releases its lock.
void RemoveEarlierRun(EarlierRun& run);
