// vantello-log: the meter's readings, one line each as they arrive, to a file or standard output;
// no windows (Qt Core and Qt Serial Port only), for long unattended runs.

#include "link/DeviceSerialPort.h"
#include "link/NetworkPortPlatform.h"
#include "link/NetworkSerialPort.h"
#include "link/RoutedSerialPort.h"
#include "link/SystemPortPlatform.h"
#include "logger/LogConsole.h"
#include "logger/LogOptions.h"
#include "logger/LogOutput.h"
#include "logger/LogPlatform.h"
#include "logger/LogSession.h"
#include "state/CommandLineAnswers.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

int usageError(const QString& text) {
    std::fprintf(stderr, "vantello-log: %s\nTry 'vantello-log --help' for the options.\n",
                 qPrintable(text));
    return kLogNoMeter;
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
    // Queued: a run that ends before the event loop runs still ends it.
    QObject::connect(&session, &LogSession::Finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    QObject::connect(&stopRequests, &StopRequests::Requested, &session, &LogSession::Stop);

    if (const std::optional<int> status = session.Start())
        return *status;
    const int status = QCoreApplication::exec();
    stopRequests.Finished();
    return status;
}
