#include "state/ReadoutRules.h"
#include "state/Rounding.h"

#include <QTest>

class ReadoutRulesTest : public QObject {
    Q_OBJECT
private slots:
    void roundsHalvesToEven();
    void nearestInt32Limits();
    void extremes();
    void unsetValueAsReading();
    void barMeter();
};

void ReadoutRulesTest::roundsHalvesToEven() {
    QCOMPARE(RoundHalfEven(0.5), 0.0);
    QCOMPARE(RoundHalfEven(1.5), 2.0);
    QCOMPARE(RoundHalfEven(2.5), 2.0);
    QCOMPARE(RoundHalfEven(-2.5), -2.0);
    QCOMPARE(RoundHalfEven(120.5), 120.0);
    QCOMPARE(RoundHalfEven(2.5000001), 3.0);
}

void ReadoutRulesTest::nearestInt32Limits() {
    QCOMPARE(NearestInt32(2147483647.4), std::optional<std::int32_t>(2147483647));
    QCOMPARE(NearestInt32(-2147483647.0), std::optional<std::int32_t>(-2147483647));
    QVERIFY(!NearestInt32(2147483647.5)); // rounds to 2147483648
    QVERIFY(!NearestInt32(-2147483648.0));
    QVERIFY(!NearestInt32(std::numeric_limits<double>::infinity()));
    QVERIFY(!NearestInt32(std::numeric_limits<double>::quiet_NaN()));
    QCOMPARE(NearestInt32(49.5), std::optional<std::int32_t>(50));
}

void ReadoutRulesTest::extremes() {
    RunningExtremes e;
    auto c = e.Update(3);
    QVERIFY(c.min && c.max);
    c = e.Update(5);
    QVERIFY(!c.min && c.max);
    c = e.Update(4); // between the two: neither box is written
    QVERIFY(!c.min && !c.max);
    QCOMPARE(e.varmin, 3.0);
    QCOMPARE(e.varmax, 5.0);
    c = e.Update(3); // equal is not a new minimum
    QVERIFY(!c.min && !c.max);
    e.Reset();
    c = e.Update(9);
    QVERIFY(c.min && c.max);
    QCOMPARE(e.varmin, 9.0);
}

void ReadoutRulesTest::unsetValueAsReading() {
    RunningExtremes e;
    e.Update(1);
    e.Update(50000.0); // a real reading of 50000 makes the pair count as unset
    QCOMPARE(e.varmax, 50000.0);
    const auto c = e.Update(2);
    QVERIFY(c.min && c.max);
    QCOMPARE(e.varmin, 2.0);
    QCOMPARE(e.varmax, 2.0);
}

void ReadoutRulesTest::barMeter() {
    QCOMPARE(BarMeterLevel(7.5), std::optional<int>(8));
    QCOMPARE(BarMeterLevel(0.5), std::optional<int>(0));
    QCOMPARE(BarMeterLevel(40.5), std::optional<int>(40));
    QCOMPARE(BarMeterLevel(40.51), std::optional<int>());
    QCOMPARE(BarMeterLevel(41), std::optional<int>());
    QCOMPARE(BarMeterLevel(0), std::optional<int>(0));
}

QTEST_GUILESS_MAIN(ReadoutRulesTest)
#include "ReadoutRulesTest.moc"
