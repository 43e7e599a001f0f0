#pragma once

#include "link/SerialPort.h"

#include <QElapsedTimer>
#include <QTimer>

// What a port that moves received bytes into an input buffer of its own does, whatever the bytes
// come through (a serial device, a network connection): the ports fill in the hooks below.
//
// Bytes the port hands over are moved into an input buffer of kInputBufferSize bytes; bytes that
// do not fit are lost and reported by an overflow event. Counting and reading first collect what
// the system has already received, so the count never lags behind the line. Receive events are
// raised from a zero-interval timer, after the bytes that arrived together have all been
// collected, so a frame that arrives in pieces raises one event. A device that went away closes
// the port from the event loop and raises kCommEventDeviceLost once.
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
// - m_lostPending: the device went away; the queued close runs after the port has returned from
//   the call that reported it. Nothing is collected or raised meanwhile; the bytes that came
//   before stay readable until then.
// Open and Close clear the three flags; Close also stops m_check and m_quiet.
class BufferedSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit BufferedSerialPort(QObject* parent = nullptr);

    QString CommPort() const override { return m_name; }
    void SetCommPort(const QString& name) override { m_name = name; }
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

protected:
    // Bytes received that have not reached the input buffer yet; at a gap's end they are
    // collected instead of a fragment being dropped.
    virtual qint64 systemWaiting() const = 0;
    // Makes the port hand over what the system holds; what it hands over comes to takeArrived.
    virtual void fetchFromSystem() = 0;
    // Reads every byte the port has handed over (called only while PortOpen).
    virtual QByteArray readArrived() = 0;
    // Throws away what the port and the system hold unread (called only while PortOpen).
    virtual void discardSystem() = 0;
    // Closes the device or connection; harmless when closed.
    virtual void closeDevice() = 0;

    // For Open, before the port opens: an empty buffer and no flag set.
    void resetInput();
    // Moves what the port has handed over into the input buffer: an arrival.
    void takeArrived();
    // The device went away: the port closes from the event loop and kCommEventDeviceLost is
    // raised once.
    void deviceLost();
    bool lostPending() const { return m_lostPending; }

private:
    void collect();
    void checkReceive();
    void restartQuietGap();
    void quietTimerRanOut();
    void raise(int kind);

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
