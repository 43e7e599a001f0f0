#include "logger/LogRows.h"

#include "alarms/RunEvent.h"
#include "link/MeterFrame.h"
#include "reports/CsvExportWriter.h"
#include "state/SystemTexts.h"

namespace {

// A JSON string, or null for a text that is absent.
void appendJson(QString& out, const std::optional<QString>& text) {
    if (!text) {
        out += QLatin1String("null");
        return;
    }
    out += u'"';
    for (const QChar c : *text) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c.unicode() < 0x20) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += u'"';
}

void appendField(QString& out, const char* name, const QString& value) {
    out += QLatin1String(out.isEmpty() ? "{\"" : ",\"");
    out += QLatin1String(name);
    out += QLatin1String("\":");
    out += value;
}

void appendField(QString& out, const char* name, const std::optional<QString>& text) {
    QString value;
    appendJson(value, text);
    appendField(out, name, value);
}

std::optional<QString> present(const QString& text, bool present) {
    return present ? std::optional<QString>(text) : std::nullopt;
}

} // namespace

QByteArray LogHeading(LogFormat format) {
    if (format == LogFormat::Jsonl)
        return {};
    return QString::fromUtf16(kCsvExportHeading).toUtf8() + '\n';
}

QByteArray LogLine(LogFormat format, qint64 no, const DecodedFrame& reading, const QDateTime& at) {
    const QString time = IsoInstantText(at);
    if (format == LogFormat::Csv)
        return CsvExportRow(no, reading.trhText, reading.value,
                            reading.UnitText().value_or(QString()), time)
                   .toUtf8() +
               '\n';
    QString out;
    appendField(out, "no", QString::number(no));
    appendField(out, "time", std::optional<QString>(time));
    appendField(out, "value", FullStopNumberText(reading.value));
    appendField(out, "data", std::optional<QString>(reading.dataText));
    appendField(out, "unit", reading.UnitText());
    appendField(out, "kind", reading.KindLabel());
    appendField(out, "mode", reading.modeLabel);
    appendField(out, "temperature", FullStopNumberText(reading.temperature));
    appendField(out, "temperature_unit", reading.temperatureUnit);
    appendField(out, "humidity", FullStopNumberText(reading.humidity));
    appendField(out, "trh", std::optional<QString>(reading.trhText));
    out += u'}';
    return out.toUtf8() + '\n';
}

QByteArray LogEventLine(LogFormat format, const RunEvent& event) {
    const bool note = event.kind == RunEventKind::Note;
    const QString time = IsoInstantText(event.at);
    const QString value = event.value ? EventNumberText(*event.value) : QString();
    if (format == LogFormat::Csv)
        return EventsCsvRow(event);
    QString out;
    appendField(out, "event", std::optional<QString>(event.KindText()));
    appendField(out, "time", std::optional<QString>(time));
    appendField(out, "change", present(event.ChangeText(), !note));
    appendField(out, "rule", present(event.rule, !note));
    appendField(out, "quantity", present(event.quantity, !note));
    appendField(out, "value", event.value ? value : QStringLiteral("null"));
    appendField(out, "unit", present(event.unit, !note));
    appendField(out, "note", present(event.note, note));
    out += u'}';
    return out.toUtf8() + '\n';
}

QByteArray LogEventsHeading() {
    return EventsCsvHeading();
}

QString EventsFilePath(const QString& output) {
    return output + QStringLiteral(".events.csv");
}
