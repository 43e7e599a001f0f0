#include "state/GVarMod.h"

#include <QTest>

class GVarModTest : public QObject {
    Q_OBJECT
private slots:
    void startValues();
    void livePage_data();
    void livePage();
    void resetKeepsRecordsAndView();
    void appendRecordNumbersFromOne();
};

void GVarModTest::startValues() {
    GVarMod s;
    QCOMPARE(s.ReadingCount, 0);
    QCOMPARE(s.ChartScale, 400);
    QCOMPARE(s.ViewStart, 1);
    QCOMPARE(s.ViewSpan, 0);
    QCOMPARE(s.ViewHeld, false);
    QCOMPARE(s.PlotPoints.size(), std::size_t(100));
    for (const PlotPoint& p : s.PlotPoints)
        QVERIFY(p.record == 0 && p.x == 0 && p.y == 0);
    // Both ends of the 1-based table are records of their own, empty at start.
    QCOMPARE(s.Readings(1).No, 0);
    QVERIFY(s.Readings(50000).Unit.isEmpty());
    QVERIFY(&s.Readings(1) != &s.Readings(50000));
}

void GVarModTest::livePage_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("span");
    QTest::newRow("1") << 1 << 1 << 1;
    QTest::newRow("99") << 99 << 1 << 99;
    QTest::newRow("100") << 100 << 1 << 100;
    QTest::newRow("101") << 101 << 101 << 1;
    QTest::newRow("250") << 250 << 201 << 50;
    QTest::newRow("50000") << 50000 << 49901 << 100;
}

void GVarModTest::livePage() {
    QFETCH(int, count);
    GVarMod s;
    s.ReadingCount = count;
    s.ApplyLivePage();
    QTEST(s.ViewStart, "start");
    QTEST(s.ViewSpan, "span");
}

void GVarModTest::resetKeepsRecordsAndView() {
    GVarMod s;
    for (int i = 0; i < 150; ++i)
        s.AppendRecord().Unit = QStringLiteral("CFM");
    s.ApplyLivePage();
    s.ViewHeld = true;
    s.ChartScale = 40;
    s.ResetReadings();
    QCOMPARE(s.ReadingCount, 0);
    QCOMPARE(s.ViewHeld, false);
    // The page, the scale and the records are untouched until new readings overwrite them.
    QCOMPARE(s.ViewStart, 101);
    QCOMPARE(s.ViewSpan, 50);
    QCOMPARE(s.ChartScale, 40);
    QCOMPARE(s.Readings(1).Unit, QStringLiteral("CFM"));
    QCOMPARE(s.Readings(150).No, 150);
}

void GVarModTest::appendRecordNumbersFromOne() {
    GVarMod s;
    s.AppendRecord();
    s.AppendRecord();
    QCOMPARE(s.ReadingCount, 2);
    QCOMPARE(s.Readings(2).No, 2);
    s.ResetReadings();
    Reading& again = s.AppendRecord();
    QCOMPARE(&again, &s.Readings(1));
    QCOMPARE(again.No, 1);
    QCOMPARE(s.Readings(2).No, 2); // not yet overwritten
}

QTEST_GUILESS_MAIN(GVarModTest)
#include "GVarModTest.moc"
