#include "recovery/EarlierRuns.h"
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
    const QCommandLineOption noRecovery(
        QStringLiteral("no-recovery"),
        QStringLiteral("Keep no recovery log. Without this option every reading is also written "
                       "to a recovery log in %1, from which the readings of a run that did not "
                       "end normally are offered back at the next start.")
            .arg(DefaultRecoveryFolder()));
    parser.addOption(noRecovery);
    parser.process(app);

    StartOptions options;
    options.demo = parser.isSet(demo);
    options.recovery = !parser.isSet(noRecovery);
    return MainMod(options);
}
