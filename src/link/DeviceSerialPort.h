#pragma once

#include "link/SerialPort.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTimer>

// The serial port on a real device (or a pseudo-terminal), through QSerialPort.
//
// Bytes QSerialPort hands over are moved into an input buffer of kInputBufferSize bytes; bytes
// that do not fit are lost and reported by an overflow event. Counting and reading first collect
// what the operating system has already received, so the count never lags behind the line.
// Receive events are raised from a zero-interval timer, after the bytes that arrived together
// have all been collected, so a frame that arrives in pieces raises one event.
//
// A read or resource error on an open port means the device went away (a USB bridge unplugged):
// the port is closed at once, before the system can report the same error again, and an event
// kCommEventDeviceLost is raised.
//
// State while the port is open:
// - m_arrived: bytes came in since the last receive event. A receive event needs it, so an event
//   is raised once per arrival, not again for the same waiting bytes. Reading or discarding
//   clears it.
// - m_check (zero-interval, single shot): runs once the bytes that arrived together have been
//   collected and raises the receive event when at least RThreshold bytes wait.
// - m_quiet (single shot, the quiet gap) and m_lastArrival: every arrival while RThreshold is
//   above 0 notes its time and starts the timer unless it runs; a timer that runs out before the
//   gap after the last arrival is over waits for the rest. At the gap's end, when the system
//   holds nothing new, fewer than RThreshold waiting bytes are a fragment and go. An arrival's
//   time is when the bytes were seen, never before they came, so a busy event loop can only make
//   a gap look shorter than it was: a fragment may then be kept, but bytes that arrive without a
//   pause are never thrown away.
// - m_overflowed: bytes were lost for want of room; one overflow event is queued and clears it.
// - m_lostPending: the device went away; the queued close runs after QSerialPort has returned
//   from the read that reported it. Nothing is collected or raised meanwhile.
// Open and Close clear the three flags; Close also stops m_check and m_quiet.
class DeviceSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit DeviceSerialPort(QObject* parent = nullptr);
    ~DeviceSerialPort() override;

    QString CommPort() const override { return m_name; }
    void SetCommPort(const QString& name) override { m_name = name; }
    bool PortOpen() const override { return m_port.isOpen(); }
    bool Open(QString* error = nullptr) override;
    void Close() override;
    int RThreshold() const override { return m_threshold; }
    void SetRThreshold(int threshold) override;
    int InBufferCount() override;
    void DiscardInput() override;
    QByteArray Input() override;
    QByteArray TakeInput(int count) override;
    int CommEvent() const override { return m_event; }

    // The quiet gap in ms (kQuietGap unless set). 0 leaves the gap's end to QuietGapEnded, for
    // tests that pace the line themselves.
    void SetQuietGap(int ms);
    // The end of a quiet gap: a fragment (fewer than RThreshold bytes waiting, none new in the
    // system) is thrown away. Bytes the system received meanwhile are collected instead, and the
    // gap starts again from them.
    void QuietGapEnded();

private:
    void collect();
    void takeFromPort();
    qint64 systemWaiting() const;
    void onError(QSerialPort::SerialPortError error);
    void deviceLost();
    void checkReceive();
    void restartQuietGap();
    void quietTimerRanOut();
    void raise(int kind);

    QSerialPort m_port;
    QString m_name;
    QByteArray m_buffer;
    QTimer m_check;
    QTimer m_quiet;
    QElapsedTimer m_lastArrival;
    int m_quietGap = kQuietGap;
    int m_threshold = 0;
    int m_event = 0;
    bool m_arrived = false;     // bytes arrived since the last receive event
    bool m_overflowed = false;  // bytes were lost since the last overflow event
    bool m_lostPending = false; // the device went away; the port closes from the event loop
};
