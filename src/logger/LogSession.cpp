#include "logger/LogSession.h"

#include "state/SystemTexts.h"

#include "link/PortPlatform.h"
#include "link/SerialPort.h"
#include "logger/LogConsole.h"
#include "logger/LogOutput.h"
#include "logger/LogRows.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>

namespace {
constexpr qint64 kStatusEveryMs = 200; // the status line at most this often for readings
constexpr int kStatusTickMs = 1000;    // and this often while none arrive
constexpr qint64 kLongestWaitMs = 3600 * 1000;
constexpr int kAlarmTickMs = 250; // no-data is raised at most this late
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
    , m_link(std::make_unique<LinkController>(m_parts.port, m_parts.platform))
    , m_alarms(m_options.alarms) {
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
    m_alarmTimer.setInterval(kAlarmTickMs);
    connect(&m_alarmTimer, &QTimer::timeout, this,
            [this] { emitEvents(m_alarms.Tick(m_parts.now())); });
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
    if (!m_options.alarms.empty()) {
        if (m_options.format == LogFormat::Csv)
            openEventsFile();
        m_alarms.SetExpecting(ReadingsExpected(m_link->State()), m_parts.now());
        m_alarmTimer.start();
    }
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
    emitEvents(m_alarms.Reading(reading, at));
    if (m_finished)
        return;
    updateStatus(false);
    if (m_options.count && m_no >= *m_options.count)
        finish(kLogDone);
}

void LogSession::onLinkState(LinkState state) {
    if (m_finished)
        return;
    // no-data counts while the meter is connected or waited for.
    if (m_outputOpen)
        m_alarms.SetExpecting(ReadingsExpected(state), m_parts.now());
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
    m_alarmTimer.stop();
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
    if (m_eventsOut && !m_eventsOut->Close(&error))
        m_parts.console.Say(error);
    emit Finished(status);
}

void LogSession::AddNote(const QString& text) {
    const RunEvent note = NoteEvent(text, m_parts.now());
    if (m_finished || note.note.isEmpty())
        return;
    emitEvent(note);
}

void LogSession::emitEvents(const std::vector<RunEvent>& events) {
    for (const RunEvent& event : events) {
        if (m_finished)
            return;
        emitEvent(event);
    }
}

void LogSession::emitEvent(const RunEvent& event) {
    m_parts.console.Say(IsoInstantText(event.at) + u' ' + event.Summary());
    QString error;
    if (!writeEvent(event, &error)) {
        // Like a reading's line: the output that cannot be written ends the run.
        finish(kLogWriteFailed, error);
        return;
    }
    if (event.kind == RunEventKind::Alarm && event.change == AlarmChange::Raised &&
        !m_options.onAlarm.isEmpty())
        runOnAlarm(event);
    updateStatus(true);
    emit Event(event);
}

bool LogSession::writeEvent(const RunEvent& event, QString* error) {
    if (!m_outputOpen)
        return true; // said on standard error; no file yet to put it in
    if (m_options.format != LogFormat::Csv)
        return m_parts.output.Write(LogEventLine(m_options.format, event), error);
    if (!m_eventsOut && !openEventsFile())
        return true;
    if (m_eventsOut->Write(LogEventLine(m_options.format, event), error))
        return true;
    // The readings matter more: they go on, the events on standard error only.
    m_parts.console.Say(*error + QStringLiteral("; events are now on standard error only"));
    m_eventsOut.reset();
    m_eventsNowhere = true;
    return true;
}

bool LogSession::openEventsFile() {
    if (m_eventsOut)
        return true;
    if (m_eventsNowhere)
        return false;
    const QString& output = m_options.output;
    // Beside a regular file only: never beside standard output, a device or a pipe.
    if (output.isEmpty() || output == u"-" || !QFileInfo(output).isFile()) {
        m_eventsNowhere = true;
        m_parts.console.Notice(QStringLiteral("events are said on standard error only: csv keeps "
                                              "them in a file beside an output file, and %1 is "
                                              "none (jsonl keeps them among the readings)")
                                   .arg(m_parts.output.ShownName()));
        return false;
    }
    auto events = std::make_unique<LogOutput>();
    QString error;
    if (!events->OpenFile(EventsFilePath(output), m_options.append, LogEventsHeading(), &error)) {
        m_eventsNowhere = true;
        m_parts.console.Say(error + QStringLiteral("; events are said on standard error only"));
        return false;
    }
    m_eventsOut = std::move(events);
    return true;
}

void LogSession::runOnAlarm(const RunEvent& event) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VANTELLO_EVENT"), event.KindText());
    env.insert(QStringLiteral("VANTELLO_CHANGE"), event.ChangeText());
    env.insert(QStringLiteral("VANTELLO_RULE"), event.rule);
    env.insert(QStringLiteral("VANTELLO_QUANTITY"), event.quantity);
    env.insert(QStringLiteral("VANTELLO_VALUE"),
               event.value ? EventNumberText(*event.value) : QString());
    env.insert(QStringLiteral("VANTELLO_UNIT"), event.unit);
    env.insert(QStringLiteral("VANTELLO_TIME"), IsoInstantText(event.at));
    env.insert(QStringLiteral("VANTELLO_PORT"), m_parts.port.CommPort());
    // Started and left to run on its own (never through a shell); it reads nothing from the
    // meter's run and writes nothing into its output.
    QProcess process;
    process.setProgram(m_options.onAlarm);
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    if (!process.startDetached())
        m_parts.console.Say(QStringLiteral("--on-alarm %1 could not be started: %2")
                                .arg(QuotedPath(m_options.onAlarm), process.errorString()));
}
