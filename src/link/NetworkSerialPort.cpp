#include "link/NetworkSerialPort.h"

#include "link/NetworkPort.h"

NetworkSerialPort::NetworkSerialPort(QObject* parent)
    : SerialPort(parent) {
    m_check.setSingleShot(true);
    m_check.setInterval(0);
    connect(&m_check, &QTimer::timeout, this, &NetworkSerialPort::checkReceive);
    m_quiet.setSingleShot(true);
    m_quiet.setTimerType(Qt::PreciseTimer);
    connect(&m_quiet, &QTimer::timeout, this, &NetworkSerialPort::quietTimerRanOut);
    connect(&m_socket, &QTcpSocket::readyRead, this, &NetworkSerialPort::takeFromSocket);
    connect(&m_socket, &QTcpSocket::disconnected, this, &NetworkSerialPort::connectionLost);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        if (e != QAbstractSocket::SocketTimeoutError)
            connectionLost();
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
    const std::optional<NetworkPortAddress> address = ParseNetworkPort(m_name);
    if (!address) {
        if (error)
            *error = QStringLiteral("%1 is not a network port (tcp:HOST:PORT)").arg(m_name);
        return false;
    }
    m_buffer.clear();
    m_arrived = m_overflowed = m_lostPending = false;
    m_socket.abort();
    m_socket.connectToHost(address->host, address->port, QIODevice::ReadOnly);
    if (!m_socket.waitForConnected(kNetworkConnectTimeout)) {
        if (error)
            *error = NetworkPortReason(m_name, m_socket.error(), m_socket.errorString());
        m_socket.abort();
        return false;
    }
    // A bridge that goes away without a word (its cable pulled) is noticed by the system.
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_open = true;
    return true;
}

void NetworkSerialPort::Close() {
    m_check.stop();
    m_quiet.stop();
    m_lostPending = false;
    m_open = false;
    m_socket.abort();
    m_buffer.clear();
    m_arrived = m_overflowed = false;
}

void NetworkSerialPort::SetRThreshold(int threshold) {
    m_threshold = threshold;
    if (threshold <= 0) {
        m_quiet.stop();
        return;
    }
    if (m_open) {
        m_check.start();
        m_lastArrival.start();
        if (m_quietGap > 0 && !m_quiet.isActive())
            m_quiet.start(m_quietGap);
    }
}

void NetworkSerialPort::quietTimerRanOut() {
    const qint64 since = m_lastArrival.elapsed();
    if (since < m_quietGap) {
        m_quiet.start(int(m_quietGap - since));
        return;
    }
    if (!m_open || m_lostPending || m_threshold <= 0)
        return;
    if (m_socket.bytesAvailable() > 0) {
        takeFromSocket(); // an arrival: it restarts the gap
        return;
    }
    if (!m_buffer.isEmpty() && m_buffer.size() < m_threshold) {
        m_buffer.clear();
        m_arrived = false;
    }
}

void NetworkSerialPort::collect() {
    // What the system has received but the socket has not read yet.
    if (m_open && !m_lostPending)
        m_socket.waitForReadyRead(0);
    takeFromSocket();
}

int NetworkSerialPort::InBufferCount() {
    collect();
    return int(m_buffer.size());
}

void NetworkSerialPort::DiscardInput() {
    m_buffer.clear();
    m_arrived = false;
    if (m_open)
        m_socket.readAll();
}

QByteArray NetworkSerialPort::Input() {
    collect();
    m_arrived = false;
    return std::exchange(m_buffer, QByteArray());
}

QByteArray NetworkSerialPort::TakeInput(int count) {
    collect();
    m_arrived = false;
    if (count >= m_buffer.size())
        return std::exchange(m_buffer, QByteArray());
    QByteArray taken = m_buffer.left(count);
    m_buffer.remove(0, count);
    return taken;
}

void NetworkSerialPort::takeFromSocket() {
    if (!m_open)
        return;
    const QByteArray data = m_socket.readAll();
    if (data.isEmpty())
        return;
    const qsizetype room = kInputBufferSize - m_buffer.size();
    m_buffer.append(data.left(room));
    if (data.size() > room && !m_overflowed) {
        m_overflowed = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_overflowed && m_open) {
                    m_overflowed = false;
                    raise(kCommEventOverflow);
                }
            },
            Qt::QueuedConnection);
    }
    m_arrived = true;
    if (m_threshold > 0) {
        m_check.start();
        m_lastArrival.start();
        if (m_quietGap > 0 && !m_quiet.isActive())
            m_quiet.start(m_quietGap);
    }
}

void NetworkSerialPort::checkReceive() {
    if (!m_open || m_lostPending || m_threshold <= 0 || !m_arrived)
        return;
    if (InBufferCount() < m_threshold)
        return;
    m_arrived = false;
    raise(kCommEventReceive);
}

void NetworkSerialPort::connectionLost() {
    if (!m_open || m_lostPending)
        return;
    // Bytes the bridge sent before it closed are kept for the closing; the close runs once the
    // socket has returned from the call that reported the loss.
    m_lostPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_lostPending)
                return;
            Close();
            raise(kCommEventDeviceLost);
        },
        Qt::QueuedConnection);
}

void NetworkSerialPort::raise(int kind) {
    m_event = kind;
    emit OnComm();
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
    socket.connectToHost(address->host, address->port, QIODevice::ReadOnly);
    if (socket.waitForConnected(kNetworkConnectTimeout)) {
        socket.abort();
        return true;
    }
    if (reason)
        *reason = NetworkPortReason(name, socket.error(), socket.errorString());
    return false;
}
