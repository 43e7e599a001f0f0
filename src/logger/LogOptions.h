#pragma once

#include "alarms/AlarmRule.h"
#include "state/Durations.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <optional>
#include <vector>

enum class LogFormat { Csv, Jsonl };

// What a run of the logger does, as its command line says.
struct LogOptions {
    QString port;   // the meter's port; empty: the bridge is looked for
    QString output; // the file to write; empty: standard output
    bool append = false;
    LogFormat format = LogFormat::Csv;
    std::optional<qint64> count;      // readings to write before ending
    std::optional<qint64> durationMs; // how long to run
    bool quiet = false;
    std::vector<AlarmRule> alarms; // --alarm, in the order given
    QString onAlarm;               // --on-alarm: the program run when an alarm is raised
};

// The logger's command line: the options declared on parser, and read back once it has parsed
// the arguments. --help and --version are the parser's own.
class LogCommandLine {
public:
    LogCommandLine();

    QCommandLineParser parser;

    // After parser.parse(): the options, or nothing with what is wrong in *error.
    std::optional<LogOptions> Read(QString* error) const;

private:
    QCommandLineOption m_port;
    QCommandLineOption m_output;
    QCommandLineOption m_append;
    QCommandLineOption m_format;
    QCommandLineOption m_count;
    QCommandLineOption m_duration;
    QCommandLineOption m_quiet;
    QCommandLineOption m_alarm;
    QCommandLineOption m_onAlarm;
};
