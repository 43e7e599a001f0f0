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
    if (format != LogFormat::Csv)
        return {};
    return QString::fromUtf16(kCsvExportHeading).toUtf8() + '\n';
}

QByteArray LogLineStart(LogFormat format) {
    switch (format) {
    case LogFormat::Csv:
        return LogHeading(format);
    case LogFormat::Jsonl:
        return "{";
    case LogFormat::Influx:
        break;
    }
    return "vantello";
}

QByteArray JsonStringText(const QString& text) {
    QString out;
    appendJson(out, text);
    return out.toUtf8();
}

QString InfluxTagText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\' || c == u',' || c == u'=' || c == u' ')
            out += u'\\';
        out += c.unicode() < 0x20 || c.unicode() == 0x7f ? QChar(u'_') : c;
    }
    return out;
}

namespace {

QByteArray influxLine(const DecodedFrame& reading, const QDateTime& at, const QString& port) {
    QString out = QStringLiteral("vantello");
    const auto tag = [&out](const char* key, const std::optional<QString>& value) {
        if (value && !value->isEmpty())
            out += u',' + QLatin1String(key) + u'=' + InfluxTagText(*value);
    };
    tag("kind", reading.KindLabel());
    tag("mode", reading.modeLabel);
    tag("port", port);
    tag("temperature_unit", reading.temperatureUnit);
    tag("unit", reading.UnitText());
    out += QStringLiteral(" value=%1,temperature=%2,humidity=%3 ")
               .arg(FullStopNumberText(reading.value), FullStopNumberText(reading.temperature),
                    FullStopNumberText(reading.humidity));
    out += QString::number(at.toMSecsSinceEpoch() * 1000000) + u'\n';
    return out.toUtf8();
}

// An event among the readings' lines: the measurement vantello_event, the tags change, event,
// quantity and unit, the fields rule, value and note (texts quoted, " and \\ escaped).
QByteArray influxEventLine(const RunEvent& event) {
    QString out = QStringLiteral("vantello_event");
    const auto tag = [&out](const char* key, const QString& value) {
        if (!value.isEmpty())
            out += u',' + QLatin1String(key) + u'=' + InfluxTagText(value);
    };
    tag("change", event.ChangeText());
    tag("event", event.KindText());
    tag("quantity", event.quantity);
    tag("unit", event.unit);
    QStringList fields;
    const auto text = [&fields](const char* key, QString value) {
        if (!value.isEmpty())
            fields << QLatin1String(key) + QStringLiteral("=\"") +
                          value.replace(u'\\', QStringLiteral("\\\\"))
                              .replace(u'"', QStringLiteral("\\\"")) +
                          u'"';
    };
    text("rule", event.rule);
    if (event.value)
        fields << QStringLiteral("value=") + FullStopNumberText(*event.value);
    text("note", event.note);
    out += u' ' + fields.join(u',') + u' ' +
           QString::number(event.at.toMSecsSinceEpoch() * 1000000) + u'\n';
    return out.toUtf8();
}

} // namespace

QByteArray LogLine(LogFormat format, qint64 no, const DecodedFrame& reading, const QDateTime& at,
                   const QString& port) {
    if (format == LogFormat::Influx)
        return influxLine(reading, at, port);
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
    if (format == LogFormat::Influx)
        return influxEventLine(event);
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
