#pragma once

#include <QStringList>

class QSettings;

// The jobs opened last, newest first, at most kRecentJobs, kept in the settings under "jobs/".
inline constexpr int kRecentJobs = 5;
QStringList LoadRecentJobs(const QSettings& settings);
// Puts the job first (once, compared as absolute paths).
void RememberJob(QSettings& settings, const QString& path);
void ForgetJob(QSettings& settings, const QString& path);
// The job that was open when the program last ended (empty: none), offered again at the next
// start.
QString LoadOpenJob(const QSettings& settings);
void SaveOpenJob(QSettings& settings, const QString& path);
