#include "logger/LogOptions.h"

#include <QFileInfo>
#include <QStandardPaths>

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
                              "export; jsonl: one JSON object per reading."),
               QStringLiteral("csv|jsonl"), QStringLiteral("csv"))
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
                QStringLiteral("program")) {
    parser.setApplicationDescription(QStringLiteral(
        "Writes every reading of a hand-held thermo-anemometer as it arrives, with its date and "
        "time, to a file or to standard output; without windows, for long unattended runs. "
        "A meter that is unplugged is waited for, and its readings are numbered on when it is "
        "back. Ctrl+C or SIGTERM ends the run with the last line complete."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(
        {m_port, m_output, m_append, m_format, m_count, m_duration, m_quiet, m_alarm, m_onAlarm});
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
    else
        return fail(QStringLiteral("--format wants csv or jsonl, not \"%1\"").arg(format));
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
    return o;
}
