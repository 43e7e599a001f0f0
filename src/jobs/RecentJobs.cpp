#include "jobs/RecentJobs.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString kRecent = QStringLiteral("jobs/recent");
const QString kOpen = QStringLiteral("jobs/open");

QString absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

QStringList LoadRecentJobs(const QSettings& settings) {
    QStringList out;
    for (const QString& p : settings.value(kRecent).toStringList())
        if (!p.isEmpty() && !out.contains(p) && out.size() < kRecentJobs)
            out << p;
    return out;
}

void RememberJob(QSettings& settings, const QString& path) {
    QStringList list = LoadRecentJobs(settings);
    list.removeAll(absolute(path));
    list.prepend(absolute(path));
    settings.setValue(kRecent, list.mid(0, kRecentJobs));
}

void ForgetJob(QSettings& settings, const QString& path) {
    QStringList list = LoadRecentJobs(settings);
    list.removeAll(absolute(path));
    settings.setValue(kRecent, list);
}

QString LoadOpenJob(const QSettings& settings) {
    return settings.value(kOpen).toString();
}

void SaveOpenJob(QSettings& settings, const QString& path) {
    settings.setValue(kOpen, path.isEmpty() ? QString() : absolute(path));
}
