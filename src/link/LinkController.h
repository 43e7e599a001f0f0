#pragma once

#include "link/MeterFrame.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class MessageBoxes;
class PortPlatform;
class SerialPort;

// What the link control changes on the connection panel. The panel shows; it does not decide.
class LinkPanel {
public:
    virtual ~LinkPanel() = default;

    // The text of the port box.
    virtual QString PortText() const = 0;
    virtual void SetPortText(const QString& text) = 0;
    // The CONNECT button stops animating, is disabled and shows its grey face.
    virtual void ShowConnectDisabled() = 0;
    // The CONNECT button is enabled and animates again.
    virtual void ShowConnectEnabled() = 0;
    virtual void ShowLinkOnline() = 0;
    virtual void ShowLinkOffline() = 0;
};

enum class LinkState {
    Closed,  // port closed, no receive events
    Syncing, // port open, threshold 0, the flush timer throws waiting bytes away
    Armed,   // port open, receive events for every 13 waiting bytes
    Paused,  // port open, threshold 0, flush timer stopped (while the table prints)
};

inline constexpr int kFlushInterval = 50; // ms between flush ticks
inline constexpr int kArmedThreshold = kFrameLength;
inline constexpr char16_t kPortErrorText[] = u"port error!";

// Opens, closes and resynchronises the meter's serial port, and cuts the frames out of what it
// receives.
//
// Reception only starts at a frame boundary: while syncing, the flush timer Timer1 throws waiting
// bytes away every 50 ms and arms the receive threshold of 13 at the first tick that finds none,
// that is in a gap between frames. Once armed, frames are taken 13 bytes at a time, so frames that
// arrive back to back are all kept; the port throws away a fragment that a quiet gap leaves
// behind (kQuietGap), so the stream stays in step after a stray byte or a frame cut short.
//
// When a port cannot be opened, the message "port error!" carries the reason as its detail, and
// the same reason goes to standard error.
class LinkController : public QObject {
    Q_OBJECT
public:
    LinkController(SerialPort& port, PortPlatform& platform, MessageBoxes& messages,
                   QObject* parent = nullptr);

    // The panel to drive; must be set before any of the procedures below runs.
    void SetPanel(LinkPanel* panel) { m_panel = panel; }

    LinkState State() const { return m_state; }
    QTimer& Timer1() { return m_timer1; }
    SerialPort& Port() { return m_port; }
    PortPlatform& Platform() { return m_platform; }

    // At start-up: opens the bridge's port when one is attached and starts syncing.
    void AutoConnect();
    // CONNECT: probes and opens the port named in the port box and starts syncing.
    void btn_conn_Click();
    // The user picked an entry of the port list: disconnects when connected.
    void Combo1_Click();
    // Flush-and-arm tick.
    void Timer1_Timer();
    // Stops reception and resynchronises (after a reset of the table, a save, an export or a
    // print). Does nothing while the port is closed; the panel keeps what it shows.
    void RequestResync();
    // Stops frame events without arming again, so nothing arrives while the table is printed;
    // RequestResync resumes. Does nothing while the port is closed.
    void PauseReception();
    // At exit: stops the flush timer and closes the port.
    void Shutdown();

    // The next whole frame waiting, taken out of the port's input; nothing while reception is not
    // armed or fewer than 13 bytes wait. The receive event's handler takes frames until there is
    // none left.
    std::optional<MeterFrame> TakeFrame();

signals:
    void StateChanged(LinkState state);

private:
    bool openPort(const QString& device, QString* reason);
    void portError(const QString& reason);
    void startSyncing();
    void disconnectPort();
    void onComm();
    void setState(LinkState state);

    SerialPort& m_port;
    PortPlatform& m_platform;
    MessageBoxes& m_messages;
    LinkPanel* m_panel = nullptr;
    QTimer m_timer1;
    LinkState m_state = LinkState::Closed;
};
