#pragma once

#include "alarms/AlarmRule.h"
#include "state/Durations.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <optional>
#include <vector>

enum class LogFormat { Csv, Jsonl, Influx };

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

    // Where the readings are also sent (see remote/): a broker and the topics' prefix, and the
    // live page's address. Empty host: no MQTT; servePort -1: no page.
    QString mqttHost;
    int mqttPort = 0; // 0: the protocol's port (1883, or 8883 with a CA file)
    QString topic;
    QString mqttCredentials; // a file with the user name and password, one a line
    QString mqttCafile;      // the CA certificates that make the connection TLS
    QString serveAddress = QStringLiteral("127.0.0.1");
    int servePort = -1;
    QString token;
};

// HOST, HOST:PORT, an IPv6 address, or [IPv6]:PORT as --mqtt and --serve take them; *port is -1
// when the text names none. False, with what is wrong in *error, for a text that is none of these
// or a port beyond 0 to 65535.
bool ParseHostPort(QStringView text, QString* host, int* port, QString* error);

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
    QCommandLineOption m_mqtt;
    QCommandLineOption m_topic;
    QCommandLineOption m_mqttCredentials;
    QCommandLineOption m_mqttCafile;
    QCommandLineOption m_serve;
    QCommandLineOption m_token;
};
