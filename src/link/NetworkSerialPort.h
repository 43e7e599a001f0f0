#pragma once

#include "link/SerialPort.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

// The meter behind a network serial bridge ("tcp:HOST:PORT", see NetworkPort.h): the bridge sends
// the meter's bytes as they come off the line, nothing else, and the line's settings are the
// bridge's. Everything else is the port interface as DeviceSerialPort has it: the input buffer of
// kInputBufferSize bytes with overflow events, receive events once RThreshold bytes wait (raised
// from the event loop after the bytes that came together are taken), the fragment rule of the
// quiet gap, and a connection the bridge ends or loses reported as the device lost (the port
// closed, kCommEventDeviceLost raised once).
class NetworkSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit NetworkSerialPort(QObject* parent = nullptr);
    ~NetworkSerialPort() override;

    QString CommPort() const override { return m_name; }
    void SetCommPort(const QString& name) override { m_name = name; }
    bool PortOpen() const override { return m_open; }
    // Connects, waiting up to kNetworkConnectTimeout for the bridge to answer.
    bool Open(QString* error = nullptr) override;
    void Close() override;
    int RThreshold() const override { return m_threshold; }
    void SetRThreshold(int threshold) override;
    int InBufferCount() override;
    void DiscardInput() override;
    QByteArray Input() override;
    QByteArray TakeInput(int count) override;
    int CommEvent() const override { return m_event; }

    // The quiet gap in ms (kQuietGap unless set).
    void SetQuietGap(int ms) { m_quietGap = ms; }

private:
    void collect();
    void takeFromSocket();
    void connectionLost();
    void checkReceive();
    void quietTimerRanOut();
    void raise(int kind);

    QTcpSocket m_socket;
    QString m_name;
    QByteArray m_buffer;
    QTimer m_check;
    QTimer m_quiet;
    QElapsedTimer m_lastArrival;
    int m_quietGap = kQuietGap;
    int m_threshold = 0;
    int m_event = 0;
    bool m_open = false;
    bool m_arrived = false;
    bool m_overflowed = false;
    bool m_lostPending = false;
};

// Says why a network port cannot be reached, in the user's words: the socket's error for the
// port name given.
QString NetworkPortReason(const QString& name, QAbstractSocket::SocketError error,
                          const QString& systemText);

// Connects to the bridge of a network port name and disconnects again: true when it answered.
// When it did not and reason is given, says why.
bool ProbeNetworkPort(const QString& name, QString* reason = nullptr);
