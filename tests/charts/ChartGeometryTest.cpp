#include "charts/ChartGeometry.h"
#include "state/GVarMod.h"

#include <QTest>

class ChartGeometryTest : public QObject {
    Q_OBJECT
private slots:
    void liveY();
    void graphY();
    void fillsThePage();
    void noReadingsLeavesPointsAlone();
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

QTEST_GUILESS_MAIN(ChartGeometryTest)
#include "ChartGeometryTest.moc"
