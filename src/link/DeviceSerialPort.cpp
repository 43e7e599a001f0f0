#include "link/DeviceSerialPort.h"

#ifdef Q_OS_UNIX
#include "link/LinuxPortPlatform.h"

#include <sys/ioctl.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

DeviceSerialPort::DeviceSerialPort(QObject* parent)
    : SerialPort(parent) {
    m_check.setSingleShot(true);
    m_check.setInterval(0);
    connect(&m_check, &QTimer::timeout, this, &DeviceSerialPort::checkReceive);
    m_quiet.setSingleShot(true);
    m_quiet.setTimerType(Qt::PreciseTimer); // a coarse timer may end the gap early
    connect(&m_quiet, &QTimer::timeout, this, &DeviceSerialPort::quietTimerRanOut);
    connect(&m_port, &QSerialPort::readyRead, this, &DeviceSerialPort::takeFromPort);
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
    m_port.setPortName(m_name);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_buffer.clear();
    m_arrived = m_overflowed = m_lostPending = false;
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

void DeviceSerialPort::Close() {
    m_check.stop();
    m_quiet.stop();
    m_lostPending = false;
    if (m_port.isOpen())
        m_port.close();
    m_buffer.clear();
    m_arrived = m_overflowed = false;
}

void DeviceSerialPort::SetRThreshold(int threshold) {
    m_threshold = threshold;
    if (threshold <= 0) {
        m_quiet.stop();
        return;
    }
    if (m_port.isOpen()) {
        m_check.start();
        restartQuietGap();
    }
}

void DeviceSerialPort::SetQuietGap(int ms) {
    m_quietGap = ms;
    m_quiet.stop();
    if (ms > 0 && m_threshold > 0 && m_port.isOpen())
        restartQuietGap();
}

void DeviceSerialPort::restartQuietGap() {
    m_lastArrival.start();
    // A running timer is not restarted for every arrival: when it runs out it waits for the rest
    // of the gap after the last one.
    if (m_quietGap > 0 && !m_quiet.isActive())
        m_quiet.start(m_quietGap);
}

void DeviceSerialPort::quietTimerRanOut() {
    const qint64 since = m_lastArrival.elapsed();
    if (since < m_quietGap) {
        m_quiet.start(static_cast<int>(m_quietGap - since));
        return;
    }
    QuietGapEnded();
}

void DeviceSerialPort::QuietGapEnded() {
    if (!m_port.isOpen() || m_lostPending || m_threshold <= 0)
        return;
    if (systemWaiting() > 0) {
        collect(); // an arrival: it restarts the gap
        return;
    }
    if (!m_buffer.isEmpty() && m_buffer.size() < m_threshold) {
        m_buffer.clear();
        m_arrived = false;
    }
}

int DeviceSerialPort::InBufferCount() {
    collect();
    return static_cast<int>(m_buffer.size());
}

void DeviceSerialPort::DiscardInput() {
    m_buffer.clear();
    m_arrived = false;
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input); // also what the system holds
}

QByteArray DeviceSerialPort::Input() {
    collect();
    m_arrived = false;
    return std::exchange(m_buffer, QByteArray());
}

QByteArray DeviceSerialPort::TakeInput(int count) {
    collect();
    m_arrived = false;
    if (count >= m_buffer.size())
        return std::exchange(m_buffer, QByteArray());
    QByteArray taken = m_buffer.left(count);
    m_buffer.remove(0, count);
    return taken;
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

void DeviceSerialPort::collect() {
    // Each wait hands over what the system holds, in chunks; a bound keeps a flooding line from
    // holding the caller.
    for (int chunk = 0; chunk < 16 && !m_lostPending && systemWaiting() > 0; ++chunk) {
        if (!m_port.waitForReadyRead(0))
            break;
    }
    takeFromPort();
}

void DeviceSerialPort::takeFromPort() {
    if (!m_port.isOpen())
        return;
    const QByteArray data = m_port.readAll();
    if (data.isEmpty())
        return;
    const qsizetype room = kInputBufferSize - m_buffer.size();
    m_buffer.append(data.left(room));
    if (data.size() > room && !m_overflowed) {
        m_overflowed = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_overflowed && m_port.isOpen()) {
                    m_overflowed = false;
                    raise(kCommEventOverflow);
                }
            },
            Qt::QueuedConnection);
    }
    m_arrived = true;
    if (m_threshold > 0) {
        m_check.start();
        restartQuietGap();
    }
}

void DeviceSerialPort::checkReceive() {
    if (!m_port.isOpen() || m_lostPending || m_threshold <= 0 || !m_arrived)
        return;
    if (InBufferCount() < m_threshold)
        return;
    m_arrived = false;
    raise(kCommEventReceive);
}

void DeviceSerialPort::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::TimeoutError) {
        // A wait that found nothing more to read.
        m_port.clearError();
        return;
    }
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (!m_port.isOpen() || m_lostPending)
        return;
    // QSerialPort is still inside its read when it reports; close once it has returned.
    m_lostPending = true;
    QMetaObject::invokeMethod(this, &DeviceSerialPort::deviceLost, Qt::QueuedConnection);
}

void DeviceSerialPort::deviceLost() {
    if (!m_lostPending)
        return;
    Close();
    raise(kCommEventDeviceLost);
}

void DeviceSerialPort::raise(int kind) {
    m_event = kind;
    emit OnComm();
}
