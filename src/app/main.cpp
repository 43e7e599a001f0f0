#include "shell/MainMod.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
    parser.process(app);

    StartOptions options;
    options.demo = parser.isSet(demo);
    options.port = parser.value(port);
    if (options.demo && !options.port.isEmpty()) {
        std::fprintf(stderr, "vantello: --demo and --port cannot be used together\n");
        return 2;
    }
    return MainMod(options);
}
