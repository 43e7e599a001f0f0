#pragma once

#include "link/MeterSimulator.h"
#include "link/PortPlatform.h"
#include "link/PseudoTerminal.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

// A simulated meter on a pseudo-terminal: one frame per period, whole, with the rest of the
// period as the gap between frames. The frames come from a MeterSimulator, or from a fixed list
// that is replayed once or over and over.
class MeterFeed : public QObject {
    Q_OBJECT
public:
    explicit MeterFeed(double framesPerSecond = 2.0, QObject* parent = nullptr);

    // Creates the pseudo-terminal. On failure returns false and, when error is given, says why.
    bool Open(QString* error = nullptr);
    QString PortPath() const { return m_line.Path(); }
    // The descriptor of the line's near side held open here (see PseudoTerminal::NearSide).
    int NearSide() const { return m_line.NearSide(); }

    void UseSimulator(std::uint32_t seed);
    // Replays these chunks (normally 13-byte frames) instead of simulated readings.
    void Replay(QList<QByteArray> chunks, bool repeat);

    void Start();
    void Stop();

    qint64 FramesSent() const { return m_sent; }
    qint64 FramesDropped() const { return m_dropped; }

    // Closes the line, as an unplugged cable would.
    void Unplug();

signals:
    void FrameSent(const QByteArray& frame);
    void ReplayFinished();

private:
    void tick();

    PseudoTerminal m_line;
    QTimer m_timer;
    std::unique_ptr<MeterSimulator> m_simulator;
    QList<QByteArray> m_chunks;
    qsizetype m_next = 0;
    bool m_repeat = false;
    qint64 m_sent = 0;
    qint64 m_dropped = 0;
};

// Bytes written as hexadecimal pairs, optionally separated by blanks, commas, colons or dashes
// ("00 01 02", "00:01:02", "000102"). Nothing when the text holds anything else or an odd digit.
std::optional<QByteArray> ParseHexBytes(QStringView text);

// Cuts bytes into frames of 13; a shorter rest becomes a last, short chunk.
QList<QByteArray> SplitIntoFrames(const QByteArray& bytes);

// What --demo needs: a simulated meter streaming two readings a second, and the port handling
// that finds it as the bridge. Keep the result alive for the whole run.
struct DemoLink {
    std::unique_ptr<MeterFeed> meter;
    std::unique_ptr<PortPlatform> platform;
};
// Starts the simulated meter. On failure the result is empty and error says why.
DemoLink StartDemoLink(QString* error = nullptr);
