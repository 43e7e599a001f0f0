#include "charts/ChartPainter.h"

#include "charts/ChartArea.h"
#include "charts/ChartGeometry.h"
#include "charts/DottedLine.h"
#include "state/GVarMod.h"

#include <QPainter>

namespace {

// The filled circle of radius 2 around a point, as a 1-pixel pen and a fill draw it without
// antialiasing: 21 pixels, rows of 3, 5, 5, 5 and 3. Drawn as two rectangles, which is many times
// faster than an ellipse and gives the same pixels.
void drawDot(QPainter& painter, QPoint centre) {
    painter.fillRect(centre.x() - 2, centre.y() - 1, 5, 3, kChartCurve);
    painter.fillRect(centre.x() - 1, centre.y() - 2, 3, 5, kChartCurve);
}

} // namespace

namespace {
std::vector<QPoint> placedPoints(GVarMod& state, const ChartGeometry& g) {
    const int span = FillPlotPoints(state, g);
    std::vector<QPoint> points;
    points.reserve(static_cast<std::size_t>(span));
    for (int i = 0; i < span; ++i) {
        const PlotPoint& p = state.PlotPoints[static_cast<std::size_t>(i)];
        points.emplace_back(p.x, p.y);
    }
    return points;
}
} // namespace

void DrawChartPicture(QPainter& painter, const ChartGeometry& g,
                      const std::vector<QPoint>& points) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);

    painter.setPen(QPen(kChartZeroLine, 1));
    painter.drawLine(0, g.zeroY, g.lineEnd, g.zeroY);

    painter.setPen(DottedPen(kChartGrid));
    for (const int y : g.gridYs)
        painter.drawLine(0, y, g.lineEnd, y);

    painter.setPen(QPen(kChartGrid, 1));
    for (int i = 1; i <= kPageSize; ++i)
        painter.drawLine(g.xStep * i, g.tickTop, g.xStep * i, g.tickBottom);

    const int span = static_cast<int>(points.size());
    if (span > 0) {
        painter.setPen(QPen(kChartCurve, 1));
        const auto at = [&](int entry) {
            return points[static_cast<std::size_t>(entry)];
        };
        // A dot whose centre lies this far off the area cannot reach it; it is left out rather
        // than handed to the rasteriser at coordinates of many millions.
        const QRect reach(-8, -8, g.areaWidth + 16, g.areaHeight + 16);
        ForEachCurveStep(
            span, [&](int from, int to) { painter.drawLine(at(from), at(to)); },
            [&](int entry) {
                const QPoint centre = at(entry);
                if (reach.contains(centre))
                    drawDot(painter, centre);
            });
    }
    painter.restore();
}

void PaintChart(QPainter& painter, const ChartGeometry& g, GVarMod& state) {
    DrawChartPicture(painter, g, placedPoints(state, g));
}

void PaintChart(ChartArea& area, const ChartGeometry& geometry, GVarMod& state) {
    area.DrawChart(geometry, placedPoints(state, geometry));
}
