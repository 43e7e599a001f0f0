#include "link/NetworkPortPlatform.h"

#include "link/NetworkPort.h"
#include "link/NetworkSerialPort.h"

#include <QTcpSocket>

NetworkPortPlatform::NetworkPortPlatform(std::unique_ptr<PortPlatform> system)
    : m_system(std::move(system)) {}

NetworkPortPlatform::~NetworkPortPlatform() = default;

std::optional<QString> NetworkPortPlatform::ResolvePort(const QString& text) {
    if (IsNetworkPortName(text)) {
        if (!ParseNetworkPort(text))
            return std::nullopt;
        return text;
    }
    return m_system->ResolvePort(text);
}

bool NetworkPortPlatform::Probe(const QString& device, QString* reason) {
    if (IsNetworkPortName(device))
        return ProbeNetworkPort(device, reason);
    return m_system->Probe(device, reason);
}

QString NetworkPortPlatform::LastingName(const QString& device) {
    return IsNetworkPortName(device) ? device : m_system->LastingName(device);
}

QString NetworkPortPlatform::NameStamp(const QString& lastingName) {
    return IsNetworkPortName(lastingName) ? QString() : m_system->NameStamp(lastingName);
}

std::optional<QString> NetworkPortPlatform::FindAgain(const QString& lastingName,
                                                      const QString& stampWhenLost) {
    if (!IsNetworkPortName(lastingName))
        return m_system->FindAgain(lastingName, stampWhenLost);
    const std::optional<NetworkPortAddress> address = ParseNetworkPort(lastingName);
    if (!address)
        return std::nullopt;
    if (m_look && m_lookingFor == lastingName) {
        const QAbstractSocket::SocketState state = m_look->state();
        if (state == QAbstractSocket::ConnectedState) {
            m_look.reset(); // the probe and the opening connect for themselves
            return lastingName;
        }
        if (state == QAbstractSocket::HostLookupState || state == QAbstractSocket::ConnectingState)
            return std::nullopt; // still trying
    }
    m_look = std::make_unique<QTcpSocket>();
    m_lookingFor = lastingName;
    m_look->connectToHost(address->host, address->port, QIODevice::ReadOnly);
    return std::nullopt;
}

QStringList NetworkPortPlatform::WatchFolders(const QString& lastingName) {
    return IsNetworkPortName(lastingName) ? QStringList() : m_system->WatchFolders(lastingName);
}
