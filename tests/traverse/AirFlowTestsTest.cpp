// The air-flow tests without a display: equal-area positions, face grid proposals, air density
// and standard air, grille flow, verdicts, takes that never store a short take, instruments.
// Expected values are worked out by hand in the comments.

#include "traverse/ManualClock.h"

#include "link/MeterFrame.h"
#include "traverse/TraverseLogic.h"
#include "traverse/TraverseReport.h"
#include "traverse/TraverseSettings.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A velocity reading with the meter's plain air (or dew-point mode).
DecodedFrame reading(double value, double temperature = 20, double humidity = 0,
                     const QString& mode = QString(), const QString& unit = QStringLiteral("m/s")) {
    DecodedFrame d;
    d.value = value;
    d.kind = ReadingKind::Velocity;
    d.unit = UnitFromText(ReadingKind::Velocity, unit);
    d.modeLabel = mode;
    d.temperature = temperature;
    d.temperatureUnit = QString::fromUtf8("°C");
    d.humidity = humidity;
    return d;
}

QStringList describe(const TraverseSetup& s) {
    QStringList out;
    for (const TraversePoint& p : TraversePoints(s))
        out << (QStringList{p.name} + PositionTexts(s, p, QLocale::c())).join(u' ');
    return out;
}

// Takes every point in turn, one reading each.
void takeAll(TraverseLogic& t, ManualClock& clock, const QList<double>& values,
             double temperature = 20, double humidity = 0) {
    for (double v : values) {
        QCOMPARE(t.StartTake(), TakeStart::Started);
        t.AcceptReading(reading(v, temperature, humidity));
        clock.Advance(t.Setup().takeSeconds * 1000);
        QVERIFY(!t.Taking());
    }
}

TraverseReportData reportOf(const TraverseLogic& t) {
    return MakeTraverseReport(t, {}, std::nullopt, QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
}

} // namespace

class AirFlowTestsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void positions_data();
    void positions();
    void density_data();
    void density();
    void actualAndStandardFlow_data();
    void actualAndStandardFlow();
    void verdicts_data();
    void verdicts();
    void takesThatNeverLie();
    void instrumentsKept();
};

void AirFlowTestsTest::positions_data() {
    QTest::addColumn<TraverseSetup>("setup");
    QTest::addColumn<QStringList>("expected");
    // 400 mm round, 5 rings per radius: r_i = 200 sqrt((2i - 1) / 10) = 63.25, 109.54, 141.42,
    // 167.33, 189.74 mm; depths 200 -+ r_i: 10.26, 32.67, 58.58, 90.46, 136.75, 263.25, 309.54,
    // 341.42, 367.33, 389.74 -> to 1 mm.
    TraverseSetup round = DefaultSetup(TestType::DuctTraverse);
    round.shape = TraverseShape::RoundDuct;
    round.method = DuctMethod::EqualArea;
    round.diameter = 400;
    round.roundPoints = 10;
    const QStringList depths{"10", "33", "59", "90", "137", "263", "310", "341", "367", "390"};
    QStringList expected;
    for (const QString line : {"A", "B"})
        for (int i = 0; i < depths.size(); ++i)
            expected << QStringLiteral("%1%2 %3").arg(line).arg(i + 1).arg(depths[i]);
    QTest::newRow("equal area, 400 mm round, 5 rings") << round << expected;
    // 600 x 400 mm: 4 columns of 150 mm; 400 / 150 = 2.7 -> 3, raised to 4 for 16 points:
    // centres 75, 225, 375, 525 across and 50, 150, 250, 350 down.
    TraverseSetup rect = DefaultSetup(TestType::DuctTraverse);
    rect.method = DuctMethod::EqualArea;
    expected.clear();
    for (const auto& [k, across] : {std::pair{"A", "75"}, {"B", "225"}, {"C", "375"}, {"D", "525"}})
        for (const auto& [i, depth] : {std::pair{1, "50"}, {2, "150"}, {3, "250"}, {4, "350"}})
            expected << QStringLiteral("%1%2 %3 %4").arg(k).arg(i).arg(across, depth);
    QTest::newRow("equal area, 600 x 400 mm") << rect << expected;
    // 1500 x 100 mm: 10 cells of 150 mm would be too many, 8 at most: 187.5 mm cells.
    rect.width = 1500;
    rect.height = 100;
    QTest::newRow("equal area, at most 8 a side")
        << rect << QStringList{"A1 94 13",   "A2 94 38",   "A3 94 63",   "A4 94 88",   "B1 281 13",
                               "B2 281 38",  "B3 281 63",  "B4 281 88",  "C1 469 13",  "C2 469 38",
                               "C3 469 63",  "C4 469 88",  "D1 656 13",  "D2 656 38",  "D3 656 63",
                               "D4 656 88",  "E1 844 13",  "E2 844 38",  "E3 844 63",  "E4 844 88",
                               "F1 1031 13", "F2 1031 38", "F3 1031 63", "F4 1031 88", "G1 1219 13",
                               "G2 1219 38", "G3 1219 63", "G4 1219 88", "H1 1406 13", "H2 1406 38",
                               "H3 1406 63", "H4 1406 88"};
    // The 8-point log-Tchebycheff table is symmetric: 0.021 pairs with 0.979 (1000 mm: 979).
    TraverseSetup logT = round;
    logT.method = DuctMethod::LogTchebycheff;
    logT.diameter = 1000;
    logT.roundPoints = 8;
    expected.clear();
    for (const QString line : {"A", "B"}) {
        const QStringList d{"21", "117", "184", "345", "655", "816", "883", "979"};
        for (int i = 0; i < d.size(); ++i)
            expected << QStringLiteral("%1%2 %3").arg(line).arg(i + 1).arg(d[i]);
    }
    QTest::newRow("log-Tchebycheff 8 points, 1000 mm") << logT << expected;
    // A fume hood's sash 1500 x 700 mm in cells no larger than 1 ft2 (sides up to 304.8 mm):
    // 1500 / 304.8 = 4.9 -> 5 columns of 300 mm, 700 / 304.8 = 2.3 -> 3 rows of 233.3 mm
    // (0.07 m2): centres 150, 450, 750, 1050, 1350 across, 116.7, 350, 583.3 down.
    TraverseSetup hood = DefaultSetup(TestType::FumeHood);
    expected.clear();
    for (const auto& [r, down] : {std::pair{1, "117"}, {2, "350"}, {3, "583"}})
        for (const auto& [c, across] :
             {std::pair{1, "150"}, {2, "450"}, {3, "750"}, {4, "1050"}, {5, "1350"}})
            expected << QStringLiteral("R%1C%2 %3 %4").arg(r).arg(c).arg(across, down);
    QTest::newRow("fume hood 1500 x 700 mm") << hood << expected;
    // A clean air unit 1200 x 600 mm in cells no larger than 0.09 m2 (sides up to 300 mm):
    // exactly 4 x 2 cells of 300 mm.
    TraverseSetup unit = DefaultSetup(TestType::CleanAirUnit);
    QTest::newRow("clean air unit 1200 x 600 mm")
        << unit << QStringList{"R1C1 150 150", "R1C2 450 150", "R1C3 750 150", "R1C4 1050 150",
                               "R2C1 150 450", "R2C2 450 450", "R2C3 750 450", "R2C4 1050 450"};
    // A grille: the technician's number of readings, no positions.
    TraverseSetup grille = DefaultSetup(TestType::Grille);
    QTest::newRow("grille, 5 readings") << grille << QStringList{"P1", "P2", "P3", "P4", "P5"};
}

void AirFlowTestsTest::positions() {
    QFETCH(TraverseSetup, setup);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(setup), expected);
}

void AirFlowTestsTest::density_data() {
    QTest::addColumn<AirInputs>("inputs");
    QTest::addColumn<QString>("pressure"); // kPa, 3 decimals
    QTest::addColumn<QString>("density");  // kg/m3, 4 decimals
    AirInputs a;
    // 101.325 (1 - 2.25577e-5 x 1500)^5.25588 = 84.556 kPa; dry at 20 degC:
    // 84556 / (287.058 x 293.15) = 1.0048.
    a.pressureOrigin = PressureOrigin::Altitude;
    a.altitude = 1500;
    a.typedAir = true;
    QTest::newRow("altitude 1500 m, 20 degC, dry") << a << "84.556"
                                                   << "1.0048";
    // 4921.26 ft is 1500 m.
    a.altitude = 4921.26;
    a.altitudeUnit = AltitudeUnit::Feet;
    QTest::newRow("altitude in feet") << a << "84.556"
                                      << "1.0048";
    // 35 degC, 60 % RH: pv = 0.6 x 610.94 x exp(17.625 x 35 / 278.04) = 3370.5 Pa;
    // (101325 - 3370.5) / (287.058 x 308.15) + 3370.5 / (461.495 x 308.15) = 1.1311.
    a = AirInputs{};
    a.typedAir = true;
    a.typedTemperatureC = 35;
    a.typedHumidity = 60;
    QTest::newRow("assumed 101.325 kPa, 35 degC, 60 %") << a << "101.325"
                                                        << "1.1311";
    // 29.92 inHg x 3.386389 = 101.321 kPa; 20 degC dry: 101320.8 / 84151.05 = 1.2040.
    a = AirInputs{};
    a.typedAir = true;
    a.pressureOrigin = PressureOrigin::Measured;
    a.pressureUnit = PressureUnit::InchesOfMercury;
    a.pressure = 29.92;
    QTest::newRow("29.92 inHg") << a << "101.321"
                                << "1.2040";
    // 760 mmHg is 101.325 kPa; 1013.25 hPa too: 1.2041.
    a.pressureUnit = PressureUnit::MillimetresOfMercury;
    a.pressure = 760;
    QTest::newRow("760 mmHg") << a << "101.325"
                              << "1.2041";
    a.pressureUnit = PressureUnit::Hectopascals;
    a.pressure = 1013.25;
    QTest::newRow("1013.25 hPa") << a << "101.325"
                                 << "1.2041";
}

void AirFlowTestsTest::density() {
    QFETCH(AirInputs, inputs);
    QFETCH(QString, pressure);
    QFETCH(QString, density);
    const AirDensityUsed u = DensityFor(inputs, MeterAir{});
    QCOMPARE(QString::number(u.pressureKpa, 'f', 3), pressure);
    QCOMPARE(QString::number(u.density, 'f', 4), density);
}

void AirFlowTestsTest::actualAndStandardFlow_data() {
    QTest::addColumn<TraverseSetup>("setup");
    QTest::addColumn<double>("temperature"); // of the meter's readings
    QTest::addColumn<double>("humidity");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<double>("velocity"); // every point, m/s
    QTest::addColumn<QStringList>("expected");
    // actual velocity, standard velocity, actual m3/h, standard m3/h, standard l/s, density

    // 600 x 400 mm, vane, 5.00 m/s, altitude 1500 m, 20 degC dry (the meter's air): rho 1.0048;
    // 0.24 x 5 x 3600 = 4320 m3/h actual, x 1.0048 / 1.204 = 3605.3 m3/h = 1001.5 l/s standard.
    TraverseSetup duct = DefaultSetup(TestType::DuctTraverse);
    duct.air.pressureOrigin = PressureOrigin::Altitude;
    duct.air.altitude = 1500;
    QTest::newRow("vane at 1500 m")
        << duct << 20.0 << 0.0 << "" << 5.0
        << QStringList{"5.00", "4.17", "4320", "3605", "1001.5", "1.0048"};
    // Thermal probe, same duct, 5.00 m/s (standard), 101.325 kPa, 35 degC, 60 % RH: rho 1.1311;
    // actual 5 x 1.204 / 1.1311 = 5.322 m/s, 4598.5 m3/h; standard 4320 m3/h = 1200.0 l/s.
    duct = DefaultSetup(TestType::DuctTraverse);
    duct.air.probe = ProbeType::Thermal;
    QTest::newRow("thermal at 35 degC, 60 %")
        << duct << 35.0 << 60.0 << "" << 5.0
        << QStringList{"5.32", "5.00", "4599", "4320", "1200.0", "1.1311"};
    // The meter in dew-point mode: its temperature is no air temperature; the typed 35 degC and
    // 60 % are used instead (the meter's 10 degC would give 1.2466).
    duct.air.typedTemperatureC = 35;
    duct.air.typedHumidity = 60;
    QTest::newRow("dew-point mode: typed air")
        << duct << 10.0 << 0.0 << "DP" << 5.0
        << QStringList{"5.32", "5.00", "4599", "4320", "1200.0", "1.1311"};
    // A grille, Ak 0.0335 m2 at 3.2 m/s, standard air: 0.0335 x 3.2 = 0.1072 m3/s = 385.9 m3/h,
    // 107.2 l/s (not the gross face).
    TraverseSetup grille = DefaultSetup(TestType::Grille);
    grille.akValue = 0.0335;
    QTest::newRow("grille Ak 0.0335 m2")
        << grille << 20.0 << 0.0 << "" << 3.2
        << QStringList{"3.20", "3.20", "386", "386", "107.2", "1.2041"};
    // Ak 0.5 ft2 at 600 ft/m (3.048 m/s): 300 cfm = 0.141584 m3/s = 141.6 l/s.
    grille.akValue = 0.5;
    grille.akUnit = AreaUnit::SquareFeet;
    QTest::newRow("grille Ak 0.5 ft2")
        << grille << 20.0 << 0.0 << "" << 3.048
        << QStringList{"3.05", "3.05", "510", "510", "141.6", "1.2041"};
}

void AirFlowTestsTest::actualAndStandardFlow() {
    QFETCH(TraverseSetup, setup);
    QFETCH(double, temperature);
    QFETCH(double, humidity);
    QFETCH(QString, mode);
    QFETCH(double, velocity);
    QFETCH(QStringList, expected);
    ManualClock clock;
    TraverseLogic t(clock);
    t.NewTraverse(setup);
    for (std::size_t i = 0; i < t.Points().size(); ++i) {
        QCOMPARE(t.StartTake(), TakeStart::Started);
        t.AcceptReading(reading(velocity, temperature, humidity, mode));
        clock.Advance(setup.takeSeconds * 1000);
    }
    const TraverseResults r = t.Results();
    const QLocale c = QLocale::c();
    QCOMPARE((QStringList{VelocityText(r.actualMean, MeterUnit::MetresPerSecond, c),
                          VelocityText(r.standardMean, MeterUnit::MetresPerSecond, c),
                          FlowText(r.flow, FlowUnit::CubicMetresPerHour, c),
                          FlowText(r.standardFlow, FlowUnit::CubicMetresPerHour, c),
                          FlowText(r.standardFlow, FlowUnit::LitresPerSecond, c),
                          FixedText(r.density.density, 4, c)}),
             expected);
    QCOMPARE(r.density.airOrigin,
             mode.isEmpty() ? AirOrigin::Meter : AirOrigin::TypedMeterNotPlain);
}

void AirFlowTestsTest::verdicts_data() {
    QTest::addColumn<TraverseSetup>("setup");
    QTest::addColumn<QList<double>>("values"); // m/s per point; NaN: skipped; fewer: incomplete
    QTest::addColumn<QString>("headline");
    QTest::addColumn<QStringList>("reasons");
    const double skip = std::nan("");
    // The fume hood of 15 points, band 80 to 120 ft/min = 0.4064 to 0.6096 m/s.
    const TraverseSetup hood = DefaultSetup(TestType::FumeHood);
    QTest::newRow("hood incomplete")
        << hood << QList<double>{0.5, 0.5, 0.5} << "incomplete: 3 of 15" << QStringList();
    QTest::newRow("hood pass") << hood << QList<double>(15, 0.5) << "PASS" << QStringList();
    QTest::newRow("hood slow") << hood << QList<double>(15, 0.36) << "FAIL"
                               << QStringList{"mean velocity 0.36 m/s below the band 0.41 to "
                                              "0.61 m/s"};
    QTest::newRow("hood fast") << hood << QList<double>(15, 0.65) << "FAIL"
                               << QStringList{"mean velocity 0.65 m/s above the band 0.41 to "
                                              "0.61 m/s"};
    // 14 points at 0.50, R1C4 at 0.64: mean 7.64 / 15 = 0.5093; 0.64 / 0.5093 = +25.7 %.
    QList<double> oneOff(15, 0.5);
    oneOff[3] = 0.64;
    QTest::newRow("hood uniformity")
        << hood << oneOff << "FAIL"
        << QStringList{"uniformity: 1 point more than 20 % from the mean (R1C4, +25.7 %)"};
    // R2C3 skipped, the rest even: a pass that names the skipped point.
    QList<double> skipped(15, 0.5);
    skipped[7] = skip;
    QTest::newRow("hood skipped named")
        << hood << skipped << "PASS" << QStringList{"skipped: R2C3"};

    // The clean air unit of 8 points, design 0.45 m/s +- 10 %, CV at most 15 %.
    const TraverseSetup unit = DefaultSetup(TestType::CleanAirUnit);
    // Mean 3.6 / 8 = 0.45; squares 2 x (0.03^2 + 0.01^2 + 0.02^2) = 0.0028, / 7 -> sd 0.02,
    // CV 4.4 %.
    QTest::newRow("clean air pass")
        << unit << QList<double>{0.42, 0.48, 0.45, 0.45, 0.44, 0.46, 0.43, 0.47} << "PASS"
        << QStringList();
    // Mean 0.45; four points 0.1 off: 0.04 / 7 -> sd 0.0756, CV 16.8 %.
    QTest::newRow("clean air CV") << unit
                                  << QList<double>{0.35, 0.55, 0.45, 0.45, 0.35, 0.55, 0.45, 0.45}
                                  << "FAIL"
                                  << QStringList{"variation (CV) 16.8 % above the limit 15 %"};
    // Even at 0.52: 15.6 % above the design.
    QTest::newRow("clean air fast")
        << unit << QList<double>(8, 0.52) << "FAIL"
        << QStringList{"mean velocity 0.52 m/s 15.6 % above the design 0.45 m/s (+-10 %)"};

    // A duct of 25 points at 5 m/s: 4320 m3/h; for 3800 that is +13.7 %.
    TraverseSetup duct = DefaultSetup(TestType::DuctTraverse);
    duct.designValue = 3800;
    QTest::newRow("duct flow") << duct << QList<double>(25, 5.0) << "FAIL"
                               << QStringList{
                                      "flow 4320 m3/h 13.7 % above the design 3800 m3/h (+-10 %)"};
    // The grille's 385.9 m3/h for a design of 400 m3/h: -3.5 %.
    TraverseSetup grille = DefaultSetup(TestType::Grille);
    grille.akValue = 0.0335;
    grille.designValue = 400;
    QTest::newRow("grille within") << grille << QList<double>(5, 3.2) << "PASS" << QStringList();
    // Without a design value a duct is not judged.
    QTest::newRow("duct, nothing to judge")
        << DefaultSetup(TestType::DuctTraverse) << QList<double>(25, 5.0) << "" << QStringList();
}

void AirFlowTestsTest::verdicts() {
    QFETCH(TraverseSetup, setup);
    QFETCH(QList<double>, values);
    QFETCH(QString, headline);
    QFETCH(QStringList, reasons);
    ManualClock clock;
    TraverseLogic t(clock);
    t.NewTraverse(setup);
    for (double v : values) {
        if (std::isnan(v)) {
            t.ToggleSkip();
            continue;
        }
        takeAll(t, clock, {v});
    }
    const TraverseVerdict verdict = Verdict(reportOf(t), QLocale());
    QCOMPARE(verdict.Headline(), headline);
    QCOMPARE(verdict.Reasons(), reasons);
}

void AirFlowTestsTest::takesThatNeverLie() {
    ManualClock clock;
    TraverseLogic t(clock);
    t.SetWallClock(
        [&clock] { return QDateTime(QDate(2026, 12, 10), QTime(9, 0)).addMSecs(clock.now); });
    TraverseSetup s = DefaultSetup(TestType::Grille);
    s.grilleReadings = 2;
    s.takeSeconds = 4;
    t.NewTraverse(s);
    QSignalSpy ended(&t, &TraverseLogic::TakeEnded);
    takeAll(t, clock, {3.0});
    const PointMeasurement first = *t.Records()[0].taken;
    QCOMPARE(first.takeSeconds, 4);
    QCOMPARE(first.takenAt, QDateTime(QDate(2026, 12, 10), QTime(9, 0, 5)));

    // Unplugged during a retake: nothing stored, the earlier value kept.
    t.Select(0);
    QCOMPARE(t.StartTake(), TakeStart::Started);
    t.AcceptReading(reading(9.0));
    t.SetMeterOnline(false);
    QVERIFY(!t.Taking());
    QCOMPARE(ended.last()[0].value<TakeEnd>(), TakeEnd::Disconnected);
    QVERIFY(TakeEndMessage(TakeEnd::Disconnected).contains(QStringLiteral("Nothing was stored")));
    QCOMPARE(*t.Records()[0].taken, first);
    // Offline at the start: refused at once, nothing runs.
    QCOMPARE(t.StartTake(), TakeStart::Offline);
    QVERIFY(!t.Taking());
    QVERIFY(!clock.ticking);
    t.SetMeterOnline(true);

    // After the last point, a take does not overwrite a point the user did not pick.
    t.Select(1);
    takeAll(t, clock, {4.0});
    QVERIFY(t.AllRecorded());
    QCOMPARE(t.StartTake(), TakeStart::AlreadyTaken);
    t.Select(t.Current());
    QCOMPARE(t.StartTake(), TakeStart::Started);
    t.CancelTake();
    QCOMPARE(t.Records()[1].taken->average, 4.0);
}

void AirFlowTestsTest::instrumentsKept() {
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("kept.conf")), QSettings::IniFormat);
    Instrument a{QStringLiteral("Acme"), QStringLiteral("VA-1"), QStringLiteral("123"),
                 ProbeType::Vane,        QDate(2025, 6, 1),      QDate(2026, 6, 1)};
    Instrument b{QStringLiteral("Acme"), QStringLiteral("TH-2"), QStringLiteral("456"),
                 ProbeType::Thermal,     QDate(2026, 3, 1),      QDate(2027, 3, 1)};
    SaveInstruments(settings, {{a, b, Instrument{}}, 1});
    SaveTechnician(settings, QStringLiteral("J. Doe"));
    const KeptInstruments kept = LoadInstruments(settings);
    QCOMPARE(kept.instruments.size(), std::size_t(2)); // the empty one is dropped
    QCOMPARE(kept.instruments[1], b);
    QCOMPARE(kept.chosen, 1);
    QCOMPARE(LoadTechnician(settings), QStringLiteral("J. Doe"));
    // Due on 1 June: fine that day, a warning the next.
    QVERIFY(CalibrationWarning(a, QDate(2026, 6, 1)).isEmpty());
    QCOMPARE(CalibrationWarning(a, QDate(2026, 6, 2)),
             QStringLiteral("Calibration past due (due 2026-06-01)"));
}

QTEST_GUILESS_MAIN(AirFlowTestsTest)
#include "AirFlowTestsTest.moc"
