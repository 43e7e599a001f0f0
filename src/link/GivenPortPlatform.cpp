#include "link/GivenPortPlatform.h"

GivenPortPlatform::GivenPortPlatform(std::unique_ptr<PortPlatform> system, QString port, Role role)
    : m_system(std::move(system))
    , m_port(std::move(port))
    , m_role(role) {}

QStringList GivenPortPlatform::ListPorts() {
    QStringList list = m_system->ListPorts();
    list.removeAll(m_port);
    list.prepend(m_port);
    return list;
}

std::optional<QString> GivenPortPlatform::ResolvePort(const QString& text) {
    return m_system->ResolvePort(text);
}

bool GivenPortPlatform::Probe(const QString& device, QString* reason) {
    return m_system->Probe(device, reason);
}

std::optional<QString> GivenPortPlatform::FindBridge() {
    if (m_role == Role::Bridge)
        return m_port;
    return std::nullopt;
}

QString GivenPortPlatform::LastingName(const QString& device) {
    return m_system->LastingName(device);
}

QString GivenPortPlatform::NameStamp(const QString& lastingName) {
    return m_system->NameStamp(lastingName);
}

std::optional<QString> GivenPortPlatform::FindAgain(const QString& lastingName,
                                                    const QString& stampWhenLost) {
    return m_system->FindAgain(lastingName, stampWhenLost);
}

QStringList GivenPortPlatform::WatchFolders(const QString& lastingName) {
    return m_system->WatchFolders(lastingName);
}
