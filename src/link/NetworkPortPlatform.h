#pragma once

#include "link/PortPlatform.h"

#include <memory>

class QTcpSocket;

// The system's port handling, plus ports behind a network serial bridge ("tcp:HOST:PORT"): such a
// name resolves to itself and is probed by connecting to the bridge (with the reason when nothing
// answers; CONNECT waits up to kNetworkConnectTimeout for that). After a lost connection the
// bridge is looked for without waiting: each look starts a connection attempt in the background
// and reports the bridge back once an attempt has connected. Every other name, the list and the
// bridge lookup are the system's.
class NetworkPortPlatform : public PortPlatform {
public:
    explicit NetworkPortPlatform(std::unique_ptr<PortPlatform> system);
    ~NetworkPortPlatform() override;

    std::optional<QString> ResolvePort(const QString& text) override;
    bool Probe(const QString& device, QString* reason = nullptr) override;
    QString LastingName(const QString& device) override;
    QString NameStamp(const QString& lastingName) override;
    std::optional<QString> FindAgain(const QString& lastingName,
                                     const QString& stampWhenLost) override;
    QStringList WatchFolders(const QString& lastingName) override;

protected:
    QStringList SystemPorts() override { return m_system->ListPorts(); }
    QString SystemStartText() override { return m_system->StartText(); }
    std::optional<QString> SystemBridge() override { return m_system->FindBridge(); }

private:
    std::unique_ptr<PortPlatform> m_system;
    std::unique_ptr<QTcpSocket> m_look; // the background attempt of FindAgain
    QString m_lookingFor;
};
