#pragma once

#include "link/BufferedSerialPort.h"

#include <QTcpSocket>

// The meter behind a network serial bridge ("tcp:HOST:PORT", see NetworkPort.h): the bridge sends
// the meter's bytes as they come off the line, nothing else, and the line's settings are the
// bridge's. The buffer, events and quiet gap are BufferedSerialPort's; what the system holds
// unread is what the socket has read and not handed over. A connection the bridge ends or loses
// is the device lost (the port closed, kCommEventDeviceLost raised once).
class NetworkSerialPort : public BufferedSerialPort {
    Q_OBJECT
public:
    explicit NetworkSerialPort(QObject* parent = nullptr);
    ~NetworkSerialPort() override;

    bool PortOpen() const override { return m_open; }
    // Connects, waiting up to kNetworkConnectTimeout for the bridge to answer.
    bool Open(QString* error = nullptr) override;

protected:
    qint64 systemWaiting() const override { return m_socket.bytesAvailable(); }
    void fetchFromSystem() override;
    QByteArray readArrived() override { return m_socket.readAll(); }
    void discardSystem() override { m_socket.readAll(); }
    void closeDevice() override;

private:
    QTcpSocket m_socket;
    bool m_open = false;
};

// Says why a network port cannot be reached, in the user's words: the socket's error for the
// port name given.
QString NetworkPortReason(const QString& name, QAbstractSocket::SocketError error,
                          const QString& systemText);

// Connects to the bridge of a network port name and disconnects again: true when it answered.
// When it did not and reason is given, says why.
bool ProbeNetworkPort(const QString& name, QString* reason = nullptr);
