#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Kinds of port event, read through SerialPort::CommEvent() inside OnComm.
inline constexpr int kCommEventReceive = 2;      // at least RThreshold bytes are waiting
inline constexpr int kCommEventOverflow = 100;   // the input buffer was full; new bytes were lost
inline constexpr int kCommEventDeviceLost = 101; // the device went away; the port is now closed

inline constexpr int kInputBufferSize = 1024;

// A frame's bytes arrive within a few milliseconds of each other and the meter pauses between
// frames: bytes that have waited this long (ms) with nothing more arriving, fewer than RThreshold
// of them, are what is left of a frame cut short, not the start of the next one.
inline constexpr int kQuietGap = 50;

// A receive-only serial port with a fixed line of 9600 baud, 8 data bits, no parity, 1 stop bit,
// no flow control, in binary mode, with an input buffer of 1024 bytes.
//
// Received bytes wait in the input buffer until they are read (Input) or discarded
// (DiscardInput). While RThreshold is above 0, OnComm is raised with the kind kCommEventReceive
// once at least RThreshold bytes are waiting; it is raised again only after more bytes have
// arrived. Events are delivered from the event loop, never from inside a call on the port, so a
// handler may read, discard and change the threshold freely.
//
// While RThreshold is above 0, waiting bytes fewer than RThreshold that have seen no further byte
// arrive for kQuietGap ms are a fragment and are thrown away before any later byte is counted, so
// a stray byte or a frame cut short never joins the next frame.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The device to open: "COM4" on Windows, a device path such as "/dev/ttyUSB0" elsewhere.
    virtual QString CommPort() const = 0;
    virtual void SetCommPort(const QString& name) = 0;

    virtual bool PortOpen() const = 0;
    // Opens CommPort with the fixed line settings. On failure returns false and, when error is
    // given, says why.
    virtual bool Open(QString* error = nullptr) = 0;
    // Closes the port and empties the input buffer. Harmless when closed.
    virtual void Close() = 0;

    // Receive events are raised while this is above 0.
    virtual int RThreshold() const = 0;
    virtual void SetRThreshold(int threshold) = 0;

    // Bytes waiting, including those the operating system has received but not yet handed over.
    virtual int InBufferCount() = 0;
    // Throws away every waiting byte, including those the operating system holds.
    virtual void DiscardInput() = 0;
    // Takes every waiting byte out of the input buffer.
    virtual QByteArray Input() = 0;
    // Takes the first count waiting bytes (all of them when fewer wait); the rest keep waiting.
    virtual QByteArray TakeInput(int count) = 0;

    // The kind of the event being delivered (kCommEvent...).
    virtual int CommEvent() const = 0;

signals:
    void OnComm();
};
