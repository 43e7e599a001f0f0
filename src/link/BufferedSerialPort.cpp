#include "link/BufferedSerialPort.h"

BufferedSerialPort::BufferedSerialPort(QObject* parent)
    : SerialPort(parent) {
    m_check.setSingleShot(true);
    m_check.setInterval(0);
    connect(&m_check, &QTimer::timeout, this, &BufferedSerialPort::checkReceive);
    m_quiet.setSingleShot(true);
    m_quiet.setTimerType(Qt::PreciseTimer); // a coarse timer may end the gap early
    connect(&m_quiet, &QTimer::timeout, this, &BufferedSerialPort::quietTimerRanOut);
}

void BufferedSerialPort::resetInput() {
    m_buffer.clear();
    m_arrived = m_overflowed = m_lostPending = false;
}

void BufferedSerialPort::Close() {
    m_check.stop();
    m_quiet.stop();
    m_lostPending = false;
    closeDevice();
    m_buffer.clear();
    m_arrived = m_overflowed = false;
}

void BufferedSerialPort::SetRThreshold(int threshold) {
    m_threshold = threshold;
    if (threshold <= 0) {
        m_quiet.stop();
        return;
    }
    if (PortOpen()) {
        m_check.start();
        restartQuietGap();
    }
}

void BufferedSerialPort::SetQuietGap(int ms) {
    m_quietGap = ms;
    m_quiet.stop();
    if (ms > 0 && m_threshold > 0 && PortOpen())
        restartQuietGap();
}

void BufferedSerialPort::restartQuietGap() {
    m_lastArrival.start();
    // A running timer is not restarted for every arrival: when it runs out it waits for the rest
    // of the gap after the last one.
    if (m_quietGap > 0 && !m_quiet.isActive())
        m_quiet.start(m_quietGap);
}

void BufferedSerialPort::quietTimerRanOut() {
    const qint64 since = m_lastArrival.elapsed();
    if (since < m_quietGap) {
        m_quiet.start(static_cast<int>(m_quietGap - since));
        return;
    }
    QuietGapEnded();
}

void BufferedSerialPort::QuietGapEnded() {
    if (!PortOpen() || m_lostPending || m_threshold <= 0)
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

int BufferedSerialPort::InBufferCount() {
    collect();
    return static_cast<int>(m_buffer.size());
}

void BufferedSerialPort::DiscardInput() {
    m_buffer.clear();
    m_arrived = false;
    if (PortOpen())
        discardSystem();
}

QByteArray BufferedSerialPort::Input() {
    collect();
    m_arrived = false;
    return std::exchange(m_buffer, QByteArray());
}

QByteArray BufferedSerialPort::TakeInput(int count) {
    collect();
    m_arrived = false;
    if (count >= m_buffer.size())
        return std::exchange(m_buffer, QByteArray());
    QByteArray taken = m_buffer.left(count);
    m_buffer.remove(0, count);
    return taken;
}

void BufferedSerialPort::collect() {
    fetchFromSystem();
    takeArrived();
}

void BufferedSerialPort::takeArrived() {
    if (!PortOpen())
        return;
    const QByteArray data = readArrived();
    if (data.isEmpty())
        return;
    const qsizetype room = kInputBufferSize - m_buffer.size();
    m_buffer.append(data.left(room));
    if (data.size() > room && !m_overflowed) {
        m_overflowed = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_overflowed && PortOpen()) {
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

void BufferedSerialPort::checkReceive() {
    if (!PortOpen() || m_lostPending || m_threshold <= 0 || !m_arrived)
        return;
    if (InBufferCount() < m_threshold)
        return;
    m_arrived = false;
    raise(kCommEventReceive);
}

void BufferedSerialPort::deviceLost() {
    if (!PortOpen() || m_lostPending)
        return;
    // The port is still inside the call that reported the loss; close once it has returned.
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

void BufferedSerialPort::raise(int kind) {
    m_event = kind;
    emit OnComm();
}
