#pragma once

#include <QColor>
#include <QPoint>

#include <vector>

class ChartArea;
class GVarMod;
class QPainter;
struct ChartGeometry;

// Colours of the charts.
inline const QColor kChartBackground(224, 224, 224); // light grey, the areas' back colour
inline const QColor kChartGrid(192, 192, 192);       // silver grid lines and tick marks
inline const QColor kChartCurve(255, 0, 0);          // red readings
inline const QColor kChartZeroLine(0, 0, 0);

// Draws a chart on top of what the painter's device holds, without erasing it, in this order: the
// solid black zero line; the dotted silver grid lines (see DottedPen); the 100 solid silver tick
// marks; then, when readings are stored, fills PlotPoints for the page (FillPlotPoints) and draws
// it in red: a line from each reading to the one before, a filled circle of radius 2 on every
// reading (ForEachCurveStep). Nothing is antialiased; points off the device are drawn where they
// fall and clipped. The painter's state is restored afterwards.
void PaintChart(QPainter& painter, const ChartGeometry& geometry, GVarMod& state);

// The same on a chart area's drawing, which it then shows. PlotPoints is filled before it returns.
void PaintChart(ChartArea& area, const ChartGeometry& geometry, GVarMod& state);

// Draws the chart for points already placed (in the order of PlotPoints): zero line, grid, ticks,
// then the curve through the points.
void DrawChartPicture(QPainter& painter, const ChartGeometry& geometry,
                      const std::vector<QPoint>& points);

struct TimePlotLayout;
enum class PlotRole;

// The colours of a plot over a time axis: the value (velocity or flow) dark blue, temperature red,
// humidity green; the selected range a pale yellow band, gaps a pale grey one.
QColor TimePlotColor(PlotRole role);
inline const QColor kTimePlotSelection(255, 244, 176);
inline const QColor kTimePlotGap(236, 236, 236);

// Draws a plot over a time axis exactly as laid out: white background, gap and selection bands,
// the dotted grid at the ticks, the curves (clipped to the plot frame, not antialiased), the frame,
// the axes' labels and titles, the cursor line and the rubber band. Texts use the painter's font.
void PaintTimePlot(QPainter& painter, const TimePlotLayout& layout);
