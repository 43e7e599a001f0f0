#include "alarms/AlarmWatch.h"

#include "link/MeterFrame.h"

#include <algorithm>
#include <cmath>

namespace {

// Whether a is at or past b, with b's edge itself counting when the sums and conversions behind
// them differ only in their last digits (1.1 + 0.2 is 1.3000000000000003): the meter sends at
// most four decimals, so nothing finer than that is a difference.
bool atOrAbove(double a, double b) {
    return a >= b - 1e-9 * std::max(1.0, std::abs(b));
}
bool atOrBelow(double a, double b) {
    return a <= b + 1e-9 * std::max(1.0, std::abs(b));
}

} // namespace

std::optional<double> RuleValue(const AlarmRule& rule, const DecodedFrame& reading) {
    switch (rule.quantity) {
    case AlarmQuantity::Velocity:
    case AlarmQuantity::Flow:
        // Another kind, or a unit the frame does not name, says nothing about this rule.
        if (!reading.unit || KindOf(*reading.unit) != KindOf(rule.unit))
            return std::nullopt;
        if (*reading.unit == rule.unit)
            return reading.value;
        return reading.value * SiPerUnit(*reading.unit) / SiPerUnit(rule.unit);
    case AlarmQuantity::Temperature: {
        if (!reading.temperatureUnit)
            return std::nullopt;
        const bool fahrenheit = reading.temperatureUnit->endsWith(u'F');
        const bool wantFahrenheit = rule.scale == TemperatureScale::Fahrenheit;
        if (fahrenheit == wantFahrenheit)
            return reading.temperature;
        return fahrenheit ? (reading.temperature - 32) * 5 / 9 : reading.temperature * 9 / 5 + 32;
    }
    case AlarmQuantity::Humidity:
        return reading.humidity;
    case AlarmQuantity::NoData:
        break;
    }
    return std::nullopt;
}

AlarmWatch::AlarmWatch(std::vector<AlarmRule> rules)
    : m_rules(std::move(rules))
    , m_states(m_rules.size()) {}

void AlarmWatch::SetRules(std::vector<AlarmRule> rules, const QDateTime& now) {
    // A rule kept (the same text) keeps where it stands: adding or removing another never clears
    // an alarm without saying so.
    std::vector<AlarmRuleState> states(rules.size());
    for (std::size_t i = 0; i < rules.size(); ++i)
        for (std::size_t j = 0; j < m_rules.size(); ++j)
            if (m_rules[j].text == rules[i].text) {
                states[i] = m_states[j];
                break;
            }
    m_rules = std::move(rules);
    m_states = std::move(states);
    // A silence is counted from now for the new rules.
    if (m_expecting)
        m_lastReadingMs = now.toMSecsSinceEpoch();
}

RunEvent AlarmWatch::event(std::size_t i, AlarmChange change, double value, const QDateTime& at) {
    const AlarmRule& rule = m_rules[i];
    AlarmRuleState& state = m_states[i];
    state.raised = change == AlarmChange::Raised;
    state.holdingSinceMs.reset();
    state.changedAt = at;
    RunEvent e;
    e.at = at;
    e.kind = RunEventKind::Alarm;
    e.change = change;
    e.rule = rule.text;
    e.ruleIndex = int(i);
    e.quantity = rule.QuantityText();
    e.value = value;
    e.unit = rule.UnitText();
    return e;
}

std::vector<RunEvent> AlarmWatch::Reading(const DecodedFrame& reading, const QDateTime& at) {
    std::vector<RunEvent> events;
    const qint64 ms = at.toMSecsSinceEpoch();
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        const AlarmRule& rule = m_rules[i];
        AlarmRuleState& state = m_states[i];
        if (rule.quantity == AlarmQuantity::NoData) {
            if (state.raised)
                events.push_back(event(i, AlarmChange::Cleared,
                                       double(ms - m_lastReadingMs.value_or(ms)) / 1000, at));
            continue;
        }
        const std::optional<double> value = RuleValue(rule, reading);
        if (!value) {
            // Whether the condition lasted cannot be told: the hold starts again.
            state.holdingSinceMs.reset();
            continue;
        }
        state.lastValue = value;
        if (state.raised) {
            const bool back = rule.above ? atOrBelow(*value, rule.threshold - rule.band)
                                         : atOrAbove(*value, rule.threshold + rule.band);
            if (back)
                events.push_back(event(i, AlarmChange::Cleared, *value, at));
            continue;
        }
        const bool beyond =
            rule.above ? !atOrBelow(*value, rule.threshold) : !atOrAbove(*value, rule.threshold);
        if (!beyond) {
            state.holdingSinceMs.reset();
            continue;
        }
        if (!state.holdingSinceMs)
            state.holdingSinceMs = ms;
        if (ms - *state.holdingSinceMs >= rule.holdMs)
            events.push_back(event(i, AlarmChange::Raised, *value, at));
    }
    m_lastReadingMs = ms;
    return events;
}

void AlarmWatch::SetExpecting(bool expecting, const QDateTime& now) {
    if (expecting && !m_expecting)
        m_lastReadingMs = now.toMSecsSinceEpoch();
    m_expecting = expecting;
}

std::vector<RunEvent> AlarmWatch::Tick(const QDateTime& now) {
    std::vector<RunEvent> events;
    if (!m_expecting || !m_lastReadingMs)
        return events;
    const qint64 silentMs = now.toMSecsSinceEpoch() - *m_lastReadingMs;
    for (std::size_t i = 0; i < m_rules.size(); ++i)
        if (m_rules[i].quantity == AlarmQuantity::NoData && !m_states[i].raised &&
            silentMs >= m_rules[i].holdMs)
            events.push_back(event(i, AlarmChange::Raised, double(silentMs) / 1000, now));
    return events;
}
