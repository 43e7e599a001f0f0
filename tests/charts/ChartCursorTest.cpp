#include "charts/ChartCursor.h"
#include "charts/ChartGeometry.h"
#include "state/GVarMod.h"

#include <QTest>

namespace {
// n readings whose texts name their record number: Data "r.25", Unit "m/s", TRH "trh r",
// Time "time r"; the page follows the newest and is drawn on geometry g.
void fill(GVarMod& s, int n, const ChartGeometry& g) {
    for (int i = 0; i < n; ++i) {
        Reading& r = s.AppendRecord();
        r.Data = QString::number(r.No) + ".25";
        r.Unit = "m/s";
        r.TRH = "trh " + QString::number(r.No);
        r.Time = "time " + QString::number(r.No);
    }
    s.ApplyLivePage();
    FillPlotPoints(s, g);
}
} // namespace

class ChartCursorTest : public QObject {
    Q_OBJECT
private slots:
    void inside();
    void liveRecordsOnAFullPage_data();
    void liveRecordsOnAFullPage();
    void graphRecordsOnAFullPage_data();
    void graphRecordsOnAFullPage();
    void texts();
    void shortPages();
    void clearedReadingsAreNotShown();
    void liveTagKeptInside();
    void graphLabelsKeptInside();
};

void ChartCursorTest::inside() {
    const ChartGeometry& g = LiveChartGeometry();
    QVERIFY(PointerInside(0, 0, g));
    QVERIFY(PointerInside(405, 245, g)); // edges count as inside
    QVERIFY(!PointerInside(-0.5, 10, g));
    QVERIFY(!PointerInside(10, -1, g));
    QVERIFY(!PointerInside(405.5, 10, g));
    QVERIFY(!PointerInside(10, 245.5, g));
    QVERIFY(PointerInside(705, 494, GraphChartGeometry()));
    QVERIFY(!PointerInside(705, 495, GraphChartGeometry()));
}

void ChartCursorTest::liveRecordsOnAFullPage_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("record");
    // Page 101 ... 200: position k shows record 100 + k.
    QTest::newRow("x 2, k 0") << 2.0 << 0;
    QTest::newRow("x 6, k 2") << 6.0 << 102;
    QTest::newRow("x 10, k 2 (half to even)") << 10.0 << 102;
    QTest::newRow("x 14, k 4") << 14.0 << 104;
    QTest::newRow("x 396, k 99") << 396.0 << 199;
    QTest::newRow("x 400, k 100: the last reading is not shown") << 400.0 << 0;
    QTest::newRow("x 404, k 101") << 404.0 << 0;
    QTest::newRow("far off") << 1e12 << 0;
    QTest::newRow("negative") << -6.0 << 0;
}

void ChartCursorTest::liveRecordsOnAFullPage() {
    GVarMod s;
    fill(s, 200, LiveChartGeometry());
    QFETCH(double, x);
    QTEST(static_cast<int>(CursorRecord(s, x, 4)), "record");
}

void ChartCursorTest::graphRecordsOnAFullPage_data() {
    QTest::addColumn<float>("x");
    QTest::addColumn<int>("record");
    QTest::newRow("x 2, k 0") << 2.0f << 0;
    QTest::newRow("x 10.5, k 2") << 10.5f << 102;
    QTest::newRow("x 17.5, k 2 (half to even)") << 17.5f << 102;
    QTest::newRow("x 24.5, k 4") << 24.5f << 104;
    QTest::newRow("x 693, k 99") << 693.0f << 199;
    QTest::newRow("x 700, k 100") << 700.0f << 0;
}

void ChartCursorTest::graphRecordsOnAFullPage() {
    GVarMod s;
    fill(s, 200, GraphChartGeometry());
    QFETCH(float, x); // pointer positions arrive in single precision
    QTEST(static_cast<int>(CursorRecord(s, x, 7)), "record");
}

void ChartCursorTest::texts() {
    GVarMod s;
    fill(s, 100, GraphChartGeometry());
    const CursorTexts t = CursorReadoutTexts(s, 10.5, GraphChartGeometry());
    QCOMPARE(t.value, QString("2.25m/s")); // Data immediately followed by Unit
    QCOMPARE(t.trh, QString("trh 2"));
    QCOMPARE(t.time, QString("time 2"));
    const CursorTexts none = CursorReadoutTexts(s, 700, GraphChartGeometry());
    QVERIFY(none.value.isEmpty() && none.trh.isEmpty() && none.time.isEmpty());
    // The record column is what counts: after a live paint the graph's x still finds it.
    FillPlotPoints(s, LiveChartGeometry());
    QCOMPARE(CursorReadoutTexts(s, 693, GraphChartGeometry()).trh, QString("trh 99"));
}

void ChartCursorTest::shortPages() {
    GVarMod s;
    QCOMPARE(CursorRecord(s, 4, 4), 0); // no page at all
    fill(s, 1, LiveChartGeometry());    // ViewSpan 1
    for (const double x : {0.0, 4.0, 8.0})
        QCOMPARE(CursorRecord(s, x, 4), 0);
    fill(s, 2, LiveChartGeometry()); // records 1 ... 3, ViewSpan 3
    QCOMPARE(CursorRecord(s, 4, 4), 1);
    QCOMPARE(CursorRecord(s, 8, 4), 2);
    QCOMPARE(CursorRecord(s, 12, 4), 0);
}

void ChartCursorTest::clearedReadingsAreNotShown() {
    GVarMod s;
    fill(s, 50, LiveChartGeometry());
    QCOMPARE(CursorRecord(s, 40, 4), 10);

    // Emptied: the page and the points still name records 1 ... 50, which are no longer stored.
    s.ResetReadings();
    QCOMPARE(CursorRecord(s, 40, 4), 0);
    QVERIFY(CursorReadoutTexts(s, 40, LiveChartGeometry()).value.isEmpty());

    // Three new readings, before any repaint: only the stored ones may show.
    for (int i = 0; i < 3; ++i)
        s.AppendRecord();
    QCOMPARE(CursorRecord(s, 8, 4), 2);
    QCOMPARE(CursorRecord(s, 16, 4), 0);
}

void ChartCursorTest::liveTagKeptInside() {
    LiveCursorLayout l = LayoutLiveCursor(100, 50, 405, 245);
    QCOMPARE(l.lineX, 100);
    QCOMPARE(l.tag, QPoint(103, 53));
    l = LayoutLiveCursor(310, 50, 405, 245); // 313 + 99 > 405
    QCOMPARE(l.tag, QPoint(306, 53));
    l = LayoutLiveCursor(303, 216, 405, 245); // exactly at the right edge; bottom 219 + 26 = 245
    QCOMPARE(l.tag, QPoint(306, 219));
    l = LayoutLiveCursor(405, 245, 405, 245);
    QCOMPARE(l.lineX, 405);
    QCOMPARE(l.tag, QPoint(306, 219));
    l = LayoutLiveCursor(10.5, 20.5, 405, 245); // fractions round half to even
    QCOMPARE(l.lineX, 10);
    QCOMPARE(l.tag, QPoint(14, 24));
}

void ChartCursorTest::graphLabelsKeptInside() {
    GraphCursorLayout l = LayoutGraphCursor(100, 50, 705, 494);
    QCOMPARE(l.lineX, 100);
    QCOMPARE(l.trh, QPoint(100, 0));
    QCOMPARE(l.time, QPoint(100, 468));
    QCOMPARE(l.value, QPoint(100, 53));

    l = LayoutGraphCursor(600, 480, 705, 494);
    QCOMPARE(l.trh, QPoint(705 - 211, 0));
    QCOMPARE(l.time, QPoint(705 - 211, 468));
    QCOMPARE(l.value, QPoint(600, 494 - 26)); // 600 + 99 fits; bottom sits on the edge

    l = LayoutGraphCursor(650, 465, 705, 494);
    QCOMPARE(l.value, QPoint(705 - 99, 468)); // 465 + 3 + 26 = 494 exactly fits
    l = LayoutGraphCursor(494, 10, 705, 494);
    QCOMPARE(l.trh.x(), 494); // 494 + 211 = 705 exactly fits
}

QTEST_GUILESS_MAIN(ChartCursorTest)
#include "ChartCursorTest.moc"
