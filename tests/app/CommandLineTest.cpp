// The installed programs run with no display at all, as from a terminal or in a package build:
// --help and --version print and exit 0, and the windowed program says it needs a display and
// exits instead of aborting.

#include <QProcess>
#include <QTest>

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
    QTest::addColumn<QString>("out"); // "=" and the whole output, or |-separated parts of it
    QTest::addColumn<QString>("err"); // a part of the error output, or "" for none

    const QString app = QStringLiteral(VANTELLO_PROGRAM);
    const QString sim = QStringLiteral(METER_SIM_PROGRAM);
    const QString version = QStringLiteral(PROJECT_VERSION);
    QTest::newRow("vantello --version")
        << app << QStringList{"--version"} << 0 << "=Vantello " + version + "\n"
        << "";
    QTest::newRow("vantello --demo --help")
        << app << QStringList{"--demo", "--help"} << 0
        << "Usage: " + app +
               " [options] [FILE...]\n|  -v, --version|  --demo|Arguments:\n  FILE           Saved "
               "files to open"
        << "";
    QTest::newRow("simulator --version")
        << sim << QStringList{"--version"} << 0 << "=vantello-meter-sim " + version + "\n"
        << "";
    QTest::newRow("simulator --help, -v stays --verbose")
        << sim << QStringList{"--help"} << 0 << "  --version|  -v, --verbose"
        << "";
    QTest::newRow("vantello") << app << QStringList{} << 1 << "="
                              << "no display to show the windows on";
}

void CommandLineTest::withoutDisplay() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    const QString said = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (out.startsWith(QLatin1Char('=')))
        QCOMPARE(said, out.mid(1));
    else
        for (const QString& line : out.split(QLatin1Char('|')))
            QVERIFY2(said.contains(line), qPrintable(line + QStringLiteral(" not in:\n") + said));
    const QString complaint = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(err.isEmpty() ? complaint.isEmpty() : complaint.contains(err), qPrintable(complaint));
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
