#pragma once

#include "alarms/AlarmWatch.h"
#include "alarms/RunEvent.h"
#include "link/LinkController.h"
#include "link/MeterFrame.h"
#include "logger/LogOptions.h"
#include "state/SystemTexts.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class LogConsole;
class LogOutput;
class PortPlatform;
class SerialPort;

// What a run of the logger works with. The program gives the real port, the system's port
// handling and standard error; tests may give others.
struct LogParts {
    SerialPort& port;
    PortPlatform& platform;
    LogOutput& output;
    LogConsole& console;
    std::function<QDateTime()> now = LocalNow;
};

// Where the run stands, for outputs that show it elsewhere (the live page, MQTT).
enum class LogMeterState {
    Starting, // not in step with the meter yet
    Reading,  // in step: every frame is written
    Waiting,  // the meter went away and is waited for
    Ended,    // the run is over
};
// "starting", "reading", "waiting", "ended".
QString LogMeterStateText(LogMeterState state);

// Exit statuses of the logger.
inline constexpr int kLogDone = 0;        // the run ended as asked (count, duration, a signal)
inline constexpr int kLogWriteFailed = 1; // the output could not be written
inline constexpr int kLogNoMeter = 2;     // no meter to read, or a command line that makes no sense

// One run of the logger. It opens the meter's port through the same link control as the
// program's connection panel (the port named by --port, probed first, or the bridge found as at
// the program's start), writes one line per reading as it arrives, and ends after --count
// readings, after --duration, on Stop (SIGINT, SIGTERM) or when a line cannot be written.
//
// A meter that goes away (an unplugged cable, a simulated meter stopped) does not end the run: the
// link waits for it and opens it again (LinkState::Waiting), standard error says so both times,
// and the numbering goes on where it stopped. The deadline and the count go on meanwhile.
class LogSession : public QObject {
    Q_OBJECT
public:
    LogSession(LogParts parts, LogOptions options, QObject* parent = nullptr);
    ~LogSession() override;

    // Connects and opens the output. When the run cannot start, its exit status, said why on the
    // console; otherwise nothing, and Finished follows later.
    std::optional<int> Start();
    // Ends the run cleanly (a signal).
    void Stop() { finish(kLogDone); }

    // The port the meter is read on now.
    QString Port() const;

    // Adds a note with the current time, as an event like an alarm (see Event). A note that is
    // empty once made one line is ignored.
    void AddNote(const QString& text);
    // The alarm rules (--alarm) and where each stands.
    const AlarmWatch& Alarms() const { return m_alarms; }

signals:
    void Finished(int status);
    // A reading, once its line is in the output as number no (never one the output lacks), with
    // the meter's bytes for outputs that keep them.
    void Logged(qint64 no, const MeterFrame& frame, const DecodedFrame& reading,
                const QDateTime& at);
    void MeterStateChanged(LogMeterState state);
    // Every event of the run (an alarm raised or cleared, a note), once it is said on standard
    // error and written to the output (or its events file); the one place outputs of events
    // subscribe to.
    void Event(const RunEvent& event);

private:
    void onComm();
    void onLinkState(LinkState state);
    void store(const MeterFrame& frame);
    void checkDeadline();
    void updateStatus(bool force);
    void finish(int status, const QString& why = {});
    bool openOutput(QString* error);
    void outputOpened();
    void setState(LogMeterState state);
    void emitEvent(const RunEvent& event);
    void emitEvents(const std::vector<RunEvent>& events);
    bool writeEvent(const RunEvent& event, QString* error);
    bool openEventsFile();
    void runOnAlarm(const RunEvent& event);

    LogParts m_parts;
    LogOptions m_options;
    std::unique_ptr<LinkController> m_link;
    QElapsedTimer m_clock;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    QTimer m_deadlineTimer;
    QTimer m_statusTimer;
    QTimer m_readerTimer; // looks again for a reader of the FIFO named as the output
    bool m_outputOpen = false;
    qint64 m_lastStatusMs = -1000;
    qint64 m_no = 0;
    QString m_last;
    bool m_inStep = false;  // the link has been armed once
    bool m_waiting = false; // the meter went away and is not back in step yet
    bool m_finished = false;
    LogMeterState m_state = LogMeterState::Starting;
    AlarmWatch m_alarms;
    QTimer m_alarmTimer;                    // no-data rules look at the silence
    std::unique_ptr<LogOutput> m_eventsOut; // csv: the events file beside the output
    bool m_eventsNowhere = false;           // events go to standard error only (said once)
};
