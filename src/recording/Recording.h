#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <vector>

// A saved run read back: its readings in time order, column by column (a million readings take
// about 26 bytes each), the series they belong to and the summary the plot draws from.

// What stays the same along one series: a change of any of these starts a new one.
struct SeriesKey {
    QString kind;            // "VEL", "FLOW", or empty when unknown
    QString unit;            // "m/s" ... "CFM", or empty
    QString mode;            // "", "DP" or "WB": what the temperature column holds
    QString temperatureUnit; // "°C", "°F" or empty
    friend bool operator==(const SeriesKey&, const SeriesKey&) = default;
};

// Readings begin ... end - 1, all of one series, one after the other in time.
struct SeriesRun {
    std::size_t key = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Min/max summary of one run, level by level: level k has one bucket per 16^(k+1) readings
// (counted from the run's first), holding the lowest and highest value, temperature and humidity
// of those readings (NaN where a bucket has none). Built once; a plot at any zoom takes whole
// buckets wherever all of a bucket falls into one pixel column, so it touches at most a few
// thousand numbers per column range whatever the length.
struct SummaryBucket {
    float valueMin, valueMax;
    float temperatureMin, temperatureMax;
    float humidityMin, humidityMax;
};
struct RunSummary {
    static constexpr std::size_t kFanout = 16;
    std::vector<std::vector<SummaryBucket>> levels;
};

struct Recording {
    QString path;
    QString format;        // what the file was found to be, in words ("vantello-log CSV")
    bool hasDates = true;  // false: times of day only, laid on consecutive days from day 1
    int offsetSeconds = 0; // times are shown at this offset from UTC (the first reading's)

    std::vector<qint64> times; // milliseconds since the epoch, ascending
    std::vector<double> values;
    std::vector<float> temperatures; // NaN when the file does not say
    std::vector<float> humidities;   // NaN when the file does not say
    std::vector<std::uint16_t> keys; // index into seriesKeys

    std::vector<SeriesKey> seriesKeys;
    std::vector<SeriesRun> runs;
    std::vector<RunSummary> summaries; // one per run

    qint64 medianIntervalMs = 0;
    qint64 gapMs = 0; // intervals longer than this (ten median intervals) are gaps

    // What reading found.
    qint64 linesRead = 0;      // lines taken as readings (headings and empty lines not counted)
    bool tornLastLine = false; // the last line could not be read and was left out
    qint64 damagedSkipped = 0; // recovery log lines that are no intact entry, skipped as the log's
                               // own rule says
    qint64 reordered = 0;      // readings that were out of time order and were put in place
    qint64 wrappedDays = 0;    // times of day that went back and were taken as the next day

    std::size_t size() const { return times.size(); }

    // Appends a reading of the series key (added to seriesKeys when new). False, and nothing
    // appended, when the key would be one more than kMaxSeriesKeys: no file of the meter has that
    // many units, kinds and modes.
    static constexpr std::size_t kMaxSeriesKeys = 256;
    bool Append(qint64 time, double value, float temperature, float humidity, const SeriesKey& key);
    // After the last Append: puts readings in time order (stable), splits the runs, finds the
    // median interval and the gap length, builds the summaries.
    void Finish();
};

// A temperature or humidity as the file wrote it: floats keep 7 digits, the meter's numbers have
// at most four decimals, so rounding to them gives back the written number (23.4, not 23.3999996).
double StoredNumber(float f);

// Builds the summary of readings begin ... end - 1.
RunSummary BuildRunSummary(const Recording& r, std::size_t begin, std::size_t end);

// "Velocity", "Flow" or "Value" by the series' kind; "Temperature", "Dew point" or "Wet bulb" by
// its mode.
QString ValueName(const SeriesKey& key);
QString TemperatureName(const SeriesKey& key);
