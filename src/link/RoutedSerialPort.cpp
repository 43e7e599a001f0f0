#include "link/RoutedSerialPort.h"

#include "link/NetworkPort.h"

RoutedSerialPort::RoutedSerialPort(SerialPort& device, SerialPort& network, QObject* parent)
    : SerialPort(parent)
    , m_device(device)
    , m_network(network)
    , m_active(&device) {
    for (SerialPort* port : {&m_device, &m_network})
        connect(port, &SerialPort::OnComm, this, [this, port] {
            if (port == m_active)
                emit OnComm();
        });
}

void RoutedSerialPort::SetCommPort(const QString& name) {
    m_name = name;
    SerialPort* next = IsNetworkPortName(name) ? &m_network : &m_device;
    if (next != m_active) {
        // Both ports hold the link's threshold (SetRThreshold sets it on both).
        m_active->Close();
        m_active = next;
    }
    m_active->SetCommPort(name);
}

bool RoutedSerialPort::Open(QString* error) {
    return m_active->Open(error);
}

void RoutedSerialPort::SetRThreshold(int threshold) {
    m_device.SetRThreshold(threshold);
    m_network.SetRThreshold(threshold);
}
