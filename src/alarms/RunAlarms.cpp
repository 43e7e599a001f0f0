#include "alarms/RunAlarms.h"

#include <QSettings>

AlarmSettings ReadAlarmSettings(QSettings& settings) {
    AlarmSettings out;
    settings.beginGroup(QStringLiteral("alarms"));
    for (const QString& text : settings.value(QStringLiteral("rules")).toStringList()) {
        QString why;
        if (ParseAlarmRule(text, &why))
            out.rules << text;
    }
    out.sound = settings.value(QStringLiteral("sound"), false).toBool();
    settings.endGroup();
    return out;
}

void WriteAlarmSettings(QSettings& settings, const AlarmSettings& alarms) {
    settings.beginGroup(QStringLiteral("alarms"));
    settings.setValue(QStringLiteral("rules"), alarms.rules);
    settings.setValue(QStringLiteral("sound"), alarms.sound);
    settings.endGroup();
}

RunAlarms::RunAlarms(QObject* parent)
    : QObject(parent) {}

bool RunAlarms::SetRules(const QStringList& texts, const QDateTime& now, QString* why) {
    std::vector<AlarmRule> rules;
    for (const QString& text : texts) {
        QString reason;
        std::optional<AlarmRule> rule = ParseAlarmRule(text, &reason);
        if (!rule) {
            *why = QStringLiteral("\"%1\": %2").arg(text.simplified(), reason);
            return false;
        }
        rules.push_back(std::move(*rule));
    }
    m_watch.SetRules(std::move(rules), now);
    emit Changed();
    return true;
}

QStringList RunAlarms::RuleTexts() const {
    QStringList texts;
    for (const AlarmRule& rule : m_watch.Rules())
        texts << rule.text;
    return texts;
}

void RunAlarms::Reading(const DecodedFrame& reading, const QDateTime& at) {
    const std::vector<RunEvent> events = m_watch.Reading(reading, at);
    take(events);
}

void RunAlarms::SetExpecting(bool expecting, const QDateTime& now) {
    m_watch.SetExpecting(expecting, now);
}

void RunAlarms::Tick(const QDateTime& now) {
    take(m_watch.Tick(now));
}

bool RunAlarms::AddNote(const QString& text, const QDateTime& at) {
    const RunEvent note = NoteEvent(text, at);
    if (note.note.isEmpty())
        return false;
    take({note});
    return true;
}

void RunAlarms::Restore(const RunEvent& event) {
    list(event);
    emit Changed();
}

void RunAlarms::take(const std::vector<RunEvent>& events) {
    if (events.empty())
        return;
    for (const RunEvent& event : events) {
        list(event);
        emit EventHappened(event);
    }
    emit Changed();
}

void RunAlarms::list(const RunEvent& event) {
    if (m_events.size() >= kListedEvents)
        m_events.erase(m_events.begin());
    m_events.push_back(event);
}
