#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <optional>

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
};

// A length of time as --duration takes it: a number of seconds, or a number followed by s, m, h
// or d ("90s", "30m", "12h", "7d", "1.5h"), in milliseconds. Nothing for any other text or for a
// length that is not above zero.
std::optional<qint64> ParseDuration(QStringView text);

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
};
