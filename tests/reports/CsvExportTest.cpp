#include "reports/CsvExportWriter.h"
#include "state/GVarMod.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class CsvExportTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void headingAndRows();
    void writesFileAsNamed();
    void textsStayInTheirCells_data();
    void textsStayInTheirCells();
};

void CsvExportTest::headingAndRows() {
    GVarMod s;
    QCOMPARE(CsvExportBytes(s), QByteArray("\"NO.\",\"T&RH\",\"DATA\",\"UNIT\",\"TIME\"\r\n"));
    QCOMPARE(CsvExportBytes(s).size(), 33 + 2);

    Reading& r = s.AppendRecord();
    r.TRH = QString::fromUtf8(" 23,5°C 45,6%");
    r.Value = 123 / 100.0;
    r.Data = QStringLiteral("1,23"); // the display text is not what the export writes
    r.Unit = QStringLiteral("m/s");
    r.Time = QStringLiteral("06.05.14\\10:11:12");
    Reading& r2 = s.AppendRecord();
    r2.TRH = QString::fromUtf8("DP-5.2°F 60%");
    r2.Value = 1234;
    r2.Unit = QStringLiteral("CFM");
    Reading& r3 = s.AppendRecord();
    r3.Value = 45 / 100.0;

    const QList<QByteArray> lines = CsvExportBytes(s).split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[1], QByteArray("1,\" 23,5\xB0"
                                  "C 45,6%\",1.23,\"m/s\",\"06.05.14\\10:11:12\"\r"));
    QCOMPARE(lines[2], QByteArray("2,\"DP-5.2\xB0"
                                  "F 60%\",1234,\"CFM\",\"\"\r"));
    QCOMPARE(lines[3], QByteArray("3,\"\",0.45,\"\",\"\"\r"));
    QVERIFY(lines[4].isEmpty());
}

void CsvExportTest::writesFileAsNamed() {
    GVarMod s;
    s.AppendRecord().Value = 7;
    QTemporaryDir dir;
    const QString path = dir.filePath("export"); // no extension is added
    QVERIFY(WriteCsvExport(s, path));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), CsvExportBytes(s));
    QString error;
    QVERIFY(!WriteCsvExport(s, "/nonexistent-dir/x.csv", &error));
    QVERIFY(!error.isEmpty());
}

void CsvExportTest::textsStayInTheirCells_data() {
    // A text read back from a crafted recovery log: quotation marks doubled, line ends inside the
    // cell's quotes; outside Windows-1252 its nearest plain form, else "?".
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("cell");
    QTest::newRow("cells") << "x\",\"=1+1" << QByteArray("\"x\"\",\"\"=1+1\"");
    QTest::newRow("rows") << "a\r\n9,\"x" << QByteArray("\"a\r\n9,\"\"x\"");
    QTest::newRow("meter text") << QString::fromUtf8(" -5.2°C 45.6%")
                                << QByteArray("\" -5.2\xB0"
                                              "C 45.6%\"");
    QTest::newRow("marks dropped") << QString::fromUtf8("Łódź Đakovo Şişli")
                                   << QByteArray("\"L\xF3"
                                                 "dz Dakovo Sisli\"");
    QTest::newRow("in the code page")
        << QString::fromUtf8("€ Œ ü") << QByteArray("\"\x80 \x8C \xFC\"");
    QTest::newRow("no plain form") << QString::fromUtf8("温度 ✓ 😀") << QByteArray("\"?? ? ?\"");
}

void CsvExportTest::textsStayInTheirCells() {
    QFETCH(QString, text);
    QFETCH(QByteArray, cell);
    GVarMod s;
    Reading& r = s.AppendRecord();
    r.TRH = text;
    r.Unit = text;
    r.Time = text;
    r.Value = 2;
    QCOMPARE(CsvExportBytes(s).split('\n').mid(1).join('\n'),
             "1," + cell + ",2," + cell + ',' + cell + "\r\n");
}

QTEST_GUILESS_MAIN(CsvExportTest)
#include "CsvExportTest.moc"
