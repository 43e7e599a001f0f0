// The installed programs run with no display at all, as from a terminal on a server or in a
// package build: --help and --version print and exit 0, and the windowed program, started without
// a display, says so and exits instead of aborting.

#include <QProcess>
#include <QTest>

namespace {

struct Run {
    QProcess::ExitStatus status;
    int code;
    QString out;
    QString err;
};

Run runWithoutDisplay(const QString& program, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        process.kill();
    return {process.exitStatus(), process.exitCode(),
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void withoutDisplay_data();
    void withoutDisplay();
};

void CommandLineTest::withoutDisplay_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");    // whole standard output, or its lines that must appear
    QTest::addColumn<QString>("errHas"); // a part of the error output ("" for none at all)

    const QString app = QStringLiteral(VANTELLO_PROGRAM);
    const QString sim = QStringLiteral(METER_SIM_PROGRAM);
    const QString version = QStringLiteral(PROJECT_VERSION);
    QTest::newRow("vantello --version")
        << app << QStringList{"--version"} << 0 << "=Vantello " + version + "\n"
        << "";
    QTest::newRow("vantello -v") << app << QStringList{"-v"} << 0 << "=Vantello " + version + "\n"
                                 << "";
    QTest::newRow("vantello --help, other options too")
        << app << QStringList{"--demo", "--help"} << 0
        << "Usage: " + app + " [options]\n|  -v, --version|  --demo"
        << "";
    QTest::newRow("vantello -h") << app << QStringList{"-h"} << 0 << "|  -h, --help"
                                 << "";
    QTest::newRow("simulator --version")
        << sim << QStringList{"--version"} << 0 << "=vantello-meter-sim " + version + "\n"
        << "";
    // -v stays --verbose in the simulator.
    QTest::newRow("simulator --help")
        << sim << QStringList{"--help"} << 0 << "|  --version|  -v, --verbose|  -r, --rate <frames>"
        << "";
    QTest::newRow("vantello without a display") << app << QStringList{} << 1 << "="
                                                << "no display to show the windows on";
    QTest::newRow("vantello --demo without a display") << app << QStringList{"--demo"} << 1 << "="
                                                       << "no display to show the windows on";
}

void CommandLineTest::withoutDisplay() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, errHas);

    const Run run = runWithoutDisplay(program, arguments);
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.code, exitCode);
    if (out.startsWith(QLatin1Char('=')))
        QCOMPARE(run.out, out.mid(1));
    else
        for (const QString& line : out.split(QLatin1Char('|'), Qt::SkipEmptyParts))
            QVERIFY2(run.out.contains(line), qPrintable(line + QStringLiteral(" in:\n") + run.out));
    if (errHas.isEmpty())
        QCOMPARE(run.err, QString());
    else
        QVERIFY2(run.err.contains(errHas), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
