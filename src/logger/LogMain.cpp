// vantello-log: the meter's readings, one line each as they arrive, to a file or standard output;
// no windows (Qt Core and Qt Serial Port only), for long unattended runs.

#include "link/DeviceSerialPort.h"
#include "link/SystemPortPlatform.h"
#include "logger/LogConsole.h"
#include "logger/LogOptions.h"
#include "logger/LogOutput.h"
#include "logger/LogSession.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

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
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    QString error;
    const std::optional<LogOptions> options = commandLine.Read(&error);
    if (!options)
        return usageError(error);

    // A closed pipe or a file-size limit fails the write, which ends the run with its reason.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    // Ctrl+C, termination and a closed terminal end the run between two lines.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        std::perror("vantello-log: cannot set up signal handling");
        return kLogWriteFailed;
    }
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    std::signal(SIGTERM, onSignal);
    // Ignored when started so (nohup, a background job of a script): they stay ignored.
    for (const int kind : {SIGINT, SIGHUP})
        if (std::signal(kind, SIG_IGN) != SIG_IGN)
            std::signal(kind, onSignal);

    DeviceSerialPort port;
    const std::unique_ptr<PortPlatform> platform = MakeSystemPortPlatform();
    LogOutput output;
    LogConsole stderrConsole(STDERR_FILENO, ::isatty(STDERR_FILENO) == 1, options->quiet);
    LogSession session({port, *platform, output, stderrConsole}, *options);
    // Queued: a run that ends before the event loop runs still ends it.
    QObject::connect(&session, &LogSession::Finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &session, &LogSession::Stop);

    if (const std::optional<int> status = session.Start())
        return *status;
    return QCoreApplication::exec();
}
