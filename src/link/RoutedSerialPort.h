#pragma once

#include "link/SerialPort.h"

// The port the programs use: a serial device, or a network serial bridge when the port's name is
// "tcp:HOST:PORT". The name set last picks which one opens; events come from whichever is open.
class RoutedSerialPort : public SerialPort {
    Q_OBJECT
public:
    RoutedSerialPort(SerialPort& device, SerialPort& network, QObject* parent = nullptr);

    QString CommPort() const override { return m_name; }
    void SetCommPort(const QString& name) override;
    bool PortOpen() const override { return m_active->PortOpen(); }
    bool Open(QString* error = nullptr) override;
    void Close() override { m_active->Close(); }
    int RThreshold() const override { return m_active->RThreshold(); }
    void SetRThreshold(int threshold) override;
    int InBufferCount() override { return m_active->InBufferCount(); }
    void DiscardInput() override { m_active->DiscardInput(); }
    QByteArray Input() override { return m_active->Input(); }
    QByteArray TakeInput(int count) override { return m_active->TakeInput(count); }
    int CommEvent() const override { return m_active->CommEvent(); }

private:
    SerialPort& m_device;
    SerialPort& m_network;
    SerialPort* m_active;
    QString m_name;
};
