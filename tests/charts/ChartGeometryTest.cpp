#include "charts/ChartGeometry.h"
#include "state/GVarMod.h"

#include <QTest>

#include <limits>

class ChartGeometryTest : public QObject {
    Q_OBJECT
private slots:
    void liveY();
    void graphY();
    void fillsThePage();
    void noReadingsLeavesPointsAlone();
    void farOffPointsSaturate();
    void curveStepOrder();
};

void ChartGeometryTest::liveY() {
    const ChartGeometry& g = LiveChartGeometry();
    QCOMPARE(PlotY(g, 40, 40), 23);
    QCOMPARE(PlotY(g, -40, 40), 223);
    QCOMPARE(PlotY(g, 0, 40), 123);
    QCOMPARE(PlotY(g, 1, 40), 120); // 120.5 rounds to the even 120
    QCOMPARE(PlotY(g, 100, 40), -127);
    QCOMPARE(g.gridYs.size(), std::size_t(8));
}

void ChartGeometryTest::graphY() {
    const ChartGeometry& g = GraphChartGeometry();
    QCOMPARE(PlotY(g, 40, 40), 31);
    QCOMPARE(PlotY(g, -40, 40), 463);
    QCOMPARE(PlotY(g, 2.5, 40), 234); // 233.5 rounds to the even 234
    QCOMPARE(PlotY(g, 80, 40), -185);
    QCOMPARE(g.gridYs.front(), 31);
    QCOMPARE(g.gridYs[8], 247);
    QCOMPARE(g.gridYs.back(), 463);
}

void ChartGeometryTest::fillsThePage() {
    GVarMod s;
    for (int i = 1; i <= 250; ++i)
        s.AppendRecord().Value = i;
    s.ChartScale = 400;
    s.ApplyLivePage(); // 201 ... 250
    QCOMPARE(FillPlotPoints(s, LiveChartGeometry()), 50);
    QCOMPARE(s.PlotPoints[0].record, 201);
    QCOMPARE(s.PlotPoints[0].x, 4);
    QCOMPARE(s.PlotPoints[0].y, 123 - 50); // 201 * 100 / 400 = 50.25
    QCOMPARE(s.PlotPoints[49].record, 250);
    QCOMPARE(s.PlotPoints[49].x, 200);
    QCOMPARE(s.PlotPoints[50].record, 0); // beyond the span: untouched
    QCOMPARE(FillPlotPoints(s, GraphChartGeometry()), 50);
    QCOMPARE(s.PlotPoints[49].x, 350);
}

void ChartGeometryTest::noReadingsLeavesPointsAlone() {
    GVarMod s;
    s.AppendRecord().Value = 5;
    s.ApplyLivePage();
    FillPlotPoints(s, LiveChartGeometry());
    s.ResetReadings();
    QCOMPARE(FillPlotPoints(s, LiveChartGeometry()), 0);
    QCOMPARE(s.PlotPoints[0].record, 1);
}

void ChartGeometryTest::farOffPointsSaturate() {
    const ChartGeometry& g = LiveChartGeometry();
    QCOMPARE(PlotY(g, 1e300, 1), -2147483647);
    QCOMPARE(PlotY(g, -1e300, 1), 2147483647);
    QCOMPARE(PlotY(g, 21474836.0, 1), 123 - 2147483600);
    QCOMPARE(PlotY(g, 65535, -1), 123 + 6553500); // a negative scale turns the chart over
    QCOMPARE(PlotY(g, std::numeric_limits<double>::quiet_NaN(), 40), 123);
    QCOMPARE(PlotY(g, 1, 2147483647), 123);
}

void ChartGeometryTest::curveStepOrder() {
    const auto steps = [](int span) {
        QStringList out;
        ForEachCurveStep(
            span, [&](int from, int to) { out << QString("line %1-%2").arg(from).arg(to); },
            [&](int at) { out << QString("dot %1").arg(at); });
        return out;
    };
    QVERIFY(steps(0).isEmpty());
    QCOMPARE(steps(1), QStringList({"dot 0"}));
    QCOMPARE(steps(3), QStringList({"line 1-0", "dot 1", "dot 0", "line 2-1", "dot 2", "dot 1"}));
    QCOMPARE(steps(100).size(), 99 * 3);
}

QTEST_GUILESS_MAIN(ChartGeometryTest)
#include "ChartGeometryTest.moc"
