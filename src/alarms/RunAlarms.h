#pragma once

#include "alarms/AlarmWatch.h"
#include "alarms/RunEvent.h"

#include <QObject>
#include <QStringList>

#include <vector>

class QSettings;

// The alarm rules the program remembers and whether a raised alarm also sounds.
struct AlarmSettings {
    QStringList rules;
    bool sound = false;
};
// Read from and written to the group "alarms"; a rule that cannot be read (an edited file) is
// left out.
AlarmSettings ReadAlarmSettings(QSettings& settings);
void WriteAlarmSettings(QSettings& settings, const AlarmSettings& alarms);

// The program's alarms for this run: the rules at work, their states and the events of the run
// (with those of a restored run first). The main window feeds it every stored reading, the link's
// state and a tick; the Alarms window shows it and edits its rules.
class RunAlarms : public QObject {
    Q_OBJECT
public:
    // At most this many events are listed; the oldest go first.
    static constexpr std::size_t kListedEvents = 10000;

    explicit RunAlarms(QObject* parent = nullptr);

    // Replaces the rules; false, with the line and why, when one cannot be read (nothing changes
    // then). Rules kept keep their state; new ones start afresh.
    bool SetRules(const QStringList& texts, const QDateTime& now, QString* why);
    QStringList RuleTexts() const;
    const AlarmWatch& Watch() const { return m_watch; }
    const std::vector<RunEvent>& Events() const { return m_events; }

    void Reading(const DecodedFrame& reading, const QDateTime& at);
    void SetExpecting(bool expecting, const QDateTime& now);
    void Tick(const QDateTime& now);
    // A note now; false when it is empty once made one line.
    bool AddNote(const QString& text, const QDateTime& at);
    // An event of an earlier run, restored with its readings: listed, not announced.
    void Restore(const RunEvent& event);

signals:
    // A new event of this run (an alarm raised or cleared, a note).
    void EventHappened(const RunEvent& event);
    // The states or the events changed.
    void Changed();

private:
    void take(const std::vector<RunEvent>& events);
    void list(const RunEvent& event);

    AlarmWatch m_watch;
    std::vector<RunEvent> m_events;
};
