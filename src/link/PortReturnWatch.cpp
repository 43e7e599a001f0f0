#include "link/PortReturnWatch.h"

#include "link/PortPlatform.h"

#include <QFileInfo>

PortReturnWatch::PortReturnWatch(PortPlatform& platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform) {
    m_poll.setInterval(kPollInterval);
    connect(&m_poll, &QTimer::timeout, this, &PortReturnWatch::look);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleTime);
    connect(&m_settle, &QTimer::timeout, this, &PortReturnWatch::look);
    // A burst of changes is not allowed to push the look further out: the timer is started by
    // the first change only.
    connect(&m_folders, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (IsActive() && !m_settle.isActive())
            m_settle.start();
    });
}

void PortReturnWatch::Start(const QString& lastingName) {
    Stop();
    m_name = lastingName;
    m_stamp = m_platform.NameStamp(lastingName);
    m_poll.start();
    m_settle.start(0);
}

void PortReturnWatch::Stop() {
    m_name.clear();
    m_poll.stop();
    m_settle.stop();
    const QStringList watched = m_folders.directories();
    if (!watched.isEmpty())
        m_folders.removePaths(watched);
}

void PortReturnWatch::look() {
    if (!IsActive())
        return;
    // Folders first: a name that appears between the look and a late watch would be missed.
    watchFolders();
    const std::optional<QString> device = m_platform.FindAgain(m_name, m_stamp);
    if (device && m_platform.Probe(*device))
        emit Back(*device);
}

void PortReturnWatch::watchFolders() {
    const QStringList watched = m_folders.directories();
    QStringList add;
    for (const QString& folder : m_platform.WatchFolders(m_name)) {
        if (!watched.contains(folder) && QFileInfo(folder).isDir())
            add << folder;
    }
    if (!add.isEmpty())
        m_folders.addPaths(add);
}
