#pragma once

#include "charts/TimeAxis.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

// A plot over a time axis as data: everything the painter draws, placed in pixels of the drawing.
// Computed without any drawing device (the recording window and its printed page use it).

enum class PlotRole {
    Value,       // velocity or flow, on the left axis
    Temperature, // temperature, dew point or wet bulb, on the right axis
    Humidity,    // relative humidity, on the right axis
};

// One unbroken line; a gap in the readings or a change of series starts another.
struct PlotPolyline {
    PlotRole role = PlotRole::Value;
    std::vector<QPointF> points;
};

struct TimePlotLayout {
    QRectF size; // the whole drawing, from (0, 0)
    QRectF plot; // the frame the curves are drawn in (and clipped to)
    bool rightAxis = false;
    std::vector<AxisTick> timeTicks;  // positions from plot.left()
    std::vector<AxisTick> leftTicks;  // positions from plot.top()
    std::vector<AxisTick> rightTicks; // positions from plot.top()
    QString leftTitle;
    QString rightTitle;
    QString note; // a line in the plot's top-left corner (nothing in view, times without dates)
    std::vector<PlotPolyline> curves;
    std::vector<std::pair<double, double>> gaps;        // x ranges without readings, drawn as bands
    std::optional<std::pair<double, double>> selection; // x range of the selected time range
    std::optional<std::pair<double, double>> band;      // x range of a rubber band being drawn
    std::optional<double> cursorX;
};
