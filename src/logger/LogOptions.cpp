#include "logger/LogOptions.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

// A port number from 0 to 65535 written in at most five digits, or nothing.
std::optional<int> portNumber(QStringView text) {
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const int value = text.toInt();
    return value <= 65535 ? std::optional<int>(value) : std::nullopt;
}

} // namespace

bool ParseHostPort(QStringView text, QString* host, int* port, QString* error) {
    text = text.trimmed();
    QStringView name = text;
    QStringView number;
    bool hasPort = false;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0) {
            *error = QStringLiteral("\"%1\" has no ] after the address").arg(text);
            return false;
        }
        name = text.mid(1, close - 1);
        const QStringView rest = text.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(u':')) {
                *error = QStringLiteral("\"%1\" wants :PORT after the ]").arg(text);
                return false;
            }
            number = rest.mid(1);
            hasPort = true;
        }
    } else if (text.count(u':') == 1) {
        // One colon: a name and a port. More: an IPv6 address without one.
        const qsizetype colon = text.indexOf(u':');
        name = text.left(colon);
        number = text.mid(colon + 1);
        hasPort = true;
    }
    if (name.isEmpty()) {
        *error = QStringLiteral("\"%1\" names no host").arg(text);
        return false;
    }
    *port = -1;
    if (hasPort) {
        const std::optional<int> value = portNumber(number);
        if (!value) {
            *error =
                QStringLiteral("\"%1\" wants a port from 0 to 65535 after the colon").arg(text);
            return false;
        }
        *port = *value;
    }
    *host = name.toString();
    return true;
}

LogCommandLine::LogCommandLine()
    : m_port(QStringLiteral("port"),
             QStringLiteral("Read the meter on this serial port (a device path such as "
                            "/dev/ttyUSB0, or a name such as ttyUSB0; COM4 on Windows), or "
                            "behind a network serial bridge (tcp:HOST:PORT). Without it the "
                            "meter's USB bridge is looked for."),
             QStringLiteral("path"))
    , m_output({QStringLiteral("o"), QStringLiteral("output")},
               QStringLiteral("Write the readings to this file instead of standard output. The "
                              "file is created, or replaced as a whole at the start."),
               QStringLiteral("file"))
    , m_append({QStringLiteral("a"), QStringLiteral("append")},
               QStringLiteral("Add to the end of the output file instead of replacing it; the "
                              "heading is written only into an empty file."))
    , m_format({QStringLiteral("f"), QStringLiteral("format")},
               QStringLiteral("csv (the default): the comma-separated form of the program's "
                              "export; jsonl: one JSON object per reading; influx: the line "
                              "protocol of time-series stores (measurement vantello)."),
               QStringLiteral("csv|jsonl|influx"), QStringLiteral("csv"))
    , m_count({QStringLiteral("n"), QStringLiteral("count")},
              QStringLiteral("Stop after this many readings."), QStringLiteral("N"))
    , m_duration({QStringLiteral("d"), QStringLiteral("duration")},
                 QStringLiteral("Stop after this long, time spent waiting for an unplugged meter "
                                "included: seconds, or a number with s, m, h or d (90s, 30m, 12h, "
                                "7d)."),
                 QStringLiteral("time"))
    , m_quiet({QStringLiteral("q"), QStringLiteral("quiet")},
              QStringLiteral("No status line and no notices on standard error; errors are "
                             "still reported."))
    , m_alarm(QStringLiteral("alarm"),
              QStringLiteral("Raise an alarm by this rule (repeatable): \"velocity < 2.5 m/s for "
                             "30s hysteresis 0.2\" (velocity, flow, temperature or humidity; < "
                             "or >; a threshold and its unit; how long the condition lasts "
                             "before the alarm is raised; how far back past the threshold the "
                             "value must come to clear it), or \"no-data 60s\" (no reading for "
                             "that long). Alarms raised and cleared are said on standard error "
                             "and written as event records: among the lines in jsonl, in "
                             "FILE.events.csv beside a csv output file."),
              QStringLiteral("rule"))
    , m_onAlarm(QStringLiteral("on-alarm"),
                QStringLiteral("Run this program (no shell, no arguments) each time an alarm is "
                               "raised, without waiting for it; the event is in its environment: "
                               "VANTELLO_EVENT, VANTELLO_CHANGE, VANTELLO_RULE, "
                               "VANTELLO_QUANTITY, VANTELLO_VALUE, VANTELLO_UNIT, VANTELLO_TIME, "
                               "VANTELLO_PORT."),
                QStringLiteral("program"))
    , m_mqtt(QStringLiteral("mqtt"),
             QStringLiteral("Also publish every reading as JSON to this MQTT broker (port 1883, "
                            "8883 with --mqtt-cafile), on PREFIX/reading; events on PREFIX/event; "
                            "PREFIX/state is online, or offline once the run ends or is lost. "
                            "The file never waits for the broker."),
             QStringLiteral("host[:port]"))
    , m_topic(QStringLiteral("topic"),
              QStringLiteral("The topics' prefix for --mqtt, such as site/ahu-3."),
              QStringLiteral("prefix"))
    , m_mqttCredentials(QStringLiteral("mqtt-credentials"),
                        QStringLiteral("Log in to the broker with the user name on the file's "
                                       "first line and the password on its second; otherwise "
                                       "VANTELLO_MQTT_USER and VANTELLO_MQTT_PASSWORD when set."),
                        QStringLiteral("file"))
    , m_mqttCafile(QStringLiteral("mqtt-cafile"),
                   QStringLiteral("Talk to the broker over TLS, trusting the certificates in "
                                  "this file."),
                   QStringLiteral("file"))
    , m_serve(QStringLiteral("serve"),
              QStringLiteral("Serve a live page of the run on this port (on 127.0.0.1 unless an "
                             "address is given): the newest reading, the last hour as a chart, "
                             "notes; /latest.json and /readings.csv?since=TIME too."),
              QStringLiteral("[address:]port"))
    , m_token(QStringLiteral("token"),
              QStringLiteral("The token the page asks of every request (as ?token=); "
                             "VANTELLO_LOG_TOKEN keeps it out of the process list. Without "
                             "either one is made and printed at the start; on 127.0.0.1 it is "
                             "asked only for notes."),
              QStringLiteral("text")) {
    parser.setApplicationDescription(QStringLiteral(
        "Writes every reading of a hand-held thermo-anemometer as it arrives, with its date and "
        "time, to a file or to standard output; without windows, for long unattended runs. "
        "A meter that is unplugged is waited for, and its readings are numbered on when it is "
        "back. Ctrl+C or SIGTERM ends the run with the last line complete."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({m_port, m_output, m_append, m_format, m_count, m_duration, m_quiet, m_alarm,
                       m_onAlarm, m_mqtt, m_topic, m_mqttCredentials, m_mqttCafile, m_serve,
                       m_token});
}

std::optional<LogOptions> LogCommandLine::Read(QString* error) const {
    const auto fail = [error](const QString& text) {
        *error = text;
        return std::nullopt;
    };
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument \"%1\"")
                        .arg(parser.positionalArguments().constFirst()));
    LogOptions o;
    o.port = parser.value(m_port);
    if (parser.isSet(m_port) && o.port.trimmed().isEmpty())
        return fail(QStringLiteral("--port wants the meter's port"));
    o.output = parser.value(m_output);
    if (parser.isSet(m_output) && o.output.isEmpty())
        return fail(QStringLiteral("--output wants a file name"));
    o.append = parser.isSet(m_append);
    const QString format = parser.value(m_format);
    if (format == u"csv")
        o.format = LogFormat::Csv;
    else if (format == u"jsonl")
        o.format = LogFormat::Jsonl;
    else if (format == u"influx")
        o.format = LogFormat::Influx;
    else
        return fail(QStringLiteral("--format wants csv, jsonl or influx, not \"%1\"").arg(format));
    if (parser.isSet(m_count)) {
        bool ok = false;
        const qint64 n = parser.value(m_count).toLongLong(&ok);
        if (!ok || n < 1)
            return fail(QStringLiteral("--count wants a whole number above 0, not \"%1\"")
                            .arg(parser.value(m_count)));
        o.count = n;
    }
    if (parser.isSet(m_duration)) {
        o.durationMs = ParseDuration(parser.value(m_duration));
        if (!o.durationMs)
            return fail(QStringLiteral("--duration wants a time above 0 such as 90, 90s, 30m, "
                                       "12h or 7d, not \"%1\"")
                            .arg(parser.value(m_duration)));
    }
    o.quiet = parser.isSet(m_quiet);
    for (const QString& text : parser.values(m_alarm)) {
        QString why;
        std::optional<AlarmRule> rule = ParseAlarmRule(text, &why);
        if (!rule)
            return fail(QStringLiteral("--alarm \"%1\" cannot be read: %2").arg(text, why));
        o.alarms.push_back(std::move(*rule));
    }
    if (parser.isSet(m_onAlarm)) {
        o.onAlarm = parser.value(m_onAlarm);
        const QString found =
            o.onAlarm.contains(u'/')
                ? (QFileInfo(o.onAlarm).isExecutable() && QFileInfo(o.onAlarm).isFile() ? o.onAlarm
                                                                                        : QString())
                : QStandardPaths::findExecutable(o.onAlarm);
        if (o.onAlarm.isEmpty() || found.isEmpty())
            return fail(QStringLiteral("--on-alarm \"%1\" is no program that can be run (a "
                                       "program's path, or a name found on PATH)")
                            .arg(o.onAlarm));
        if (o.alarms.empty())
            return fail(QStringLiteral("--on-alarm wants at least one --alarm rule"));
    }

    QString why;
    if (parser.isSet(m_mqtt)) {
        if (!ParseHostPort(parser.value(m_mqtt), &o.mqttHost, &o.mqttPort, &why) || o.mqttPort == 0)
            return fail(QStringLiteral("--mqtt wants the broker as HOST or HOST:PORT: ") +
                        (why.isEmpty() ? QStringLiteral("port 0") : why));
        o.mqttPort = std::max(o.mqttPort, 0);
        o.topic = parser.value(m_topic);
        // A prefix that subscribers can name: no wildcards, no empty level at its ends.
        if (o.topic.isEmpty() || o.topic.contains(u'+') || o.topic.contains(u'#') ||
            o.topic.startsWith(u'/') || o.topic.endsWith(u'/') || o.topic.contains(QChar()))
            return fail(QStringLiteral("--mqtt wants --topic PREFIX too, without + or # and "
                                       "without / at either end, such as site/ahu-3"));
    } else {
        for (const QCommandLineOption* alone : {&m_topic, &m_mqttCredentials, &m_mqttCafile})
            if (parser.isSet(*alone))
                return fail(
                    QStringLiteral("--%1 goes with --mqtt").arg(alone->names().constFirst()));
    }
    o.mqttCredentials = parser.value(m_mqttCredentials);
    o.mqttCafile = parser.value(m_mqttCafile);

    if (parser.isSet(m_serve)) {
        const QString serve = parser.value(m_serve).trimmed();
        if (const std::optional<int> bare = portNumber(serve))
            o.servePort = *bare;
        else if (!ParseHostPort(serve, &o.serveAddress, &o.servePort, &why) || o.servePort < 0)
            return fail(QStringLiteral("--serve wants PORT or ADDRESS:PORT, such as 8080 or "
                                       "0.0.0.0:8080, not \"%1\"")
                            .arg(serve));
    } else if (parser.isSet(m_token)) {
        return fail(QStringLiteral("--token goes with --serve"));
    }
    o.token = parser.value(m_token);
    if (parser.isSet(m_token) && o.token.size() < 8)
        return fail(QStringLiteral("--token wants at least 8 characters"));
    return o;
}
