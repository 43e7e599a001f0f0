#include "link/DeviceSerialPort.h"

#ifdef Q_OS_UNIX
#include "link/LinuxPortPlatform.h"

#include <sys/ioctl.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

DeviceSerialPort::DeviceSerialPort(QObject* parent)
    : BufferedSerialPort(parent) {
    connect(&m_port, &QSerialPort::readyRead, this, &DeviceSerialPort::takeArrived);
    connect(&m_port, &QSerialPort::errorOccurred, this, &DeviceSerialPort::onError);
}

DeviceSerialPort::~DeviceSerialPort() {
    m_port.disconnect(this);
    m_port.close();
}

bool DeviceSerialPort::Open(QString* error) {
    if (m_port.isOpen()) {
        if (error)
            *error = QStringLiteral("the port is already open");
        return false;
    }
    m_port.setPortName(CommPort());
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    resetInput();
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (error)
            *error = m_port.errorString();
        m_port.clearError();
        return false;
    }
#ifdef Q_OS_UNIX
    if (!LockSerialDevice(static_cast<int>(m_port.handle()))) {
        m_port.close();
        if (error)
            *error = QStringLiteral("the port is in use");
        return false;
    }
#endif
    return true;
}

void DeviceSerialPort::closeDevice() {
    if (m_port.isOpen())
        m_port.close();
}

qint64 DeviceSerialPort::systemWaiting() const {
    if (!m_port.isOpen())
        return 0;
#if defined(Q_OS_UNIX)
    int waiting = 0;
    if (::ioctl(static_cast<int>(m_port.handle()), FIONREAD, &waiting) != 0)
        return 0;
    return waiting;
#elif defined(Q_OS_WIN)
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(m_port.handle(), &errors, &status))
        return 0;
    return status.cbInQue;
#else
    return 0;
#endif
}

void DeviceSerialPort::fetchFromSystem() {
    // Each wait hands over what the system holds, in chunks; a bound keeps a flooding line from
    // holding the caller.
    for (int chunk = 0; chunk < 16 && !lostPending() && systemWaiting() > 0; ++chunk) {
        if (!m_port.waitForReadyRead(0))
            break;
    }
}

void DeviceSerialPort::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::TimeoutError) {
        // A wait that found nothing more to read.
        m_port.clearError();
        return;
    }
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError)
        deviceLost(); // QSerialPort is still inside its read when it reports
}
