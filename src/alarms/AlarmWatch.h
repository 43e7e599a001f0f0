#pragma once

#include "alarms/AlarmRule.h"
#include "alarms/RunEvent.h"

#include <QDateTime>

#include <optional>
#include <vector>

struct DecodedFrame;

// Where a rule stands.
struct AlarmRuleState {
    bool raised = false;
    // Since when the condition holds without the alarm being raised yet (the hold running).
    std::optional<qint64> holdingSinceMs;
    // The last value the rule judged, in its unit (no-data: none).
    std::optional<double> lastValue;
    // When the rule was last raised or cleared; invalid before that.
    QDateTime changedAt;
};

// The alarm rules of a run at work: fed every reading with its time and, for no-data, whether the
// meter is expected to send (connected or waited for) and a tick with the current time. The
// times are the readings' own (the clock the program stamps them with), never a timer's, so a run
// is judged the same whatever the load. Each call returns the events it caused, in the order of
// the rules.
class AlarmWatch {
public:
    explicit AlarmWatch(std::vector<AlarmRule> rules = {});

    const std::vector<AlarmRule>& Rules() const { return m_rules; }
    const std::vector<AlarmRuleState>& States() const { return m_states; }
    // Another set of rules: a rule also in the old set (by its text) keeps its state, the others
    // start afresh (nothing raised).
    void SetRules(std::vector<AlarmRule> rules, const QDateTime& now);

    // A reading stored at `at`.
    std::vector<RunEvent> Reading(const DecodedFrame& reading, const QDateTime& at);
    // Whether readings are expected from now on (the meter connected, or waited for after it
    // went away). no-data counts from the last reading, or from when they were first expected.
    void SetExpecting(bool expecting, const QDateTime& now);
    // The current time, about once a second: no-data rules look at the silence.
    std::vector<RunEvent> Tick(const QDateTime& now);

private:
    RunEvent event(std::size_t i, AlarmChange change, double value, const QDateTime& at);

    std::vector<AlarmRule> m_rules;
    std::vector<AlarmRuleState> m_states;
    bool m_expecting = false;
    std::optional<qint64> m_lastReadingMs; // or when readings were first expected
};

// The value a rule judges in this reading, in the rule's unit; nothing when the reading does not
// say it (a flow for a velocity rule, an unknown unit) or for no-data.
std::optional<double> RuleValue(const AlarmRule& rule, const DecodedFrame& reading);
