#include "link/NetworkSerialPort.h"

#include "link/NetworkPort.h"

namespace {

// Connects socket to the bridge at address (the port name's), waiting up to
// kNetworkConnectTimeout; when it does not answer, the socket is reset and reason says why.
bool connectToBridge(QTcpSocket& socket, const NetworkPortAddress& address, const QString& name,
                     QString* reason) {
    socket.connectToHost(address.host, address.port, QIODevice::ReadOnly);
    if (socket.waitForConnected(kNetworkConnectTimeout))
        return true;
    if (reason)
        *reason = NetworkPortReason(name, socket.error(), socket.errorString());
    socket.abort();
    return false;
}

} // namespace

NetworkSerialPort::NetworkSerialPort(QObject* parent)
    : BufferedSerialPort(parent) {
    connect(&m_socket, &QTcpSocket::readyRead, this, &NetworkSerialPort::takeArrived);
    // Bytes the bridge sent before it closed stay readable until the port closes.
    connect(&m_socket, &QTcpSocket::disconnected, this, &NetworkSerialPort::deviceLost);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        if (e != QAbstractSocket::SocketTimeoutError)
            deviceLost();
    });
}

NetworkSerialPort::~NetworkSerialPort() {
    m_socket.disconnect(this);
    m_socket.abort();
}

bool NetworkSerialPort::Open(QString* error) {
    if (m_open) {
        if (error)
            *error = QStringLiteral("the port is already open");
        return false;
    }
    const std::optional<NetworkPortAddress> address = ParseNetworkPort(CommPort());
    if (!address) {
        if (error)
            *error = QStringLiteral("%1 is not a network port (tcp:HOST:PORT)").arg(CommPort());
        return false;
    }
    resetInput();
    m_socket.abort();
    if (!connectToBridge(m_socket, *address, CommPort(), error))
        return false;
    // A bridge that goes away without a word (its cable pulled) is noticed by the system.
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_open = true;
    return true;
}

void NetworkSerialPort::closeDevice() {
    m_open = false;
    m_socket.abort();
}

void NetworkSerialPort::fetchFromSystem() {
    // What the system has received but the socket has not read yet.
    if (m_open && !lostPending())
        m_socket.waitForReadyRead(0);
}

QString NetworkPortReason(const QString& name, QAbstractSocket::SocketError error,
                          const QString& systemText) {
    const std::optional<NetworkPortAddress> address = ParseNetworkPort(name);
    if (!address)
        return QStringLiteral("%1 is not a network port. Write it as tcp:HOST:PORT, for example "
                              "tcp:192.168.1.20:4001.")
            .arg(name);
    const QString where = QStringLiteral("%1 port %2").arg(address->host).arg(address->port);
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("There is no computer %1 on the network. Check the bridge's name or "
                              "address.")
            .arg(address->host);
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("Nothing answers on %1: the network serial bridge is not running "
                              "there, or it listens on another port. Start the bridge, then try "
                              "again.")
            .arg(where);
    case QAbstractSocket::SocketTimeoutError:
    case QAbstractSocket::NetworkError:
        return QStringLiteral("%1 cannot be reached: check that the bridge is switched on and "
                              "on the same network, then try again.")
            .arg(where);
    default:
        return QStringLiteral("%1 cannot be reached: %2.").arg(where, systemText);
    }
}

bool ProbeNetworkPort(const QString& name, QString* reason) {
    const std::optional<NetworkPortAddress> address = ParseNetworkPort(name);
    if (!address) {
        if (reason)
            *reason = NetworkPortReason(name, QAbstractSocket::UnknownSocketError, {});
        return false;
    }
    QTcpSocket socket;
    if (!connectToBridge(socket, *address, name, reason))
        return false;
    socket.abort();
    return true;
}
