#pragma once

#include "recovery/RecoveryLogFormat.h"

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// Where the recovery logs live: $XDG_STATE_HOME/vantello, by default ~/.local/state/vantello.
QString DefaultRecoveryFolder();

// The recovery log of a run that did not end normally: no running program holds its lock.
struct EarlierRun {
    QString path;
    std::unique_ptr<QLockFile> lock;     // held by this program while it deals with the log
    RecoveryLogScan scan;                // all of the log
    std::vector<LoggedReading> readings; // its first intact entries, as many as the table holds
    std::vector<RunEvent> events;        // its alarms and notes (the first kKeptEvents)
};

// The logs in folder that hold readings and whose programs are no longer running, oldest first
// (by their first reading). Logs of ended programs that hold no reading are removed on the way,
// with their locks; logs of running programs are left alone. What was refused or set aside on
// the way (a symbolic link, a log that cannot be read, a folder of another user) is added to
// *notices, one message each; a log that cannot be read is renamed, never deleted.
std::vector<EarlierRun> FindEarlierRuns(const QString& folder, QStringList* notices);

// Writes run's intact readings from the from-th on (0 the first) as a CSV file in the export's
// format into folder, named after the first of them's date and time (2026-12-09_18-40-07.csv;
// -2, -3 ... added when that name is taken, by a file or a link). Read again from the log, piece
// by piece. The run's events from the first of those readings on go into a file beside it, named
// as the CSV with ".events.csv" added (EventsCsvRow). *path is the file's path; false with the
// reason (and *path the file that failed) when either could not be written: the log stays.
bool KeepAsCsv(const EarlierRun& run, qint64 from, const QString& folder, QString* path,
               QString* reason);

// Deletes the run's log and releases its lock.
void RemoveEarlierRun(EarlierRun& run);
