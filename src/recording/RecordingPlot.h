#pragma once

#include "charts/TimePlotLayout.h"
#include "recording/Recording.h"

#include <QSizeF>

#include <array>
#include <limits>

#include <optional>
#include <utility>

// What the recording window shows: the time range in view, the curves shown, the selected range,
// and what the pointer is doing. All of it is plain data; the window only keeps it and draws the
// layout computed from it.
struct PlotView {
    qint64 from = 0; // the time at the plot's left edge
    qint64 to = 1;   // ... and at its right edge (to > from)
    bool showTemperature = true;
    bool showHumidity = true;
    std::optional<std::pair<qint64, qint64>> selection; // a selected time range
    std::optional<double> cursorX;                      // the pointer's x, for the cursor line
    std::optional<std::pair<double, double>> band;      // a rubber band or range being dragged
};

inline constexpr qint64 kShortestViewMs = 10 * 1000; // zooming in stops at ten seconds

// The plot's frame inside a drawing of the given size.
QRectF PlotFrame(QSizeF size);

// The x of an instant in the frame, and the instant at an x.
double XOfTime(const PlotView& view, const QRectF& frame, qint64 t);
qint64 TimeAtX(const PlotView& view, const QRectF& frame, double x);

// The whole recording (the range widened to the shortest view around a single reading).
void ShowAll(PlotView& view, const Recording& r);
// Zooms by factor (below 1: in) keeping the instant at fraction (0 left, 1 right) where it is.
void ZoomAt(PlotView& view, const Recording& r, double fraction, double factor);
// Moves the range by fraction of its span (positive: later).
void PanBy(PlotView& view, const Recording& r, double fraction);
// Shows a to b (in either order), at least the shortest view.
void ZoomTo(PlotView& view, const Recording& r, qint64 a, qint64 b);

// What one pixel column shows of one quantity: the first and last reading that falls in it and the
// lowest and highest (NaN: none).
struct ColumnChannel {
    float first = std::numeric_limits<float>::quiet_NaN();
    float last = std::numeric_limits<float>::quiet_NaN();
    float lo = std::numeric_limits<float>::quiet_NaN();
    float hi = std::numeric_limits<float>::quiet_NaN();
};
struct ColumnSummary {
    bool used = false;        // some reading falls in it
    bool breakBefore = false; // a gap lies between its first reading and the one before
    qint64 firstTime = 0;
    qint64 lastTime = 0;
    std::array<ColumnChannel, 3> ch; // value, temperature, humidity
};
// The columns one run covers: columns[k] is pixel column firstColumn + k of width columns between
// from and to; column -1 holds the reading just left of from, column width the one right of to.
struct RunColumns {
    std::size_t run = 0;
    qint64 firstColumn = 0;
    std::vector<ColumnSummary> columns;
};
// Summarises run of r into columns from the min/max summary, adding the gaps it finds (from, to)
// to gaps.
RunColumns SummariseColumns(const Recording& r, std::size_t run, qint64 from, qint64 to,
                            qint64 width, std::vector<std::pair<qint64, qint64>>& gaps);

// Lays out the plot of the view at size: ticks, the curves from the min/max summary (every pixel
// column holds the first, lowest, highest and last reading that falls in it), gap bands, the
// selection, cursor and rubber band.
TimePlotLayout LayOutRecordingPlot(const Recording& r, const PlotView& view, QSizeF size);

// The reading nearest to t in time (-1 without readings).
qint64 NearestReading(const Recording& r, qint64 t);

// The cursor readout of reading i: date and time, value with unit, temperature, humidity.
QString ReadoutText(const Recording& r, qint64 i);
