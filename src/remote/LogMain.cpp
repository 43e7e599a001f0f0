// vantello-log: the meter's readings, one line each as they arrive, to a file or standard output;
// no windows (Qt Core, Serial Port and Network only), for long unattended runs. Optionally also
// on a live page (--serve) and to an MQTT broker (--mqtt), which follow what the file gets.

#include "alarms/AlarmWatch.h"
#include "link/DeviceSerialPort.h"
#include "link/NetworkPortPlatform.h"
#include "link/NetworkSerialPort.h"
#include "link/RoutedSerialPort.h"
#include "link/SystemPortPlatform.h"
#include "logger/LogConsole.h"
#include "logger/LogOptions.h"
#include "logger/LogOutput.h"
#include "logger/LogPlatform.h"
#include "logger/LogRows.h"
#include "logger/LogSession.h"
#include "remote/LiveServer.h"
#include "remote/MqttPublisher.h"
#include "state/CommandLineAnswers.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <cstdio>

namespace {

int usageError(const QString& text) {
    std::fprintf(stderr, "vantello-log: %s\nTry 'vantello-log --help' for the options.\n",
                 qPrintable(text));
    return kLogNoMeter;
}

// A token nobody can guess: 128 bits from the system's random source, as hex.
QByteArray newToken() {
    QByteArray bytes(16, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), 4);
    return bytes.toHex();
}

// The live page's server, listening, or nothing with the exit status in *status.
std::unique_ptr<LiveServer> startServer(const LogOptions& options, LogConsole& console,
                                        int* status) {
    QHostAddress address;
    if (!address.setAddress(options.serveAddress)) {
        *status = usageError(QStringLiteral("--serve wants an IP address such as 127.0.0.1 or "
                                            "0.0.0.0 before the port, not \"%1\"")
                                 .arg(options.serveAddress));
        return nullptr;
    }
    LiveServerOptions serve;
    serve.address = address;
    serve.port = quint16(options.servePort);
    // Notes always need the token; everything does on an address others reach, or when the
    // user chose one.
    // --token, or VANTELLO_LOG_TOKEN, which other users cannot read in the process list.
    const QString given =
        options.token.isEmpty() ? qEnvironmentVariable("VANTELLO_LOG_TOKEN") : options.token;
    if (!given.isEmpty() && given.size() < 8) {
        *status = usageError(QStringLiteral("VANTELLO_LOG_TOKEN wants at least 8 characters"));
        return nullptr;
    }
    serve.token = given.isEmpty() ? newToken() : given.toUtf8();
    serve.tokenForAll = !address.isLoopback() || !given.isEmpty();
    auto server = std::make_unique<LiveServer>(serve);
    QString error;
    if (!server->Start(&error)) {
        console.Say(QStringLiteral("cannot serve the live page on %1 port %2: %3")
                        .arg(options.serveAddress)
                        .arg(options.servePort)
                        .arg(error));
        *status = kLogNoMeter;
        return nullptr;
    }
    const bool any = address == QHostAddress::Any || address == QHostAddress::AnyIPv4 ||
                     address == QHostAddress::AnyIPv6;
    QString host = any ? QHostInfo::localHostName() : address.toString();
    if (address.protocol() == QAbstractSocket::IPv6Protocol && !any)
        host = u'[' + host + u']';
    // Said even when quiet: without the token the page cannot be used from elsewhere.
    console.Say(QStringLiteral("live page on http://%1:%2/?token=%3")
                    .arg(host)
                    .arg(server->Port())
                    .arg(QString::fromLatin1(serve.token)));
    return server;
}

// The alarm rules and where each stands, for the live page.
QByteArray alarmStates(const AlarmWatch& alarms) {
    QJsonArray list;
    for (std::size_t i = 0; i < alarms.Rules().size(); ++i) {
        const AlarmRuleState& state = alarms.States()[i];
        QJsonObject rule{{QStringLiteral("rule"), alarms.Rules()[i].text},
                         {QStringLiteral("raised"), state.raised}};
        if (state.lastValue)
            rule.insert(QStringLiteral("value"), *state.lastValue);
        list.append(rule);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantello-log"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    LogCommandLine commandLine;
    QCommandLineParser& parser = commandLine.parser;
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (AnswerHelpOrVersion(parser))
        return 0;
    QString error;
    const std::optional<LogOptions> options = commandLine.Read(&error);
    if (!options)
        return usageError(error);

    // A closed pipe or a file-size limit fails the write, which ends the run with its reason.
    PrepareLogProcess();
    // Ctrl+C, termination and a closed terminal or console end the run between two lines.
    StopRequests stopRequests;
    if (!stopRequests.Install(&error)) {
        std::fprintf(stderr, "vantello-log: cannot set up signal handling: %s\n",
                     qPrintable(error));
        return kLogWriteFailed;
    }

    // A serial device, or a network serial bridge for a port named "tcp:HOST:PORT".
    DeviceSerialPort device;
    NetworkSerialPort network;
    RoutedSerialPort port(device, network);
    const std::unique_ptr<PortPlatform> platform =
        std::make_unique<NetworkPortPlatform>(MakeSystemPortPlatform());
    LogOutput output;
    LogConsole stderrConsole(2, StandardErrorIsConsole(), options->quiet);
    LogSession session({port, *platform, output, stderrConsole}, *options);
    std::unique_ptr<LiveServer> server;
    if (options->servePort >= 0) {
        int status = 0;
        server = startServer(*options, stderrConsole, &status);
        if (!server)
            return status;
        QObject::connect(&session, &LogSession::MeterStateChanged, server.get(),
                         [&](LogMeterState state) {
                             server->SetPort(session.Port());
                             server->SetMeterState(LogMeterStateText(state));
                         });
    }
    std::unique_ptr<MqttPublisher> mqtt;
    if (!options->mqttHost.isEmpty()) {
        MqttOptions broker{options->mqttHost,  options->mqttPort, options->topic, {}, {},
                           options->mqttCafile};
        if (!ReadMqttCredentials(options->mqttCredentials, &broker, &error))
            return usageError(error);
        mqtt = std::make_unique<MqttPublisher>(broker);
        QObject::connect(mqtt.get(), &MqttPublisher::Said, &session,
                         [&](const QString& text, bool notice) {
                             notice ? stderrConsole.Notice(text) : stderrConsole.Say(text);
                         });
        if (!mqtt->Start(&error))
            return usageError(error);
    }
    // Each event once it is in the output: on the page with the rules' states, and to the broker;
    // a note from the page is the session's like any other.
    if (server || mqtt)
        QObject::connect(&session, &LogSession::Event, &session, [&](const RunEvent& event) {
            QByteArray json = LogEventLine(LogFormat::Jsonl, event);
            json.chop(1);
            if (server) {
                server->AddEvent(json);
                server->SetAlarms(alarmStates(session.Alarms()));
            }
            if (mqtt)
                mqtt->PublishEvent(json);
        });
    if (server) {
        server->alarmsNow = [&session] {
            return alarmStates(session.Alarms());
        };
        server->onNote = [&session](const QString& text, QString*) {
            session.AddNote(text);
            return true;
        };
    }
    // Each reading once it is in the file: on the page and to the broker, neither waiting.
    if (server || mqtt)
        QObject::connect(&session, &LogSession::Logged, &session,
                         [&](qint64 no, const MeterFrame& frame, const DecodedFrame& reading,
                             const QDateTime& at) {
                             // Made here only for the broker: the page makes its own, and only
                             // while someone watches.
                             QByteArray json;
                             if (mqtt) {
                                 json = LogLine(LogFormat::Jsonl, no, reading, at);
                                 json.chop(1);
                             }
                             if (server)
                                 server->AddReading(no, frame, at, json);
                             if (mqtt)
                                 mqtt->PublishReading(json);
                         });
    // Queued: a run that ends before the event loop runs still ends it.
    QObject::connect(&session, &LogSession::Finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    QObject::connect(&stopRequests, &StopRequests::Requested, &session, &LogSession::Stop);

    const std::optional<int> started = session.Start();
    const int status = started ? *started : QCoreApplication::exec();
    // The page and the publisher go first (the broker told "offline"); the session, which ends
    // the link as it goes, reaches them no more.
    QObject::disconnect(&session, nullptr, nullptr, nullptr);
    mqtt.reset();
    server.reset();
    stopRequests.Finished();
    return status;
}
