#include "charts/ChartPainter.h"

#include "charts/ChartArea.h"
#include "charts/ChartGeometry.h"
#include "charts/DottedLine.h"
#include "charts/TimePlotLayout.h"
#include "state/GVarMod.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

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

QColor TimePlotColor(PlotRole role) {
    switch (role) {
    case PlotRole::Value:
        return QColor(0, 0, 160);
    case PlotRole::Temperature:
        return QColor(200, 0, 0);
    case PlotRole::Humidity:
        return QColor(0, 130, 0);
    }
    return Qt::black;
}

void PaintTimePlot(QPainter& painter, const TimePlotLayout& layout) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(layout.size, Qt::white);
    const QRectF& plot = layout.plot;
    const auto band = [&](const std::pair<double, double>& x, const QColor& colour) {
        const double left = std::max(plot.left(), std::min(x.first, x.second));
        const double right = std::min(plot.right(), std::max(x.first, x.second));
        if (right > left)
            painter.fillRect(QRectF(left, plot.top(), right - left, plot.height()), colour);
    };
    for (const auto& gap : layout.gaps)
        band(gap, kTimePlotGap);
    if (layout.selection)
        band(*layout.selection, kTimePlotSelection);

    painter.setPen(DottedPen(kChartGrid));
    for (const AxisTick& t : layout.timeTicks) {
        const double x = plot.left() + t.position;
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    for (const AxisTick& t : layout.leftTicks) {
        const double y = plot.top() + t.position;
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }

    painter.save();
    painter.setClipRect(plot.adjusted(0, 0, 1, 1));
    for (const PlotPolyline& line : layout.curves) {
        painter.setPen(QPen(TimePlotColor(line.role), 1));
        if (line.points.size() == 1)
            painter.drawPoint(line.points.front());
        else
            painter.drawPolyline(line.points.data(), int(line.points.size()));
    }
    painter.restore();

    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    const QFontMetricsF metrics(painter.font());
    const double lineHeight = metrics.height();
    for (const AxisTick& t : layout.timeTicks) {
        const double x = plot.left() + t.position;
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        const double w = metrics.horizontalAdvance(t.label);
        painter.drawText(QPointF(x - w / 2, plot.bottom() + 5 + metrics.ascent()), t.label);
        if (!t.secondLabel.isEmpty()) {
            const double w2 = metrics.horizontalAdvance(t.secondLabel);
            painter.drawText(QPointF(x - w2 / 2, plot.bottom() + 5 + lineHeight + metrics.ascent()),
                             t.secondLabel);
        }
    }
    for (const AxisTick& t : layout.leftTicks) {
        const double y = plot.top() + t.position;
        painter.drawLine(QPointF(plot.left() - 4, y), QPointF(plot.left(), y));
        const double w = metrics.horizontalAdvance(t.label);
        painter.drawText(QPointF(plot.left() - 6 - w, y + metrics.ascent() / 2 - 1), t.label);
    }
    for (const AxisTick& t : layout.rightTicks) {
        const double y = plot.top() + t.position;
        painter.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + 4, y));
        painter.drawText(QPointF(plot.right() + 6, y + metrics.ascent() / 2 - 1), t.label);
    }
    // Axis titles above the axes, in the colour of their curves.
    painter.setPen(TimePlotColor(PlotRole::Value));
    painter.drawText(QPointF(plot.left() - 4, plot.top() - 4 - metrics.descent()),
                     layout.leftTitle);
    if (layout.rightAxis) {
        painter.setPen(Qt::black);
        const double w = metrics.horizontalAdvance(layout.rightTitle);
        painter.drawText(QPointF(plot.right() + 4 - w, plot.top() - 4 - metrics.descent()),
                         layout.rightTitle);
    }
    if (!layout.note.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(QPointF(plot.left() + 6, plot.top() + 4 + metrics.ascent()), layout.note);
    }
    if (layout.cursorX) {
        painter.setPen(DottedPen(QColor(0, 0, 192)));
        painter.drawLine(QPointF(*layout.cursorX, plot.top()),
                         QPointF(*layout.cursorX, plot.bottom()));
    }
    if (layout.band) {
        painter.setPen(QPen(QColor(0, 0, 192), 1, Qt::DashLine));
        const double left = std::min(layout.band->first, layout.band->second);
        const double right = std::max(layout.band->first, layout.band->second);
        painter.drawRect(QRectF(left, plot.top(), right - left, plot.height()));
    }
    painter.restore();
}
