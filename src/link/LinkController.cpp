#include "link/LinkController.h"

#include "link/PortPlatform.h"
#include "link/SerialPort.h"
#include "seams/MessageBoxes.h"
#include "state/SystemTexts.h"

#include <QDebug>

#include <algorithm>

LinkController::LinkController(SerialPort& port, PortPlatform& platform, QObject* parent)
    : QObject(parent)
    , m_port(port)
    , m_platform(platform)
    , m_watch(platform) {
    m_timer1.setInterval(kFlushInterval);
    connect(&m_watch, &PortReturnWatch::Back, this, &LinkController::deviceBack);
    connect(&m_timer1, &QTimer::timeout, this, &LinkController::Timer1_Timer);
    connect(&m_port, &SerialPort::OnComm, this, &LinkController::onComm);
}

void LinkController::SetPanel(LinkPanel& panel, MessageBoxes& messages) {
    m_panel = &panel;
    m_messages = &messages;
}

LinkState LinkController::State() const {
    return m_phase == Phase::WaitingHeld ? LinkState::Waiting : LinkState(int(m_phase));
}

LinkOutcome LinkController::ConnectBridge() {
    LinkOutcome outcome;
    const std::optional<QString> found = m_platform.FindBridge();
    if (!found)
        return outcome;
    outcome.port = *found;
    const std::optional<QString> device = m_platform.ResolvePort(*found);
    if (device && m_port.PortOpen())
        return outcome;
    // A name this program cannot open, or a port that does not open, is shown and nothing more.
    outcome.opened = device && openPort(*device, &outcome.reason);
    if (outcome.opened)
        m_panel->ShowConnectDisabled();
    m_panel->SetPortText(*found);
    if (outcome.opened)
        startSyncing();
    return outcome;
}

LinkOutcome LinkController::Connect(const QString& portText) {
    endWait();
    LinkOutcome outcome;
    outcome.port = portText;
    const std::optional<QString> device = m_platform.ResolvePort(portText);
    // The probe and the open always use the same port; a text that names none opens nothing.
    if (!device) {
        outcome.reason =
            portText.trimmed().isEmpty()
                ? QStringLiteral("No port is named. Type or pick the meter's port.")
                : QStringLiteral("%1 names no port here. Type or pick the meter's port.")
                      .arg(QuotedPath(portText));
        return outcome;
    }
    if (!m_platform.Probe(*device, &outcome.reason))
        return outcome;
    if (m_port.PortOpen()) {
        outcome.reason = QStringLiteral("The port is already open.");
        return outcome;
    }
    if (!openPort(*device, &outcome.reason))
        return outcome;
    m_panel->ShowConnectDisabled();
    startSyncing();
    outcome.opened = true;
    return outcome;
}

void LinkController::AutoConnect() {
    const LinkOutcome outcome = ConnectBridge();
    if (!outcome.opened && !outcome.reason.isEmpty())
        portError(outcome.reason);
}

void LinkController::btn_conn_Click() {
    const LinkOutcome outcome = Connect(m_panel->PortText());
    if (!outcome.opened)
        portError(outcome.reason);
}

void LinkController::Combo1_Click() {
    endWait();
    if (!m_port.PortOpen()) {
        m_timer1.stop();
        return;
    }
    disconnectPort();
}

void LinkController::Timer1_Timer() {
    if (!m_port.PortOpen()) {
        m_timer1.stop();
        return;
    }
    if (m_port.InBufferCount() == 0) {
        arm(); // a gap between frames
        return;
    }
    if (m_byStructure) {
        alignByStructure();
        return;
    }
    m_port.DiscardInput();
    if (m_syncing.elapsed() >= kNoGapLimit) {
        m_gapless = m_byStructure = true;
        emit Notice(QStringLiteral("no pause between the meter's frames for %1 s; finding its "
                                   "frames by their structure")
                        .arg(kNoGapLimit / 1000));
    }
}

void LinkController::arm() {
    m_port.SetRThreshold(kArmedThreshold);
    m_timer1.stop();
    setPhase(Phase::Armed);
    m_panel->ShowLinkOnline();
}

void LinkController::alignByStructure() {
    if (!m_skip) {
        m_skip = m_structure.Feed(m_port.Input());
        if (!m_skip)
            return;
    }
    if (m_port.InBufferCount() < *m_skip)
        return;
    m_port.TakeInput(*m_skip);
    arm();
}

void LinkController::RequestResync() {
    if (m_phase == Phase::WaitingHeld)
        setPhase(Phase::Waiting);
    if (!m_port.PortOpen())
        return;
    m_port.SetRThreshold(0);
    startSyncing();
}

void LinkController::PauseReception() {
    m_timer1.stop();
    if (m_phase == Phase::Waiting)
        setPhase(Phase::WaitingHeld);
    if (!m_port.PortOpen())
        return;
    m_port.SetRThreshold(0);
    setPhase(Phase::Paused);
}

void LinkController::Shutdown() {
    m_watch.Stop();
    m_timer1.stop();
    m_port.SetRThreshold(0);
    m_port.Close();
    setPhase(Phase::Closed);
}

std::optional<MeterFrame> LinkController::TakeFrame() {
    if (m_phase != Phase::Armed || !m_port.PortOpen() || m_port.InBufferCount() < kFrameLength)
        return std::nullopt;
    const QByteArray bytes = m_port.TakeInput(kFrameLength);
    if (bytes.size() < kFrameLength)
        return std::nullopt;
    MeterFrame frame;
    std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.constData()), kFrameLength,
                frame.begin());
    return frame;
}

bool LinkController::openPort(const QString& device, QString* reason) {
    m_port.SetRThreshold(0);
    m_port.SetCommPort(device);
    QString error;
    if (m_port.Open(&error)) {
        m_gapless = false;
        m_lastingName = m_platform.LastingName(device);
        return true;
    }
    // The platform's probe says why in the user's terms; when it finds nothing wrong (the port
    // changed in between), the port's own words.
    if (m_platform.Probe(device, reason))
        *reason = QStringLiteral("%1 cannot be opened: %2.").arg(QuotedPath(device), error);
    return false;
}

void LinkController::portError(const QString& reason) {
    const QString text = QString::fromUtf16(kPortErrorText);
    qWarning().noquote() << text << reason;
    if (m_messages)
        m_messages->DetailedMessage(text, reason);
}

void LinkController::startSyncing() {
    m_syncing.start();
    m_byStructure = m_gapless;
    m_structure.Reset();
    m_skip.reset();
    m_timer1.start();
    setPhase(Phase::Syncing);
}

void LinkController::disconnectPort() {
    m_port.Close();
    m_port.SetRThreshold(0);
    m_timer1.stop();
    setPhase(Phase::Closed);
    m_panel->ShowConnectEnabled();
    m_panel->ShowLinkOffline();
}

void LinkController::onComm() {
    // A device that went away has already been closed by the port; the link waits for it.
    if (m_port.CommEvent() == kCommEventDeviceLost && m_phase != Phase::Closed && !waiting())
        startWaiting();
}

void LinkController::startWaiting() {
    const Phase next = m_phase == Phase::Paused ? Phase::WaitingHeld : Phase::Waiting;
    m_lostDevice = m_port.CommPort();
    m_port.Close();
    m_port.SetRThreshold(0);
    m_timer1.stop();
    m_watch.Start(m_lastingName);
    setPhase(next);
    m_panel->ShowConnectEnabled();
    m_panel->ShowLinkOffline();
}

void LinkController::endWait() {
    if (!waiting())
        return;
    m_watch.Stop();
    setPhase(Phase::Closed);
}

void LinkController::deviceBack(const QString& device) {
    if (!waiting())
        return;
    QString reason;
    if (!openPort(device, &reason))
        return; // still waiting: tried again at the next look
    m_watch.Stop();
    if (device != m_lostDevice)
        m_panel->SetPortText(device);
    m_panel->ShowConnectDisabled();
    if (m_phase == Phase::WaitingHeld) {
        setPhase(Phase::Paused);
        return;
    }
    startSyncing();
}

void LinkController::setPhase(Phase phase) {
    const LinkState before = State();
    m_phase = phase;
    if (State() != before)
        emit StateChanged(State());
}
