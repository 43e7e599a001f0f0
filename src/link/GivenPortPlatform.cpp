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
