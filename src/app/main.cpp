#include "recovery/EarlierRuns.h"
#include "shell/MainMod.h"

#include <QApplication>
#include <QCommandLineParser>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// --help and --version print and exit before the windows' application exists, so they need no
// display. Everything else on the command line is read by the windows' application.
void answerWithoutDisplay(QCommandLineParser& parser, int argc, char** argv) {
    QCoreApplication app(argc, argv);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp();
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
}

// Without a display (and without -platform or QT_QPA_PLATFORM naming another way to show
// windows) the windows' application would abort; say so and what to do instead.
bool displayExpected(int argc, char** argv) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QApplication::setApplicationName(QStringLiteral("Vantello"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Desktop companion for a hand-held thermo-anemometer."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Read from a simulated meter instead of the meter's USB bridge."));
    parser.addOption(demo);
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Connect to this serial port at start (a device path such as /dev/ttyUSB0, "
                       "or a name such as ttyUSB0) instead of looking for the meter's USB bridge."),
        QStringLiteral("path"));
    parser.addOption(port);
    const QCommandLineOption noRecovery(
        QStringLiteral("no-recovery"),
        QStringLiteral("Keep no recovery log. Without this option every reading is also written "
                       "to a recovery log in %1, from which the readings of a run that did not "
                       "end normally are offered back at the next start.")
            .arg(DefaultRecoveryFolder()));
    parser.addOption(noRecovery);
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("Saved files to open in recording windows: text reports, CSV exports, "
                       "vantello-log's CSV or JSON lines, recovery logs."),
        QStringLiteral("[FILE...]"));

    answerWithoutDisplay(parser, argc, argv);
    if (!displayExpected(argc, argv)) {
        std::fprintf(stderr, "vantello: no display to show the windows on (DISPLAY is not set). "
                             "Start it from the desktop, or under xvfb-run for a virtual "
                             "display.\n");
        return 1;
    }
#ifdef SIGXFSZ
    // Past a file-size limit a write fails and says why (a saved file, the recovery log) instead
    // of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(VANTELLO_APP_ID));
    parser.process(app);

    StartOptions options;
    options.demo = parser.isSet(demo);
    options.recovery = !parser.isSet(noRecovery);
    options.port = parser.value(port);
    options.files = parser.positionalArguments();
    if (options.demo && !options.port.isEmpty()) {
        std::fprintf(stderr, "vantello: --demo and --port cannot be used together\n");
        return 2;
    }
    return MainMod(options);
}
