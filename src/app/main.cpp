#include "recovery/EarlierRuns.h"
#include "shell/MainMod.h"
#include "state/CommandLineAnswers.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// --help and --version print and exit before the windows' application exists, so they need no
// display. A Windows program without a console window (vantello.exe) started from a command
// prompt answers in the prompt's console; output redirected to a file or a pipe stays where it
// goes. Started with no console at all, Qt's message box answers. Everything else on the command
// line is read by the windows' application.
void answerWithoutDisplay(QCommandLineParser& parser, int argc, char** argv) {
    QCoreApplication app(argc, argv);
    parser.parse(QCoreApplication::arguments());
    if (!parser.isSet(QStringLiteral("help")) && !parser.isSet(QStringLiteral("version")))
        return;
#ifdef Q_OS_WIN
    if (GetStdHandle(STD_OUTPUT_HANDLE) == nullptr) {
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            parser.process(app); // the message box, then exit
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
    if (AnswerHelpOrVersion(parser))
        std::exit(0);
}

// Without a display (and without -platform or QT_QPA_PLATFORM naming another way to show
// windows) the windows' application would abort; say so and what to do instead.
bool displayExpected(int argc, char** argv) {
#ifdef Q_OS_WIN
    // Windows always has its desktop.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#else
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    return false;
#endif
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
                       "or a name such as ttyUSB0; COM4 on Windows), or to a network serial "
                       "bridge (tcp:HOST:PORT), instead of looking for the meter's USB bridge."),
        QStringLiteral("path"));
    parser.addOption(port);
    const QCommandLineOption noRecovery(
        QStringLiteral("no-recovery"),
        QStringLiteral("Keep no recovery log. Without this option every reading is also written "
                       "to a recovery log in %1, from which the readings of a run that did not "
                       "end normally are offered back at the next start.")
            .arg(QDir::toNativeSeparators(DefaultRecoveryFolder())));
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
