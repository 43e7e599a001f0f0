#include "logger/LogSession.h"

#include "state/SystemTexts.h"

#include "link/PortPlatform.h"
#include "link/SerialPort.h"
#include "logger/LogConsole.h"
#include "logger/LogOutput.h"
#include "logger/LogRows.h"

#include <algorithm>

namespace {
constexpr qint64 kStatusEveryMs = 200; // the status line at most this often for readings
constexpr int kStatusTickMs = 1000;    // and this often while none arrive
constexpr qint64 kLongestWaitMs = 3600 * 1000;
} // namespace

QString LogMeterStateText(LogMeterState state) {
    switch (state) {
    case LogMeterState::Starting:
        return QStringLiteral("starting");
    case LogMeterState::Reading:
        return QStringLiteral("reading");
    case LogMeterState::Waiting:
        return QStringLiteral("waiting");
    case LogMeterState::Ended:
        break;
    }
    return QStringLiteral("ended");
}

LogSession::LogSession(LogParts parts, LogOptions options, QObject* parent)
    : QObject(parent)
    , m_parts(std::move(parts))
    , m_options(std::move(options))
    , m_link(std::make_unique<LinkController>(m_parts.port, m_parts.platform)) {
    connect(m_link.get(), &LinkController::StateChanged, this, &LogSession::onLinkState);
    connect(m_link.get(), &LinkController::Notice, this,
            [this](const QString& text) { m_parts.console.Say(text); });
    connect(&m_parts.port, &SerialPort::OnComm, this, &LogSession::onComm);
    m_deadlineTimer.setSingleShot(true);
    connect(&m_deadlineTimer, &QTimer::timeout, this, &LogSession::checkDeadline);
    m_readerTimer.setInterval(100);
    connect(&m_readerTimer, &QTimer::timeout, this, [this] {
        QString error;
        if (openOutput(&error)) {
            m_readerTimer.stop();
            outputOpened();
        } else if (!m_parts.output.WaitsForReader()) {
            finish(kLogWriteFailed, error);
        }
    });
    m_statusTimer.setInterval(kStatusTickMs);
    connect(&m_statusTimer, &QTimer::timeout, this, [this] { updateStatus(true); });
}

LogSession::~LogSession() {
    m_link->Shutdown();
}

std::optional<int> LogSession::Start() {
    m_clock.start();
    if (m_options.durationMs)
        m_deadline = QDeadlineTimer(*m_options.durationMs);

    // The port first, so that a meter that cannot be read leaves an existing file alone.
    const LinkOutcome link =
        m_options.port.isEmpty() ? m_link->ConnectBridge() : m_link->Connect(m_options.port);
    if (!link.opened) {
        if (link.port.isEmpty())
            m_parts.console.Say(
                QStringLiteral("no meter found: its USB bridge is not plugged in. Plug the meter "
                               "in and switch it on, or name its port with --port."));
        else if (link.reason.isEmpty())
            m_parts.console.Say(QStringLiteral("%1 cannot be opened").arg(QuotedPath(link.port)));
        else
            m_parts.console.Say(QString::fromUtf16(kPortErrorText) + u' ' + link.reason);
        return kLogNoMeter;
    }

    QString error;
    if (m_options.durationMs)
        m_deadlineTimer.start(0); // a deadline passed already ends the run in the event loop
    if (!openOutput(&error)) {
        if (m_parts.output.WaitsForReader()) {
            // A FIFO without a reader: looked at again until one comes, while a signal or the
            // deadline can still end the run.
            m_parts.console.Say(error + QStringLiteral("; waiting for one"));
            m_readerTimer.start();
            return std::nullopt;
        }
        m_link->Shutdown();
        m_parts.console.Say(error);
        return m_parts.output.WrongContents() ? kLogNoMeter : kLogWriteFailed;
    }
    outputOpened();
    return std::nullopt;
}

QString LogSession::Port() const {
    return m_parts.port.CommPort();
}

void LogSession::setState(LogMeterState state) {
    if (state == m_state)
        return;
    m_state = state;
    emit MeterStateChanged(state);
}

bool LogSession::openOutput(QString* error) {
    const QByteArray heading = LogHeading(m_options.format);
    if (m_options.format == LogFormat::Influx)
        m_parts.output.SetLineStart(LogLineStart(LogFormat::Influx), QStringLiteral("influx"));
    return m_options.output.isEmpty() || m_options.output == u"-"
               ? m_parts.output.OpenStandardOutput(m_options.append, heading, error)
               : m_parts.output.OpenFile(m_options.output, m_options.append, heading, error);
}

void LogSession::outputOpened() {
    m_outputOpen = true;
    if (m_parts.console.ShowsStatus())
        m_statusTimer.start();
    updateStatus(true);
}

void LogSession::onComm() {
    if (m_finished || m_parts.port.CommEvent() != kCommEventReceive)
        return;
    while (!m_finished) {
        // Every whole frame waiting, cut from the stream by the link as for the program; none is
        // kept before the output is open.
        const std::optional<MeterFrame> frame = m_link->TakeFrame();
        if (!frame)
            return;
        if (m_outputOpen)
            store(*frame);
    }
}

void LogSession::store(const MeterFrame& frame) {
    const DecodedFrame reading = DecodeFrame(frame);
    const QDateTime at = m_parts.now();
    QString error;
    if (!m_parts.output.Write(LogLine(m_options.format, m_no + 1, reading, at, Port()), &error)) {
        if (m_no == 1)
            error += QStringLiteral("; the reading written before it is kept");
        else if (m_no > 1)
            error += QStringLiteral("; the %1 readings written before it are kept").arg(m_no);
        finish(kLogWriteFailed, error);
        return;
    }
    ++m_no;
    emit Logged(m_no, frame, reading, at);
    m_last = reading.unit ? reading.dataText + u' ' + UnitText(*reading.unit) : reading.dataText;
    updateStatus(false);
    if (m_options.count && m_no >= *m_options.count)
        finish(kLogDone);
}

void LogSession::onLinkState(LinkState state) {
    if (m_finished)
        return;
    if (state == LinkState::Waiting) {
        // The link closed the port and watches for the meter to come back; the run goes on, and
        // --count and --duration still end it.
        m_waiting = true;
        m_parts.console.Say(QStringLiteral("meter disconnected, waiting for it to return"));
        updateStatus(true);
        setState(LogMeterState::Waiting);
        return;
    }
    if (state != LinkState::Armed)
        return;
    // In step with the meter: from here on no frame is thrown away.
    const QString port = m_parts.port.CommPort();
    if (!m_inStep)
        m_parts.console.Notice(QStringLiteral("reading the meter on %1, writing to %2")
                                   .arg(QuotedPath(port), m_parts.output.ShownName()));
    else if (m_waiting)
        m_parts.console.Say(QStringLiteral("meter back on %1; readings go on from %2")
                                .arg(QuotedPath(port))
                                .arg(m_no + 1));
    m_inStep = true;
    m_waiting = false;
    updateStatus(true);
    setState(LogMeterState::Reading);
}

void LogSession::checkDeadline() {
    if (m_deadline.hasExpired()) {
        finish(kLogDone);
        return;
    }
    // A timer's interval has its limits; a long run is checked again on the way.
    m_deadlineTimer.start(int(std::clamp<qint64>(m_deadline.remainingTime(), 1, kLongestWaitMs)));
}

void LogSession::updateStatus(bool force) {
    if (!m_parts.console.ShowsStatus())
        return;
    const qint64 now = m_clock.elapsed();
    if (!force && now - m_lastStatusMs < kStatusEveryMs)
        return;
    m_lastStatusMs = now;
    LogStatus status;
    status.readings = m_no;
    status.last = m_last;
    status.away = m_waiting; // kept at the end of a run that ended while waiting
    status.elapsedMs = now;
    if (m_options.durationMs)
        status.leftMs = m_deadline.remainingTime();
    m_parts.console.Status(LogStatusText(status));
}

void LogSession::finish(int status, const QString& why) {
    if (m_finished)
        return;
    m_finished = true;
    m_link->Shutdown();
    m_deadlineTimer.stop();
    m_statusTimer.stop();
    m_readerTimer.stop();
    updateStatus(true);
    setState(LogMeterState::Ended);
    m_parts.console.EndStatus();
    if (!why.isEmpty())
        m_parts.console.Say(why);
    QString error;
    if (!m_parts.output.Close(&error) && status == kLogDone) {
        m_parts.console.Say(error);
        status = kLogWriteFailed;
    }
    emit Finished(status);
}
