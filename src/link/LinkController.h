#pragma once

#include "link/FrameSync.h"
#include "link/MeterFrame.h"
#include "link/PortReturnWatch.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class MessageBoxes;
class PortPlatform;
class SerialPort;

// What the link control shows on a connection panel. The panel shows; it does not decide. A link
// without a panel (a program without windows) shows nothing: every step does nothing by default.
class LinkPanel {
public:
    virtual ~LinkPanel() = default;

    // The text of the port box.
    virtual QString PortText() const { return {}; }
    virtual void SetPortText(const QString& /*text*/) {}
    // The CONNECT button stops animating, is disabled and shows its grey face.
    virtual void ShowConnectDisabled() {}
    // The CONNECT button is enabled and animates again.
    virtual void ShowConnectEnabled() {}
    virtual void ShowLinkOnline() {}
    virtual void ShowLinkOffline() {}
};

// What programs see of the link (State, StateChanged).
enum class LinkState {
    Closed,  // port closed, no receive events
    Syncing, // port open, threshold 0, the flush timer throws waiting bytes away
    Armed,   // port open, receive events for every 13 waiting bytes; frames are taken
    Paused,  // port open, threshold 0, flush timer stopped (while the table prints)
    Waiting, // port closed: its device went away; the link opens it again when it is back
};

// Whether the meter is expected to send in this state: connected or waited for, not closed or
// paused on purpose. Both programs' no-data alarms count only then.
inline bool ReadingsExpected(LinkState state) {
    return state != LinkState::Closed && state != LinkState::Paused;
}

// What a connect call came to.
struct LinkOutcome {
    bool opened = false; // the port is open and the link synchronises with the meter
    QString port;        // the port text tried: the one given, or the bridge's (empty: none found)
    QString reason;      // when not opened: why, for the user; empty when nothing could be tried
};

inline constexpr int kFlushInterval = 50; // ms between flush ticks
// ms of syncing without a tick that finds nothing waiting, before frames are found by their
// structure instead (GaplessFrameSync).
inline constexpr int kNoGapLimit = 2000;
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
// A meter that streams more than about 20 frames a second leaves no such tick. When none came for
// kNoGapLimit, the link says so (Notice) and finds the frames by their structure in what arrives
// (GaplessFrameSync), still arming at a tick that finds nothing; while the port stays open, later
// resynchronisations go that way at once.
//
// Connect and ConnectBridge say whether the port was opened and, when not, why in the user's
// words; every program asks them. The windowed program's CONNECT (btn_conn_Click) and start
// (AutoConnect) show "port error!" with that reason as the detail, and write it to standard error.
//
// When the open port's device goes away (a cable pulled out), the link waits for it to come back
// (Waiting): under the same path, or under the bridge's lasting name where the platform knows one
// (PortPlatform::LastingName), watched by a PortReturnWatch. The panel shows OFFLINE with CONNECT
// enabled, and the port box keeps its text. When the device is back and can be opened, the link
// opens it and resynchronises (Syncing, then Armed and ONLINE, as after CONNECT); the port box
// shows the device when it came back under another one. Attempts that fail while waiting show
// nothing. The user's own CONNECT or pick, and Shutdown, end the wait. A program follows the link
// through StateChanged: Waiting when the device went away, Syncing when it is open again.
//
// The link is in one phase at a time; the phase alone says what the port's threshold and the
// flush timer are. WaitingHeld is Waiting to programs: the table printed meanwhile, so the device
// that comes back is opened paused. The transitions (anything not listed leaves the phase as it
// is; "fails" is a port error, the phase unchanged):
//
//   phase        Connect     tick, none   device lost  Pause        RequestResync  device back
//                            waiting
//   Closed       Syncing     -            -            -            -              -
//   Syncing      fails       Armed        Waiting      Paused       Syncing        -
//   Armed        fails       -            Waiting      Paused       Syncing        -
//   Paused       fails       -            WaitingHeld  Paused       Syncing        -
//   Waiting      Syncing     -            -            WaitingHeld  Waiting        Syncing
//   WaitingHeld  Syncing     -            -            WaitingHeld  Waiting        Paused
//
// Combo1_Click (a pick from the list) and Shutdown lead from every phase to Closed; a failed
// Connect while waiting ends the wait too (Closed).
class LinkController : public QObject {
    Q_OBJECT
public:
    LinkController(SerialPort& port, PortPlatform& platform, QObject* parent = nullptr);

    // The windowed program's connection panel, and where its port errors are shown. Without
    // them, nothing is shown and a port error is only said by Connect's or ConnectBridge's outcome.
    void SetPanel(LinkPanel& panel, MessageBoxes& messages);

    LinkState State() const;
    // While Waiting: the name watched for (a path, or the bridge's lasting name).
    QString WaitingFor() const { return m_watch.LastingName(); }
    QTimer& Timer1() { return m_timer1; }

    // Probes and opens the port a port text names and starts syncing; ends a wait.
    LinkOutcome Connect(const QString& portText);
    // Finds the meter's USB bridge and, when it can be opened, opens it and starts syncing; the
    // panel shows the bridge's name. Nothing is tried when none is attached or the port is open.
    LinkOutcome ConnectBridge();

    // At start-up: ConnectBridge; a port error is shown.
    void AutoConnect();
    // CONNECT: Connect with the port box's text; a port error is shown.
    void btn_conn_Click();
    // The user picked an entry of the port list: disconnects when connected; ends a wait.
    void Combo1_Click();
    // Flush-and-arm tick.
    void Timer1_Timer();
    // Stops reception and resynchronises (after a reset of the table, a save, an export or a
    // print). Does nothing while the port is closed; the panel keeps what it shows. While
    // waiting, the device that comes back is resynchronised.
    void RequestResync();
    // Stops frame events without arming again, so nothing arrives while the table is printed;
    // RequestResync resumes. Does nothing while the port is closed. While waiting, the device
    // that comes back is opened but stays paused until RequestResync.
    void PauseReception();
    // At exit: stops the flush timer and a wait, and closes the port.
    void Shutdown();

    // The next whole frame waiting, taken out of the port's input; nothing unless the link is
    // Armed and 13 bytes wait. The receive event's handler takes frames until there is none left.
    std::optional<MeterFrame> TakeFrame();

signals:
    void StateChanged(LinkState state);
    // Something a user should know about the link that is no error, for a program to pass on.
    void Notice(const QString& text);

private:
    // LinkState's values, and WaitingHeld.
    enum class Phase { Closed, Syncing, Armed, Paused, Waiting, WaitingHeld };
    static_assert(int(Phase::Waiting) == int(LinkState::Waiting));

    bool openPort(const QString& device, QString* reason);
    void portError(const QString& reason);
    void startSyncing();
    void arm();
    void alignByStructure();
    void disconnectPort();
    void onComm();
    void startWaiting();
    void endWait();
    void deviceBack(const QString& device);
    void setPhase(Phase phase);
    bool waiting() const { return m_phase == Phase::Waiting || m_phase == Phase::WaitingHeld; }

    SerialPort& m_port;
    PortPlatform& m_platform;
    LinkPanel m_noPanel;
    LinkPanel* m_panel = &m_noPanel;
    MessageBoxes* m_messages = nullptr;
    QTimer m_timer1;
    PortReturnWatch m_watch;
    Phase m_phase = Phase::Closed;
    QString m_lastingName;      // of the device last opened
    QString m_lostDevice;       // the device that went away
    QElapsedTimer m_syncing;    // since syncing started
    bool m_gapless = false;     // the open port's meter left no gap for kNoGapLimit
    bool m_byStructure = false; // syncing by the frames' structure
    GaplessFrameSync m_structure;
    std::optional<int> m_skip; // bytes still to come before a frame, once known
};
