#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

// Ticks of a chart's axes, as positions along the axis in pixels and the texts under them.

struct AxisTick {
    double position = 0.0; // pixels from the axis' start (left edge or top edge)
    QString label;
    QString secondLabel; // a second line under a time label: the date where it changes
};

// The step of a time axis showing spanMs over pixels: the smallest of 1, 2, 5, 10, 15, 30 s,
// 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12 h, 1, 2, 7, 14 days (then multiples of 30 days) that puts
// at least minSpacing pixels between two ticks.
qint64 TimeAxisStep(qint64 spanMs, double pixels, double minSpacing);

// The ticks of a time axis from fromMs to toMs (milliseconds since the epoch, shown at
// offsetSeconds from UTC) over pixels, x growing with time. Ticks fall on whole multiples of the
// step in the shown time (days at midnight). Labels fit the step: dates for steps of a day or more,
// times of day with seconds below a minute, hours and minutes otherwise, in the user's locale; with
// dates, the first tick and every tick on a new day carry the date as second line. Without dates
// (withDates false) no date is ever written.
std::vector<AxisTick> TimeAxisTicks(qint64 fromMs, qint64 toMs, int offsetSeconds, double pixels,
                                    bool withDates, double minSpacing = 90.0);

// A value axis: the step among 1, 2, 5 times a power of ten that keeps minSpacing pixels between
// ticks for a range of span over pixels.
double ValueAxisStep(double span, double pixels, double minSpacing);

// The range lo ... hi widened to whole steps (and to a span of 1 around a single value), so that
// the axis starts and ends on a tick.
struct AxisRange {
    double lo = 0.0;
    double hi = 1.0;
    double step = 1.0;
};
AxisRange NiceAxisRange(double lo, double hi, double pixels, double minSpacing = 30.0);

// Ticks of a value axis for range over pixels, y growing downwards (hi at 0).
std::vector<AxisTick> ValueAxisTicks(const AxisRange& range, double pixels);
