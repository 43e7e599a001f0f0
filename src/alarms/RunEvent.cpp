#include "alarms/RunEvent.h"

#include "state/SystemTexts.h"

#include <QStringList>

#include <cmath>

QString RunEvent::KindText() const {
    return kind == RunEventKind::Note ? QStringLiteral("note") : QStringLiteral("alarm");
}

QString RunEvent::ChangeText() const {
    if (kind == RunEventKind::Note)
        return {};
    return change == AlarmChange::Raised ? QStringLiteral("raised") : QStringLiteral("cleared");
}

QString RunEvent::ValueText() const {
    if (!value)
        return {};
    const QString number = EventNumberText(*value);
    return unit.isEmpty() ? number : number + u' ' + unit;
}

QString RunEvent::Summary() const {
    if (kind == RunEventKind::Note)
        return QStringLiteral("note: ") + note;
    QString text = QStringLiteral("alarm %1: %2").arg(ChangeText(), rule);
    if (value)
        text += QStringLiteral(" (%1)").arg(ValueText());
    return text;
}

QString EventNumberText(double value) {
    return FullStopNumberText(std::round(value * 1e4) / 1e4);
}

QString NoteText(const QString& typed) {
    QString text = typed;
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c == QChar(0x7f) || c == QChar(0x2028) || c == QChar(0x2029))
            c = u' ';
    text = text.simplified();
    if (text.size() > kLongestNote) {
        text.truncate(kLongestNote);
        if (text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

RunEvent NoteEvent(const QString& typed, const QDateTime& at) {
    RunEvent event;
    event.at = at;
    event.kind = RunEventKind::Note;
    event.note = NoteText(typed);
    return event;
}

QByteArray EventsCsvHeading() {
    return QByteArrayLiteral("\"TIME\",\"EVENT\",\"CHANGE\",\"RULE\",\"QUANTITY\",\"VALUE\","
                             "\"UNIT\",\"NOTE\"\n");
}

QByteArray EventsCsvRow(const RunEvent& event) {
    const QStringList cells{CsvCellText(IsoInstantText(event.at), false),
                            CsvCellText(event.KindText(), false),
                            CsvCellText(event.ChangeText(), false),
                            CsvCellText(event.rule, true),
                            CsvCellText(event.quantity, false),
                            event.value ? EventNumberText(*event.value) : QString(),
                            CsvCellText(event.unit, false),
                            CsvCellText(event.note, true)};
    return cells.join(u',').toUtf8() + '\n';
}
