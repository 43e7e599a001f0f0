#include "charts/ChartPainter.h"
#include "charts/ChartArea.h"
#include "charts/ChartGeometry.h"
#include "charts/DottedLine.h"
#include "state/GVarMod.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

const QRgb kBack = qRgb(224, 224, 224);
const QRgb kSilver = qRgb(192, 192, 192);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);

// The repaint rule of both chart windows.
void repaint(ChartArea& area, const ChartGeometry& g, GVarMod& s) {
    area.SetBackColor(kChartBackground);
    PaintChart(area, g, s);
}

// What the area shows inside its border, as the screen would.
QImage shown(ChartArea& area) {
    return area.Inside()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Readings with the given values, the page following the newest.
void fill(GVarMod& s, std::initializer_list<double> values) {
    for (const double v : values)
        s.AppendRecord().Value = v;
    s.ApplyLivePage();
}

bool dotted(const QImage& img, int y, int from, int to, QRgb color, QRgb gap) {
    for (int x = from; x <= to; ++x) {
        if (img.pixel(x, y) != (x % 6 < 3 ? color : gap))
            return false;
    }
    return true;
}

int count(const QImage& img, QRgb color) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x)
            n += img.pixel(x, y) == color;
    }
    return n;
}

// The filled circle of radius 2 around (x, y): its centre and the four pixels two away are red,
// the pixels three away are not.
bool dotAt(const QImage& img, int x, int y) {
    for (const QPoint d : {QPoint(0, 0), QPoint(2, 0), QPoint(-2, 0), QPoint(0, 2), QPoint(0, -2)})
        if (img.pixel(x + d.x(), y + d.y()) != kRed)
            return false;
    return true;
}

} // namespace

class ChartPainterTest : public QObject {
    Q_OBJECT
private slots:
    void liveChartWithoutReadings();
    void livePageAtScale40();
    void singleReadingIsOneDot();
    void graphPlotAtScale40();
    void repaintRuleRunsWhileHidden();
    void farOffPointsAreClipped();
    void areaLooksAndBorder();
    void areaReportsTheMouse();
    void controlsInsideLetTheMouseThrough();
    void cursorLineIsDotted();
};

void ChartPainterTest::liveChartWithoutReadings() {
    const ChartGeometry& g = LiveChartGeometry();
    ChartArea area(g);
    GVarMod s;
    s.PlotPoints[0] = {7, 8, 9};
    repaint(area, g, s);
    const QImage img = shown(area);
    QCOMPARE(img.size(), QSize(405, 245));

    for (int x = 0; x < 405; ++x)
        QCOMPARE(img.pixel(x, 123), kBlack); // solid, no dotted line over it
    for (const int y : {23, 48, 73, 98, 148, 173, 198, 223})
        QVERIFY2(dotted(img, y, 0, 404, kSilver, kBack), qPrintable(QString::number(y)));
    for (const int y : {22, 24, 122, 124, 224})
        QCOMPARE(img.pixel(1, y), kBack);
    // Ticks at x = 4i from y = 244 (the rest falls below the inner edge).
    for (int i = 1; i <= 100; ++i) {
        QCOMPARE(img.pixel(4 * i, 244), kSilver);
        QCOMPARE(img.pixel(4 * i + 2, 244), kBack);
        QCOMPARE(img.pixel(4 * i, 243), kBack);
    }
    QCOMPARE(count(img, kRed), 0);
    QCOMPARE(s.PlotPoints[0].record, 7); // nothing drawn, nothing filled
    QCOMPARE(s.PlotPoints[0].y, 9);
}

void ChartPainterTest::livePageAtScale40() {
    const ChartGeometry& g = LiveChartGeometry();
    ChartArea area(g);
    GVarMod s;
    s.ChartScale = 40;
    fill(s, {40, 1, 100, 0, 20, 20, 20});
    for (int i = 8; i <= 100; ++i)
        s.AppendRecord().Value = 10;
    s.ApplyLivePage();
    repaint(area, g, s);
    const QImage img = shown(area);

    QCOMPARE(s.PlotPoints[0].y, 23);
    QCOMPARE(s.PlotPoints[1].y, 120); // 120.5 to the even 120
    QCOMPARE(s.PlotPoints[2].y, -127);
    QCOMPARE(s.PlotPoints[99].x, 400);
    QVERIFY(dotAt(img, 4, 23));
    QVERIFY(dotAt(img, 8, 120));
    QVERIFY(dotAt(img, 16, 123)); // over the zero line
    QVERIFY(dotAt(img, 24, 73));
    QVERIFY(dotAt(img, 400, 98)); // the page's last reading, on a grid line
    // Between two dots of equal value the line is red too.
    QCOMPARE(img.pixel(22, 73), kRed);
    QCOMPARE(img.pixel(22, 70), kBack);
    // The line to the clipped point leaves through the top edge between x = 8 and x = 12, and the
    // line from it comes back down to (16, 123).
    bool leaves = false;
    bool returns = false;
    for (int x = 8; x <= 12; ++x)
        leaves = leaves || img.pixel(x, 0) == kRed;
    for (int x = 12; x <= 16; ++x)
        returns = returns || img.pixel(x, 0) == kRed;
    QVERIFY(leaves);
    QVERIFY(returns);
    QCOMPARE(img.pixel(300, 0), kBack);
}

void ChartPainterTest::singleReadingIsOneDot() {
    for (const ChartGeometry* g : {&LiveChartGeometry(), &GraphChartGeometry()}) {
        ChartArea area(*g);
        GVarMod s;
        s.ChartScale = 40;
        fill(s, {10});
        for (int i = 0; i < 100; ++i) // a new page holding only record 101
            s.AppendRecord().Value = 10;
        s.ApplyLivePage();
        QCOMPARE(s.ViewSpan, 1);
        repaint(area, *g, s);
        const QImage img = shown(area);
        const PlotPoint p = s.PlotPoints[0];
        QCOMPARE(p.record, 101);
        QCOMPARE(p.x, g->xStep);
        QVERIFY(dotAt(img, p.x, p.y));
        QCOMPARE(count(img, kRed), 21); // a filled circle of radius 2 and nothing else
    }
}

void ChartPainterTest::graphPlotAtScale40() {
    const ChartGeometry& g = GraphChartGeometry();
    ChartArea area(g);
    GVarMod s;
    s.ChartScale = 40;
    fill(s, {40, 2.5, 80, 0});
    repaint(area, g, s);
    const QImage img = shown(area);
    QCOMPARE(img.size(), QSize(705, 494));

    for (int k = 0; k <= 16; ++k) {
        const int y = 31 + 27 * k;
        const QRgb gap = y == 247 ? kBlack : kBack; // the zero line shows between the dots
        QVERIFY2(dotted(img, y, 40, 704, kSilver, gap), qPrintable(QString::number(y)));
    }
    QCOMPARE(img.pixel(1, 247), kSilver);
    QCOMPARE(img.pixel(4, 247), kBlack);
    for (int i = 1; i <= 100; ++i) {
        for (int y = 490; y <= 493; ++y)
            QCOMPARE(img.pixel(7 * i, y), kSilver);
        QCOMPARE(img.pixel(7 * i, 489), kBack);
        QCOMPARE(img.pixel(7 * i + 1, 491), kBack);
    }
    QCOMPARE(s.PlotPoints[0].y, 31);
    QCOMPARE(s.PlotPoints[1].y, 234); // 233.5 to the even 234
    QCOMPARE(s.PlotPoints[2].y, -185);
    QVERIFY(dotAt(img, 7, 31));
    QVERIFY(dotAt(img, 14, 234));
    QVERIFY(dotAt(img, 28, 247));
    bool leaves = false;
    for (int x = 14; x <= 21; ++x)
        leaves = leaves || img.pixel(x, 0) == kRed;
    QVERIFY(leaves);
    QCOMPARE(img.pixel(35, 247), kBlack); // no reading beyond the fourth
}

void ChartPainterTest::repaintRuleRunsWhileHidden() {
    const ChartGeometry& g = GraphChartGeometry();
    ChartArea area(g);
    QVERIFY(!area.isVisible());
    GVarMod s;
    s.ChartScale = 40;
    fill(s, {40, 20});
    repaint(area, g, s);
    QCOMPARE(s.PlotPoints[1].record, 2); // filled at once, not at a later paint event
    QCOMPARE(s.PlotPoints[1].x, 14);
    QCOMPARE(s.PlotPoints[1].y, 139);
    QCOMPARE(area.Canvas().pixel(7, 31), kRed);

    // Setting the back colour erases the drawing.
    area.SetBackColor(kChartBackground);
    QCOMPARE(count(area.Canvas(), kBack), 705 * 494);

    // Showing the area asks its window for the drawing.
    QSignalSpy requests(&area, &ChartArea::PaintRequested);
    connect(&area, &ChartArea::PaintRequested, &area, [&] { repaint(area, g, s); });
    area.show();
    QCOMPARE(requests.count(), 1);
    QVERIFY(dotAt(shown(area), 14, 139));
}

void ChartPainterTest::farOffPointsAreClipped() {
    const ChartGeometry& g = LiveChartGeometry();
    ChartArea area(g);
    GVarMod s;
    s.ChartScale = 1;
    for (int i = 1; i <= 100; ++i)
        s.AppendRecord().Value = i % 3 == 0 ? 0.0 : i % 3 == 1 ? 1e300 : -1e300;
    s.ApplyLivePage();
    repaint(area, g, s);
    QCOMPARE(s.PlotPoints[0].y, -2147483647);
    QCOMPARE(s.PlotPoints[1].y, 2147483647);
    QCOMPARE(s.PlotPoints[2].y, 123);
    const QImage img = shown(area);
    QVERIFY(dotAt(img, 12, 123));
    // Steep lines through the whole height, still where they fall (to a pixel).
    for (const int y : {0, 60, 180, 244}) {
        QVERIFY(img.pixel(11, y) == kRed || img.pixel(12, y) == kRed);
        QCOMPARE(img.pixel(14, y), kBack);
    }
}

void ChartPainterTest::areaLooksAndBorder() {
    ChartArea live(LiveChartGeometry());
    QCOMPARE(live.size(), QSize(409, 249));
    QCOMPARE(live.Inside()->geometry(), QRect(2, 2, 405, 245));
    QCOMPARE(live.Inside()->cursor().shape(), Qt::CrossCursor);
    QVERIFY(live.Inside()->hasMouseTracking());
    QCOMPARE(live.BackColor(), QColor(224, 224, 224));

    ChartArea graph(GraphChartGeometry());
    QCOMPARE(graph.size(), QSize(707, 496));
    QCOMPARE(graph.Inside()->geometry(), QRect(1, 1, 705, 494));
    GVarMod s;
    repaint(graph, GraphChartGeometry(), s);
    const QImage whole = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(whole.pixel(0, 0), kBlack); // single-line border
    QCOMPARE(whole.pixel(706, 495), kBlack);
    QCOMPARE(whole.pixel(1, 248), kSilver); // inner (0, 247): dotted over the zero line
    QCOMPARE(whole.pixel(1, 1), kBack);
}

void ChartPainterTest::areaReportsTheMouse() {
    ChartArea area(GraphChartGeometry());
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QSignalSpy moves(&area, &ChartArea::MouseMoved);
    QSignalSpy leaves(&area, &ChartArea::MouseLeft);

    // Fractional positions reach the window unrounded, in inner coordinates.
    QMouseEvent move(QEvent::MouseMove, QPointF(10.5, 20.25),
                     area.Inside()->mapToGlobal(QPointF(10.5, 20.25)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(area.Inside(), &move);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(moves.last().at(0).toPointF(), QPointF(10.5, 20.25));

    // Through the window system: moves without a button held, then leaving.
    QTest::mouseMove(area.Inside(), QPoint(100, 50));
    QTRY_VERIFY(!moves.isEmpty() && moves.last().at(0).toPointF() == QPointF(100, 50));
    QTest::mouseMove(&area, QPoint(0, 100)); // onto the border: outside the inner area
    QTRY_COMPARE(leaves.count(), 1);
}

void ChartPainterTest::controlsInsideLetTheMouseThrough() {
    ChartArea area(LiveChartGeometry());
    auto* tag = new QLabel("0000", area.Inside());
    tag->setGeometry(90, 40, 99, 26);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QSignalSpy moves(&area, &ChartArea::MouseMoved);
    QSignalSpy leaves(&area, &ChartArea::MouseLeft);
    QTest::mouseMove(area.Inside(), QPoint(50, 50));
    QTRY_VERIFY(!moves.isEmpty());
    QTest::mouseMove(area.Inside(), QPoint(120, 50)); // over the tag
    QTRY_VERIFY(moves.last().at(0).toPointF() == QPointF(120, 50));
    QCOMPARE(leaves.count(), 0);
    QVERIFY(tag->testAttribute(Qt::WA_TransparentForMouseEvents));
}

void ChartPainterTest::cursorLineIsDotted() {
    ChartArea area(LiveChartGeometry());
    GVarMod s;
    repaint(area, LiveChartGeometry(), s);
    const QImage chart = shown(area);
    auto* line = new VerticalDottedLine(QColor(0, 0, 192), 0, 248, area.Inside());
    QVERIFY(line->isHidden());
    line->MoveToX(50);
    line->show();
    const QImage img = shown(area);
    for (int y = 0; y < 245; ++y) {
        const QRgb expected = y % 6 < 3 ? qRgb(0, 0, 192) : chart.pixel(50, y);
        QCOMPARE(img.pixel(50, y), expected); // the chart shows through the gaps
    }
    QCOMPARE(img.pixel(50, 123), kBlack); // 123 % 6 = 3: a gap over the zero line
    QCOMPARE(img.pixel(49, 1), chart.pixel(49, 1));
    QCOMPARE(img.pixel(51, 1), chart.pixel(51, 1));
}

QTEST_MAIN(ChartPainterTest)
#include "ChartPainterTest.moc"
