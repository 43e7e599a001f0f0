#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

class PortPlatform;

// Watches for a device that went away to come back, at no cost while nothing changes: it looks
// when one of the platform's folders changes (an inotify watch on Linux, through
// QFileSystemWatcher) and, for what no folder shows (a device that is there but busy, a folder that
// did not exist yet, a platform without folders), once every kPollInterval.
//
// Looking asks the platform where the lasting name leads now (PortPlatform::FindAgain) and probes
// that device; Back reports a device that passed. Nothing is shown to the user.
class PortReturnWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollInterval = 1000; // ms
    // Changes of the watched folders come in bursts (a node, then its rights, then its links):
    // one look after the first change of a burst.
    static constexpr int kSettleTime = 100; // ms

    explicit PortReturnWatch(PortPlatform& platform, QObject* parent = nullptr);

    // Starts watching for lastingName (from PortPlatform::LastingName), as it is now
    // (PortPlatform::NameStamp); looks for it once the event loop runs.
    void Start(const QString& lastingName);
    void Stop();
    bool IsActive() const { return m_poll.isActive(); }
    QString LastingName() const { return m_name; }

signals:
    // The device to open. Raised at every look that finds it while the watch is active, so a
    // device that cannot be opened yet is tried again.
    void Back(const QString& device);

private:
    // Back when the device is there and passes the probe.
    void look();
    void watchFolders();

    PortPlatform& m_platform;
    QString m_name;
    QString m_stamp; // the name's stamp when the watch started
    QFileSystemWatcher m_folders;
    QTimer m_poll;
    QTimer m_settle;
};
