#include "shell/MainMod.h"

#include <QApplication>
#include <QCommandLineParser>

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
    parser.process(app);

    StartOptions options;
    options.demo = parser.isSet(demo);
    return MainMod(options);
}
