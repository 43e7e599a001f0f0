#pragma once

#include "link/BufferedSerialPort.h"

#include <QSerialPort>

// The serial port on a real device (or a pseudo-terminal), through QSerialPort; the buffer,
// events and quiet gap are BufferedSerialPort's. What the system holds unread is the count of
// the operating system's own input queue.
//
// A read or resource error on an open port means the device went away (a USB bridge unplugged):
// the port is closed at once, before the system can report the same error again, and an event
// kCommEventDeviceLost is raised.
class DeviceSerialPort : public BufferedSerialPort {
    Q_OBJECT
public:
    explicit DeviceSerialPort(QObject* parent = nullptr);
    ~DeviceSerialPort() override;

    bool PortOpen() const override { return m_port.isOpen(); }
    bool Open(QString* error = nullptr) override;

protected:
    qint64 systemWaiting() const override;
    void fetchFromSystem() override;
    QByteArray readArrived() override { return m_port.readAll(); }
    void discardSystem() override { m_port.clear(QSerialPort::Input); }
    void closeDevice() override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
};
