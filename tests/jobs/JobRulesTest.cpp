// The job's rules below the window: the design schedule's rows, the tags of copies, the systems
// and their totals, the summary as CSV.

#include "jobs/JobReport.h"
#include "jobs/JobSchedule.h"
#include "support/JobFixtures.h"

#include <QTest>

namespace {

// A test as a line of words: type, shape, sizes, grid, design with unit, notes.
QString describe(const JobTest& t) {
    const TraverseSetup& s = t.setup;
    QString size;
    if (s.shape == TraverseShape::RoundDuct)
        size = QStringLiteral("D%1").arg(s.diameter);
    else if (s.shape != TraverseShape::Grille)
        size = QStringLiteral("%1x%2").arg(s.width).arg(s.height);
    const QString unit =
        DesignIsFlow(s.type) ? FlowUnitText(s.designFlowUnit) : UnitText(s.designVelocityUnit);
    QStringList words{t.people.tag, TestTypeKey(s.type), size, LengthUnitText(s.lengthUnit)};
    if (s.shape == TraverseShape::FaceGrid)
        words << QStringLiteral("%1x%2cells").arg(s.faceRows).arg(s.faceColumns);
    words << (s.designValue > 0 ? QString::number(s.designValue) + unit : QStringLiteral("-"));
    if (!t.people.notes.isEmpty())
        words << t.people.notes;
    return words.join(u' ');
}

JobTestRow row(const QString& tag, TestType type, double design, FlowUnit unit,
               std::optional<double> measured, bool standard = false) {
    JobTestRow r;
    r.tag = tag;
    r.type = type;
    r.designValue = design;
    r.designIsFlow = DesignIsFlow(type);
    r.designFlowUnit = unit;
    r.designStandard = standard;
    r.summary.measured = measured;
    if (measured)
        r.summary.measuredStandard = *measured * 0.9;
    return r;
}

} // namespace

class JobRulesTest : public QObject {
    Q_OBJECT
private slots:
    void scheduleRows_data();
    void scheduleRows();
    void nextFreeTag_data();
    void nextFreeTag();
    void systemTotals();
    void summaryCsv();
};

void JobRulesTest::scheduleRows_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("tests"); // one line each, or the errors
    QTest::newRow("heading, rectangle")
        << QByteArray("Tag,Type,Size,Design,Unit\r\nAHU-1/D1,duct,600x400,1800,m3/h\r\n")
        << "AHU-1/D1 duct 600x400 mm 1800m3/h";
    QTest::newRow("round in inches, no design")
        << QByteArray("D2,Duct traverse,D16 in,,\n") << "D2 duct D16 in -";
    QTest::newRow("grille keeps its size in the notes")
        << QByteArray("G-01,grille,600x150,120,l/s\n") << "G-01 grille  mm 120l/s Size 600x150";
    QTest::newRow("face velocity, cells of 1 ft2") << QByteArray("FH-1;fumehood;1500x700;0,5;m/s\n")
                                                   << "FH-1 fumehood 1500x700 mm 3x5cells 0.5m/s";
    QTest::newRow("quoted tag with a comma") << QByteArray("\"L2, east\",face,24x24in,100,fpm\n")
                                             << "L2, east face 24x24 in 2x2cells 100ft/m";
    QTest::newRow("every bad row named, nothing imported")
        << QByteArray("G-1,grille,,50,l/s\nG-2,louvre,,50,l/s\n\nD-3,duct,600x400,50,m/s\n"
                      "D-4,duct,5x400,50,m3/h\nFH-5,fumehood,D400,0.5,m/s\nG-6,grille,,-3,l/s\n"
                      ",grille\nG-8,grille,,,cfm\nG-9,grille,,1,l/s,extra,cells\n")
        << "Line 2: the type \"louvre\" is none of duct, grille, fumehood, cleanair, face.|"
           "Line 4: the unit \"m/s\" is not a flow unit (m3/h, l/s, m3/s, cfm), as a duct "
           "traverse needs.|"
           "Line 5: the size \"5x400\" is outside 10 to 10000 mm.|"
           "Line 6: the size \"D400\" is round, but a fume hood face needs width x height.|"
           "Line 7: the design value \"-3\" is not a number above 0.|"
           "Line 8: the tag is empty.|"
           "Line 9: the unit \"cfm\" has no design value.|"
           "Line 10: 7 cells where there are five at most (tag, type, size, design value, unit).";
}

void JobRulesTest::scheduleRows() {
    QFETCH(QByteArray, file);
    QFETCH(QString, tests);
    const ScheduleImport read = ReadDesignSchedule(file, DefaultSetup(TestType::DuctTraverse));
    QStringList got = read.errors;
    for (const JobTest& t : read.tests)
        got << describe(t);
    QCOMPARE(got.join(u'|'), tests);
}

void JobRulesTest::nextFreeTag_data() {
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("next");
    QTest::newRow("counts up, keeps zeros") << "G-03" << QStringList{"G-03"} << "G-04";
    QTest::newRow("skips taken ones") << "G-09" << QStringList{"G-09", "G-10"} << "G-11";
    QTest::newRow("the last number") << "L2-G7a" << QStringList{} << "L2-G8a";
    QTest::newRow("no number") << "Lobby" << QStringList{"Lobby", "Lobby 2"} << "Lobby 3";
}

void JobRulesTest::nextFreeTag() {
    QFETCH(QString, tag);
    QFETCH(QStringList, taken);
    QFETCH(QString, next);
    QCOMPARE(NextFreeTag(tag, taken), next);
}

void JobRulesTest::systemTotals() {
    // Flows in m3/s; designs in the unit given. AHU-1: 0.5 + 0.25 m3/s designed (1800 m3/h and
    // 250 l/s), 0.45 + 0.30 measured; its hood is counted but not added. AHU-2's only duct has
    // no measurement; G7 is a system of its own.
    const std::vector<JobTestRow> rows{
        row("AHU-1/D1", TestType::DuctTraverse, 1800, FlowUnit::CubicMetresPerHour, 0.45),
        row("AHU-2-D1", TestType::DuctTraverse, 1000, FlowUnit::CubicMetresPerHour, {}),
        row("AHU-1/G2", TestType::Grille, 250, FlowUnit::LitresPerSecond, 0.30, true),
        row("AHU-1/FH1", TestType::FumeHood, 0.5, FlowUnit::CubicMetresPerHour, 0.52),
        row("G7", TestType::Grille, 0, FlowUnit::LitresPerSecond, 0.1),
    };
    const std::vector<SystemTotal> t = SystemTotals(rows);
    QCOMPARE(t.size(), std::size_t(3));
    QCOMPARE(t[0].system, QStringLiteral("AHU-1"));
    QCOMPARE(t[0].tests, 3);
    QCOMPARE(t[0].flowTests, 2);
    QCOMPARE(t[0].unit, FlowUnit::CubicMetresPerHour);
    QCOMPARE(t[0].design, 0.75);
    QCOMPARE(t[0].measured, 0.75);
    // The grille's design is standard air: its standard flow (0.27) counts: 0.72 of 0.75.
    QCOMPARE(*t[0].percent, 96.0);
    QCOMPARE(t[1].system, QStringLiteral("AHU-2"));
    QVERIFY(!t[1].percent);
    QCOMPARE(t[2].system, QStringLiteral("G7"));
    QCOMPARE(t[2].measured, 0.1);
    QVERIFY(!t[2].percent);
}

void JobRulesTest::summaryCsv() {
    JobTestRow duct =
        row("=AHU-1/D1", TestType::DuctTraverse, 1800, FlowUnit::CubicMetresPerHour, 0.45);
    duct.summary.percentOfDesign = 90;
    duct.summary.verdict = QStringLiteral("FAIL");
    const QByteArray csv = JobSummaryCsvBytes(JobFor(QStringLiteral("Tower")), {duct});
    QVERIFY(csv.startsWith("\"Project\",\"Tower\"\r\n"));
    QVERIFY2(
        csv.contains("\"'=AHU-1/D1\",\"'=AHU-1\",\"Duct traverse\",\"1800 m3/h\",\"1620 m3/h\","
                     "\"1458 m3/h\",\"90.0 %\",\"FAIL\"\r\n"),
        csv.constData());
    QVERIFY2(
        csv.endsWith("\"'=AHU-1\",\"1\",\"1800 m3/h\",\"1620 m3/h\",\"1458 m3/h\",\"90.0 %\"\r\n"),
        csv.constData());
}

QTEST_GUILESS_MAIN(JobRulesTest)
#include "JobRulesTest.moc"
