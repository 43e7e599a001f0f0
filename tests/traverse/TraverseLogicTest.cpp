// The traverse without a display: point positions, takes, results, the saved file.

#include "traverse/ManualClock.h"

#include "link/MeterFrame.h"
#include "traverse/TraverseLogic.h"
#include "traverse/TraverseReport.h"
#include "traverse/TraverseSettings.h"

#include <QLocale>
#include <QMap>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

DecodedFrame velocity(double value, const QString& unit = QStringLiteral("m/s")) {
    DecodedFrame d;
    d.value = value;
    d.kind = ReadingKind::Velocity;
    d.unit = UnitFromText(ReadingKind::Velocity, unit);
    return d;
}

// The names, positions and depths of the points as one text per point: "A1 1.80 0.90".
QStringList describe(const TraverseSetup& s) {
    QStringList out;
    const QLocale c = QLocale::c();
    for (const TraversePoint& p : TraversePoints(s))
        out << (QStringList{p.name} + PositionTexts(s, p, c)).join(u' ');
    return out;
}

// Every pair of the two lists, line letters with the first, numbers with the second.
QStringList grid(const QStringList& across, const QStringList& depths) {
    QStringList out;
    for (int k = 0; k < across.size(); ++k)
        for (int i = 0; i < depths.size(); ++i)
            out << QStringLiteral("%1%2 %3 %4")
                       .arg(QChar(u'A' + k))
                       .arg(i + 1)
                       .arg(across[k], depths[i]);
    return out;
}

// Takes every point of the traverse in turn, one reading each of the given m/s values.
void takeAll(TraverseLogic& t, ManualClock& clock, const QList<double>& values) {
    for (double v : values) {
        QCOMPARE(t.StartTake(), TakeStart::Started);
        t.AcceptReading(velocity(v));
        clock.Advance(t.Setup().takeSeconds * 1000);
        QVERIFY(!t.Taking());
    }
}

TraverseSetup rectangle(double w, double h, LengthUnit unit = LengthUnit::Millimetres) {
    TraverseSetup s;
    s.shape = TraverseShape::RectangularDuct;
    s.lengthUnit = unit;
    s.width = w;
    s.height = h;
    return s;
}

TraverseSetup round(double d, LengthUnit unit, int points = 8, int diameters = 2) {
    TraverseSetup s;
    s.shape = TraverseShape::RoundDuct;
    s.lengthUnit = unit;
    s.diameter = d;
    s.roundPoints = points;
    s.diameters = diameters;
    return s;
}

} // namespace

class TraverseLogicTest : public QObject {
    Q_OBJECT
private slots:
    void savedSetupWithinTheBoxes_data();
    void savedSetupWithinTheBoxes();
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void pointCounts_data();
    void pointCounts();
    void depths_data();
    void depths();
    void faceGridProposal();
    void workedFlows_data();
    void workedFlows();
    void velocityUnits_data();
    void velocityUnits();
    void designVerdict_data();
    void designVerdict();
    void takeAveragesWhatArrivesInTime();
    void takesThatStoreNothing();
    void anyOrderRetakeAndSkip();
    void csvBytes();
    void typedTextsNeverRunInASpreadsheet_data();
    void typedTextsNeverRunInASpreadsheet();
};

void TraverseLogicTest::pointCounts_data() {
    QTest::addColumn<TraverseSetup>("setup");
    QTest::addColumn<int>("points");
    // Round: 6 a diameter below 10 in, then the choice of 8 or 10; 2 or 3 diameters.
    QTest::newRow("round 253 mm") << round(253, LengthUnit::Millimetres, 10) << 12;
    QTest::newRow("round 254 mm") << round(254, LengthUnit::Millimetres) << 16;
    QTest::newRow("round 9.95 in x3") << round(9.95, LengthUnit::Inches, 8, 3) << 18;
    QTest::newRow("round 10 in, 10 pts") << round(10, LengthUnit::Inches, 10) << 20;
    QTest::newRow("round 400 mm 8 x3") << round(400, LengthUnit::Millimetres, 8, 3) << 24;
    // Rectangular: 5 a side below 30 in, 6 up to 36 in, 7 above.
    QTest::newRow("rect 761 x 200 mm") << rectangle(761, 200) << 25;
    QTest::newRow("rect 762 x 200 mm") << rectangle(762, 200) << 30;
    QTest::newRow("rect 914 x 914 mm") << rectangle(914, 914) << 36;
    QTest::newRow("rect 36 x 36.05 in") << rectangle(36, 36.05, LengthUnit::Inches) << 42;
    QTest::newRow("rect 1000 x 1000 mm") << rectangle(1000, 1000) << 49;
    TraverseSetup face = rectangle(1200, 600);
    face.type = TestType::FaceGrid;
    face.shape = TraverseShape::FaceGrid;
    face.faceRows = 3;
    face.faceColumns = 4;
    QTest::newRow("face 3 x 4") << face << 12;
}

void TraverseLogicTest::pointCounts() {
    QFETCH(TraverseSetup, setup);
    QFETCH(int, points);
    QCOMPARE(int(TraversePoints(setup).size()), points);
}

void TraverseLogicTest::depths_data() {
    QTest::addColumn<TraverseSetup>("setup");
    QTest::addColumn<QStringList>("expected");
    // 24 in: 0.074 x 24 = 1.776 -> 1.80, 6.912 -> 6.90, 12, 17.088 -> 17.10, 22.224 -> 22.20.
    // 12 in: 0.888 -> 0.90, 3.456 -> 3.45, 6, 8.544 -> 8.55, 11.112 -> 11.10.
    QTest::newRow("24 x 12 in") << rectangle(24, 12, LengthUnit::Inches)
                                << grid({"1.80", "6.90", "12.00", "17.10", "22.20"},
                                        {"0.90", "3.45", "6.00", "8.55", "11.10"});
    // 32 in, six lines: 1.952, 7.52, 13.984, 18.016, 24.48, 30.048; 20 in, five depths: 1.48,
    // 5.76, 10, 14.24, 18.52; each to the nearest 0.05 in.
    QTest::newRow("32 x 20 in") << rectangle(32, 20, LengthUnit::Inches)
                                << grid({"1.95", "7.50", "14.00", "18.00", "24.50", "30.05"},
                                        {"1.50", "5.75", "10.00", "14.25", "18.50"});
    // 400 mm: 8.4, 46.8, 73.6, 138, 262, 326.4, 353.2, 392.4 mm, on each of three diameters.
    QStringList round400;
    for (const QString line : {"A", "B", "C"}) {
        const QStringList depths{"8", "47", "74", "138", "262", "326", "353", "392"};
        for (int i = 0; i < depths.size(); ++i)
            round400 << QStringLiteral("%1%2 %3").arg(line).arg(i + 1).arg(depths[i]);
    }
    QTest::newRow("400 mm round") << round(400, LengthUnit::Millimetres, 8, 3) << round400;
    // The other tables: 6 and 10 points a diameter, 7 a side.
    QTest::newRow("200 mm round") << round(200, LengthUnit::Millimetres)
                                  << QStringList{"A1 6",   "A2 27",  "A3 64",  "A4 136",
                                                 "A5 173", "A6 194", "B1 6",   "B2 27",
                                                 "B3 64",  "B4 136", "B5 173", "B6 194"};
    QStringList round1000;
    for (const QString line : {"A", "B"}) {
        const QStringList depths{"19",  "77",  "153", "217", "361",
                                 "639", "783", "847", "923", "981"};
        for (int i = 0; i < depths.size(); ++i)
            round1000 << QStringLiteral("%1%2 %3").arg(line).arg(i + 1).arg(depths[i]);
    }
    QTest::newRow("1000 mm round, 10") << round(1000, LengthUnit::Millimetres, 10) << round1000;
    QTest::newRow("1000 x 100 mm")
        << rectangle(1000, 100)
        << grid({"53", "203", "366", "500", "634", "797", "947"}, {"7", "29", "50", "71", "93"});
}

void TraverseLogicTest::depths() {
    QFETCH(TraverseSetup, setup);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(setup), expected);
}

void TraverseLogicTest::faceGridProposal() {
    // Cells no larger than one square foot: 1200 x 600 mm is 3.94 x 1.97 ft.
    const FaceGrid a = ProposedFaceGrid(1200, 600, LengthUnit::Millimetres);
    QCOMPARE(a.rows, 2);
    QCOMPARE(a.columns, 4);
    const FaceGrid b = ProposedFaceGrid(24, 12, LengthUnit::Inches); // exactly 2 x 1 ft
    QCOMPARE(b.rows, 1);
    QCOMPARE(b.columns, 2);
    TraverseSetup face = rectangle(1200, 600);
    face.type = TestType::FaceGrid;
    face.shape = TraverseShape::FaceGrid;
    face.faceRows = 2;
    face.faceColumns = 3;
    QCOMPARE(describe(face), (QStringList{"R1C1 200 150", "R1C2 600 150", "R1C3 1000 150",
                                          "R2C1 200 450", "R2C2 600 450", "R2C3 1000 450"}));
}

void TraverseLogicTest::workedFlows_data() {
    QTest::addColumn<TraverseSetup>("setup");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("mean");
    QTest::addColumn<QString>("meanText");
    QTest::addColumn<QStringList>("flows"); // m3/h, l/s, m3/s, cfm
    // 0.24 m2 at 5 m/s: 1.2 m3/s.
    QTest::newRow("600 x 400 mm at 5 m/s")
        << rectangle(600, 400) << "m/s" << 5.0 << "5.00 m/s"
        << QStringList{"4320 m3/h", "1200.0 l/s", "1.200 m3/s", "2542.7 cfm"};
    // pi x 0.127^2 = 0.050671 m2 at 6.096 m/s: 0.308891 m3/s.
    QTest::newRow("10 in round at 1200 ft/m")
        << round(10, LengthUnit::Inches) << "ft/m" << 1200.0 << "1200 ft/m"
        << QStringList{"1112 m3/h", "308.9 l/s", "0.309 m3/s", "654.5 cfm"};
}

void TraverseLogicTest::workedFlows() {
    QFETCH(TraverseSetup, setup);
    QFETCH(QString, unit);
    QFETCH(double, mean);
    QFETCH(QString, meanText);
    QFETCH(QStringList, flows);
    ManualClock clock;
    TraverseLogic t(clock);
    t.NewTraverse(setup);
    QCOMPARE(t.StartTake(), TakeStart::Started);
    t.AcceptReading(velocity(mean, unit));
    clock.Advance(10000);
    const TraverseReportData d = MakeTraverseReport(t, {}, std::nullopt, {});
    const std::vector<ResultLine> lines = ResultLines(d, QLocale());
    QStringList shown;
    for (const ResultLine& l : lines)
        if (l.label == QStringLiteral("Flow actual / std") ||
            (l.label.isEmpty() && !shown.isEmpty()))
            shown << l.text.section(QStringLiteral("   "), 0, 0); // the actual flow

    QCOMPARE(shown, flows);
    QCOMPARE(lines[1].text, meanText);
}

void TraverseLogicTest::velocityUnits_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("metresPerSecond"); // of a reading of 10
    QTest::newRow("m/s") << "m/s" << 10.0;
    QTest::newRow("km/h") << "km/h" << 2.777777777777778;
    QTest::newRow("mil/h") << "mil/h" << 4.4704;
    QTest::newRow("ft/m") << "ft/m" << 0.0508;
    QTest::newRow("ft/s") << "ft/s" << 3.048;
    QTest::newRow("knots") << "knots" << 5.144444444444445;
}

void TraverseLogicTest::velocityUnits() {
    QFETCH(QString, unit);
    QFETCH(double, metresPerSecond);
    ManualClock clock;
    TraverseLogic t(clock);
    QCOMPARE(t.StartTake(), TakeStart::Started);
    t.AcceptReading(velocity(10, unit));
    clock.Advance(10000);
    const PointMeasurement m = *t.Records()[0].taken;
    QVERIFY(qAbs(m.average - metresPerSecond) < 1e-12);
    // The results follow the meter's unit unless one is chosen.
    QCOMPARE(UnitText(t.ResultUnit()), unit);
    TraverseSetup s = t.Setup();
    s.resultUnit = MeterUnit::MetresPerSecond;
    t.ChangeSetup(s);
    QVERIFY(t.Records()[0].taken.has_value()); // the points stayed
    QCOMPARE(VelocityText(t.Results().mean, t.ResultUnit(), QLocale::c()),
             QString::number(metresPerSecond, 'f', 2));
}

void TraverseLogicTest::designVerdict_data() {
    QTest::addColumn<TraverseSetup>("setup");
    QTest::addColumn<QList<double>>("averages");
    QTest::addColumn<QString>("deviation");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QStringList>("flagged");
    // 600 x 400 mm at 5 m/s everywhere: 4320 m3/h.
    const QList<double> even(25, 5.0);
    TraverseSetup duct = rectangle(600, 400);
    duct.designValue = 4000;
    QTest::newRow("4320 for 4000: +8 %") << duct << even << "+8.0 %"
                                         << "PASS" << QStringList();
    duct.designValue = 3900;
    QTest::newRow("4320 for 3900: +10.8 %") << duct << even << "+10.8 %"
                                            << "FAIL" << QStringList();
    duct.designValue = 4800;
    QTest::newRow("4320 for 4800: -10 % exactly") << duct << even << "-10.0 %"
                                                  << "PASS" << QStringList();
    duct.designValue = 2542.7;
    duct.designFlowUnit = FlowUnit::CubicFeetPerMinute;
    duct.tolerancePercent = 5;
    QTest::newRow("in cfm") << duct << even << "0.0 %"
                            << "PASS" << QStringList();
    duct.designValue = 0;
    QTest::newRow("no design value") << duct << even << ""
                                     << "" << QStringList();

    // A face of four: mean 5, one point 25 % above it.
    TraverseSetup face = rectangle(600, 600);
    face.type = TestType::FaceGrid;
    face.shape = TraverseShape::FaceGrid;
    face.designValue = 5;
    const QList<double> oneOff{4.5, 4.5, 4.75, 6.25};
    QTest::newRow("face, one point +25 %") << face << oneOff << "0.0 %"
                                           << "FAIL" << QStringList{"R2C2"};
    face.faceFlagPercent = 30;
    QTest::newRow("face, flag at 30 %") << face << oneOff << "0.0 %"
                                        << "PASS" << QStringList();
    face.designValue = 4.4;
    QTest::newRow("face, slow") << face << oneOff << "+13.6 %"
                                << "FAIL" << QStringList();
}

void TraverseLogicTest::designVerdict() {
    QFETCH(TraverseSetup, setup);
    QFETCH(QList<double>, averages);
    QFETCH(QString, deviation);
    QFETCH(QString, verdict);
    QFETCH(QStringList, flagged);
    ManualClock clock;
    TraverseLogic t(clock);
    t.NewTraverse(setup);
    takeAll(t, clock, averages);
    const TraverseResults r = t.Results();
    QCOMPARE(r.taken, averages.size());
    QCOMPARE(Verdict(MakeTraverseReport(t, {}, std::nullopt, {}), QLocale()).Headline(), verdict);
    const std::vector<ResultLine> lines =
        ResultLines(MakeTraverseReport(t, {}, std::nullopt, {}), QLocale());
    QCOMPARE(lines.back().label == QStringLiteral("Deviation") ? lines.back().text : QString(),
             deviation);
    QStringList names;
    for (std::size_t i = 0; i < r.flagged.size(); ++i)
        if (r.flagged[i])
            names << t.Points()[i].name;
    QCOMPARE(names, flagged);
}

void TraverseLogicTest::takeAveragesWhatArrivesInTime() {
    ManualClock clock;
    TraverseLogic t(clock);
    TraverseSetup s = rectangle(600, 400);
    s.takeSeconds = 3;
    t.NewTraverse(s);
    QSignalSpy ended(&t, &TraverseLogic::TakeEnded);
    QCOMPARE(t.StartTake(), TakeStart::Started);
    QCOMPARE(t.StartTake(), TakeStart::Taking); // one at a time
    QCOMPARE(t.SecondsLeft(), 3);
    t.AcceptReading(velocity(4.0));
    clock.Advance(1500);
    QCOMPARE(t.SecondsLeft(), 2);
    t.AcceptReading(velocity(6.5));
    t.AcceptReading(velocity(5.0));
    QCOMPARE(t.TakeCount(), 3);
    QVERIFY(qAbs(t.TakeAverage() - 15.5 / 3) < 1e-12);
    clock.now += 1499; // 2999 ms: not yet
    t.AcceptReading(velocity(5.5));
    QVERIFY(t.Taking());
    clock.now += 1; // 3000 ms: a reading arriving now is too late, the take ends first
    t.AcceptReading(velocity(100));
    QVERIFY(!t.Taking());
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended[0][0].value<TakeEnd>(), TakeEnd::Stored);
    const PointMeasurement& m = *t.Records()[0].taken;
    QCOMPARE((QList<double>{m.average, m.minimum, m.maximum, double(m.count)}),
             (QList<double>{5.25, 4.0, 6.5, 4}));
    QCOMPARE(t.Current(), 1);
    QVERIFY(!clock.ticking);
}

void TraverseLogicTest::takesThatStoreNothing() {
    ManualClock clock;
    TraverseLogic t(clock);
    QSignalSpy ended(&t, &TraverseLogic::TakeEnded);
    DecodedFrame flow = velocity(12);
    flow.kind = ReadingKind::Flow;
    flow.unit = MeterUnit::CubicMetresPerMinute;
    DecodedFrame unknown = velocity(3);
    unknown.kind = ReadingKind::Unknown;
    unknown.unit.reset();

    QCOMPARE(t.StartTake(), TakeStart::Started);
    t.AcceptReading(velocity(5));
    t.AcceptReading(flow);
    QCOMPARE(t.StartTake(), TakeStart::Started);
    t.AcceptReading(unknown);
    QCOMPARE(t.StartTake(), TakeStart::Started);
    clock.Advance(9999);
    QVERIFY(t.Taking());
    clock.Advance(1); // the take time is over without a reading
    QCOMPARE(t.StartTake(), TakeStart::Started);
    t.AcceptReading(velocity(5));
    t.CancelTake();

    QCOMPARE(ended.size(), 4);
    const TakeEnd ends[] = {TakeEnd::FlowReading, TakeEnd::UnknownUnit, TakeEnd::NoReading,
                            TakeEnd::Cancelled};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(ended[i][0].value<TakeEnd>(), ends[i]);
    QVERIFY(TakeEndMessage(TakeEnd::FlowReading).contains(QStringLiteral("FLOW")));
    QVERIFY(TakeEndMessage(TakeEnd::NoReading).contains(QStringLiteral("No reading")));
    QVERIFY(TakeEndMessage(TakeEnd::Cancelled).isEmpty());
    QVERIFY(!t.AnyRecorded());
    QCOMPARE(t.Current(), 0);
    QVERIFY(!clock.ticking);
}

void TraverseLogicTest::anyOrderRetakeAndSkip() {
    ManualClock clock;
    TraverseLogic t(clock);
    TraverseSetup s = round(200, LengthUnit::Millimetres); // A1 ... A6, B1 ... B6
    t.NewTraverse(s);
    t.Select(10); // B5
    takeAll(t, clock, {4.0});
    QCOMPARE(t.Current(), 11); // B6
    takeAll(t, clock, {6.0});
    QCOMPARE(t.Current(), 0); // from the top: A1 is the next open point
    t.ToggleSkip();           // A1 left out
    QCOMPARE(t.Current(), 1);
    t.Select(10);
    takeAll(t, clock, {5.0}); // B5 again
    QCOMPARE(t.Current(), 1);
    TraverseResults r = t.Results();
    QCOMPARE(r.taken, 2);
    QCOMPARE(r.skipped, 1);
    QCOMPARE(r.mean, 5.5);
    QCOMPARE(t.Points()[std::size_t(r.lowest)].name, QStringLiteral("B5"));
    QCOMPARE(t.Points()[std::size_t(r.highest)].name, QStringLiteral("B6"));
    QCOMPARE(VelocityText(r.deviation, MeterUnit::MetresPerSecond, QLocale::c()), "0.71");
    // A skipped point taken again is back in; the setup cannot change under taken points.
    t.Select(0);
    takeAll(t, clock, {7.0});
    QCOMPARE(t.Results().taken, 3);
    s.diameter = 500;
    t.ChangeSetup(s);
    QVERIFY(!t.AnyRecorded());
    QCOMPARE(int(t.Points().size()), 16);
}

void TraverseLogicTest::csvBytes() {
    ManualClock clock;
    TraverseLogic t(clock);
    t.SetWallClock(
        [&clock] { return QDateTime(QDate(2026, 12, 9), QTime(10, 0)).addMSecs(clock.now); });
    TraverseSetup s = rectangle(1200, 600);
    s.type = TestType::FaceGrid;
    s.shape = TraverseShape::FaceGrid;
    s.faceRows = 2;
    s.faceColumns = 3;
    s.takeSeconds = 5;
    s.designValue = 5;
    t.NewTraverse(s);
    const QList<QList<double>> readings{{4.4, 4.6}, {4.5}, {4.75}, {6.0, 6.5}, {}, {5.0}};
    for (const QList<double>& point : readings) {
        if (point.isEmpty()) {
            t.ToggleSkip();
            continue;
        }
        QCOMPARE(t.StartTake(), TakeStart::Started);
        for (double v : point)
            t.AcceptReading(velocity(v));
        clock.Advance(5000);
    }
    TestPeople people;
    people.location = QString::fromUtf8("Büro 2, hood \"A\"");
    people.technician = QStringLiteral("J. Doe");
    const TraverseReportData d = MakeTraverseReport(
        t, people, std::nullopt, QDateTime(QDate(2026, 12, 9), QTime(10, 11, 12)));
    // Mean of 4.5, 4.5, 4.75, 6.25 and 5: 5.0; R2C1 is 25 % above it, R1C1 10 % below. 0.72 m2
    // at 5 m/s is 3.6 m3/s = 12960 m3/h = 7628.0 cfm; the deviation is sqrt(2.125 / 4) = 0.7289.
    // Dry air at 20 degC and 101.325 kPa: 101325 / (287.058 x 293.15) = 1.20409 kg/m3, so the
    // standard flow is 3.6 x 1.20409 / 1.204 = 3.60025 m3/s: 12961 m3/h, 3600.3 l/s, 7628.5 cfm.
    // Points end every 5 s from 10:00:01 on the take clock.
    const QByteArray expected =
        "\"Face Grid Report\"\r\n"
        "\"Project\",\"\"\r\n"
        "\"System / terminal\",\"\"\r\n"
        "\"Location\",\"B\xFC"
        "ro 2, hood \"\"A\"\"\"\r\n"
        "\"Technician\",\"J. Doe\"\r\n"
        "\"Taken\",\"2026-12-09 10:00:06 to 2026-12-09 10:00:26\"\r\n"
        "\"Notes\",\"\"\r\n"
        "\"Test\",\"Face grid\"\r\n"
        "\"Cross-section\",\"Face grid\"\r\n"
        "\"Setup\",\"Face 1200 x 600 mm, grid of 2 x 3 = 6 points\"\r\n"
        "\"Width (mm)\",1200\r\n"
        "\"Height (mm)\",600\r\n"
        "\"Rows\",2\r\n"
        "\"Columns\",3\r\n"
        "\"Velocity unit\",\"m/s\"\r\n"
        "\"Take time (s)\",5\r\n"
        "\"Air density (kg/m3)\",1.2041\r\n"
        "\"Pressure\",\"101.325 kPa assumed (no pressure or altitude given)\"\r\n"
        "\"Air\",\"20.0 \xB0"
        "C, 0.0 % RH typed in (no temperature from the meter)\"\r\n"
        "\"Standard air\",\"1.204 kg/m3 (20 \xB0"
        "C, 101.325 kPa, dry)\"\r\n"
        "\"Probe\",\"vane (reads actual velocity)\"\r\n"
        "\"Design face velocity (m/s, actual)\",5.00\r\n"
        "\"Tolerance (%)\",10\r\n"
        "\"Flag above (%)\",20\r\n"
        "\r\n"
        "\"Point\",\"From left (mm)\",\"From top (mm)\",\"Average (m/s)\",\"Minimum "
        "(m/s)\",\"Maximum (m/s)\",\"Count\",\"Take time (s)\",\"Taken at\",\"Skipped\",\"From "
        "mean (%)\",\"Flagged\"\r\n"
        "\"R1C1\",200,150,4.50,4.40,4.60,2,5,\"2026-12-09 10:00:06\",\"no\",-10.0,\"no\"\r\n"
        "\"R1C2\",600,150,4.50,4.50,4.50,1,5,\"2026-12-09 10:00:11\",\"no\",-10.0,\"no\"\r\n"
        "\"R1C3\",1000,150,4.75,4.75,4.75,1,5,\"2026-12-09 10:00:16\",\"no\",-5.0,\"no\"\r\n"
        "\"R2C1\",200,450,6.25,6.00,6.50,2,5,\"2026-12-09 10:00:21\",\"no\",25.0,\"yes\"\r\n"
        "\"R2C2\",600,450,,,,0,,,\"yes\",,\"no\"\r\n"
        "\"R2C3\",1000,450,5.00,5.00,5.00,1,5,\"2026-12-09 10:00:26\",\"no\",0.0,\"no\"\r\n"
        "\r\n"
        "\"Points taken\",5\r\n"
        "\"Points skipped\",1\r\n"
        "\"Mean velocity as read (m/s)\",5.00\r\n"
        "\"Mean velocity actual (m/s)\",5.00\r\n"
        "\"Mean velocity standard (m/s)\",5.00\r\n"
        "\"Lowest point (m/s)\",\"R1C1\",4.50\r\n"
        "\"Highest point (m/s)\",\"R2C1\",6.25\r\n"
        "\"Standard deviation (m/s)\",0.73\r\n"
        "\"Coefficient of variation (%)\",14.6\r\n"
        "\"Area (m2)\",0.7200\r\n"
        "\"Actual air flow (m3/h)\",12960\r\n"
        "\"Standard air flow (m3/h)\",12961\r\n"
        "\"Actual air flow (l/s)\",3600.0\r\n"
        "\"Standard air flow (l/s)\",3600.3\r\n"
        "\"Actual air flow (m3/s)\",3.600\r\n"
        "\"Standard air flow (m3/s)\",3.600\r\n"
        "\"Actual air flow (cfm)\",7628.0\r\n"
        "\"Standard air flow (cfm)\",7628.5\r\n"
        "\"Flagged points\",1\r\n"
        "\"Deviation (%)\",0.0\r\n"
        "\"Result\",\"FAIL\"\r\n"
        "\"Passed\",\"mean velocity 5.00 m/s within +-10 % of the design 5.00 m/s\"\r\n"
        "\"Failed\",\"uniformity: 1 point more than 20 % from the mean (R2C1, +25.0 %)\"\r\n"
        "\"Skipped\",\"R2C2\"\r\n"
        "\"Signature\",\"\"\r\n";
    // Numbers keep their full stop whatever the user's locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QByteArray bytes = TraverseCsvBytes(d);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(bytes, expected);
}

void TraverseLogicTest::typedTextsNeverRunInASpreadsheet_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("cell");
    QTest::newRow("=") << "=HYPERLINK(\"http://x\")"
                       << QByteArray("\"'=HYPERLINK(\"\"http://x\"\")\"");
    QTest::newRow("+") << "+1+1" << QByteArray("\"'+1+1\"");
    QTest::newRow("-") << "-2+3" << QByteArray("\"'-2+3\"");
    QTest::newRow("@") << "@SUM(A1)" << QByteArray("\"'@SUM(A1)\"");
    QTest::newRow("tab") << "\t=1" << QByteArray("\"'\t=1\"");
    QTest::newRow("CR") << "\r=1" << QByteArray("\"'\r=1\"");
    QTest::newRow("inside") << "Hall 2 = west" << QByteArray("\"Hall 2 = west\"");
    QTest::newRow("cells") << "x\",\"=1+1" << QByteArray("\"x\"\",\"\"=1+1\"");
}

void TraverseLogicTest::typedTextsNeverRunInASpreadsheet() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, cell);
    ManualClock clock;
    TraverseLogic t(clock);
    t.NewTraverse(rectangle(1200, 600));
    const QDateTime when(QDate(2026, 12, 9), QTime(10, 11, 12));
    TestPeople people;
    people.location = typed;
    people.technician = typed;
    const QByteArray bytes = TraverseCsvBytes(MakeTraverseReport(t, people, std::nullopt, when));
    QVERIFY2(bytes.contains("\"Location\"," + cell + "\r\n\"Technician\"," + cell + "\r\n"),
             bytes.left(120).constData());
}

void TraverseLogicTest::savedSetupWithinTheBoxes_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<double>("loaded");
    // A duct traverse in millimetres: the boxes take 10 to 10000 mm and a design value up to
    // ten million; anything else reads as the default, so the logic never computes with a value
    // the window cannot show.
    QTest::newRow("diameter below the box") << "diameter"
                                            << "0.001" << 400.0;
    QTest::newRow("diameter at the least") << "diameter"
                                           << "10" << 10.0;
    QTest::newRow("width above the box") << "width"
                                         << "1e9" << 600.0;
    QTest::newRow("width at the most") << "width"
                                       << "10000" << 10000.0;
    QTest::newRow("height not a number") << "height"
                                         << "nan" << 400.0;
    QTest::newRow("design value far above") << "designValue"
                                            << "1e300" << 0.0;
    QTest::newRow("design value negative") << "designValue"
                                           << "-3" << 0.0;
    QTest::newRow("design value kept") << "designValue"
                                       << "2300" << 2300.0;
}

void TraverseLogicTest::savedSetupWithinTheBoxes() {
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(double, loaded);
    QTemporaryDir dir;
    QSettings settings(dir.filePath("s.ini"), QSettings::IniFormat);
    settings.setValue("traverse/" + key, stored);
    const TraverseSetup t = LoadTraverseSetup(settings);
    const QMap<QString, double> fields{{"diameter", t.diameter},
                                       {"width", t.width},
                                       {"height", t.height},
                                       {"designValue", t.designValue}};
    QCOMPARE(fields.value(key), loaded);
}

QTEST_GUILESS_MAIN(TraverseLogicTest)
#include "TraverseLogicTest.moc"
