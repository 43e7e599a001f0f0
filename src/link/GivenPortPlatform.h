#pragma once

#include "link/PortPlatform.h"

#include <memory>

// The system's port handling with one port given from outside: the simulated meter's line of
// --demo, or the port named by --port. The given port heads the list and is the port box's start
// text. As the bridge it is also what AutoConnect opens; as the start text alone nothing is opened
// at start-up until CONNECT runs with it. Resolving, probing and finding a device again are the
// system's.
class GivenPortPlatform : public PortPlatform {
public:
    enum class Role { Bridge, StartText };

    GivenPortPlatform(std::unique_ptr<PortPlatform> system, QString port, Role role);

    QStringList ListPorts() override;
    QString StartText() override { return m_port; }
    std::optional<QString> ResolvePort(const QString& text) override;
    bool Probe(const QString& device, QString* reason = nullptr) override;
    std::optional<QString> FindBridge() override;
    QString LastingName(const QString& device) override;
    QString NameStamp(const QString& lastingName) override;
    std::optional<QString> FindAgain(const QString& lastingName,
                                     const QString& stampWhenLost) override;
    QStringList WatchFolders(const QString& lastingName) override;

private:
    std::unique_ptr<PortPlatform> m_system;
    QString m_port;
    Role m_role;
};
