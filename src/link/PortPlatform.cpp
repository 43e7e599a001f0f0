#include "link/PortPlatform.h"

void PortPlatform::GivePort(const QString& port, GivenRole role) {
    m_given = port;
    m_givenRole = role;
}

QStringList PortPlatform::ListPorts() {
    QStringList list = SystemPorts();
    if (!m_given.isEmpty()) {
        list.removeAll(m_given);
        list.prepend(m_given);
    }
    return list;
}

QString PortPlatform::StartText() {
    return m_given.isEmpty() ? SystemStartText() : m_given;
}

std::optional<QString> PortPlatform::FindBridge() {
    if (m_given.isEmpty())
        return SystemBridge();
    if (m_givenRole == GivenRole::Bridge)
        return m_given;
    return std::nullopt;
}
