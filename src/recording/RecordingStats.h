#pragma once

#include "recording/Recording.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The statistics of one quantity over a time range.
struct RangeStatistics {
    QString quantity; // "Velocity", "Flow", "Value", "Temperature", "Dew point", "Wet bulb",
                      // "Humidity"
    QString unit;
    qint64 count = 0;
    qint64 firstTime = 0; // the first and last reading in the range
    qint64 lastTime = 0;
    double mean = 0;
    // The mean over time: the area under the line from reading to reading (intervals that are
    // gaps left out) divided by the time it covers; the plain mean when no interval is left.
    double timeWeightedMean = 0;
    double minimum = 0;
    qint64 minimumTime = 0; // the first reading with it
    double maximum = 0;
    qint64 maximumTime = 0;
    double standardDeviation = 0; // sample standard deviation (n - 1); 0 for one reading
    qint64 durationMs() const { return lastTime - firstTime; }
};

// The readings with from <= time <= to, quantity by quantity in the order they first appear:
// velocity or flow per unit, temperature (or dew point, wet bulb) per unit, humidity. Readings
// without a number for a quantity do not count for it.
std::vector<RangeStatistics> StatisticsOf(const Recording& r, qint64 from, qint64 to);

// An instant as the recording shows it: ISO 8601 at the recording's offset, or, for a file without
// dates, "day N hh:mm:ss.zzz".
QString RecordingTimeText(const Recording& r, qint64 ms);

// The same as the window shows it: the locale's date and time of day (or "day N" and the time).
QString RecordingClockText(const Recording& r, qint64 ms);

// A duration as "2 d 03:04:05", "03:04:05" or "4.5 s".
QString DurationText(qint64 ms);

// A statistic as the window and the printed page show it: at most four decimals, the locale's
// number text.
QString StatisticText(double value);

// The statistics as CSV in the export's conventions (Windows-1252, CR LF, texts quoted, numbers
// with a full stop): a heading line, then one row per quantity with the range's file and times.
QByteArray StatisticsCsvBytes(const Recording& r, qint64 from, qint64 to,
                              const std::vector<RangeStatistics>& stats);
