#include "recording/Recording.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

constexpr float kNone = std::numeric_limits<float>::quiet_NaN();

// Widens lo ... hi by a ... b; a and b are both numbers or both NaN (nothing to add).
void widen(float& lo, float& hi, float a, float b) {
    if (std::isnan(a))
        return;
    lo = std::isnan(lo) ? a : std::min(lo, a);
    hi = std::isnan(hi) ? b : std::max(hi, b);
}

SummaryBucket emptyBucket() {
    return {kNone, kNone, kNone, kNone, kNone, kNone};
}

void merge(SummaryBucket& into, const SummaryBucket& b) {
    widen(into.valueMin, into.valueMax, b.valueMin, b.valueMax);
    widen(into.temperatureMin, into.temperatureMax, b.temperatureMin, b.temperatureMax);
    widen(into.humidityMin, into.humidityMax, b.humidityMin, b.humidityMax);
}

template <typename T> void permute(std::vector<T>& v, const std::vector<std::size_t>& order) {
    std::vector<T> out;
    out.reserve(v.size());
    for (const std::size_t i : order)
        out.push_back(v[i]);
    v = std::move(out);
}

} // namespace

bool Recording::Append(qint64 time, double value, float temperature, float humidity,
                       const SeriesKey& key) {
    std::size_t k = seriesKeys.size();
    if (!keys.empty() && seriesKeys[keys.back()] == key) {
        k = keys.back();
    } else {
        const auto found = std::find(seriesKeys.begin(), seriesKeys.end(), key);
        k = std::size_t(found - seriesKeys.begin());
        if (found == seriesKeys.end()) {
            if (seriesKeys.size() >= kMaxSeriesKeys)
                return false;
            seriesKeys.push_back(key);
        }
    }
    times.push_back(time);
    values.push_back(value);
    temperatures.push_back(temperature);
    humidities.push_back(humidity);
    keys.push_back(std::uint16_t(k));
    return true;
}

void Recording::Finish() {
    const std::size_t n = times.size();
    if (!std::is_sorted(times.begin(), times.end())) {
        std::vector<std::size_t> order(n);
        std::iota(order.begin(), order.end(), std::size_t(0));
        std::stable_sort(order.begin(), order.end(),
                         [this](std::size_t a, std::size_t b) { return times[a] < times[b]; });
        for (std::size_t i = 0; i < n; ++i)
            reordered += order[i] != i ? 1 : 0;
        permute(times, order);
        permute(values, order);
        permute(temperatures, order);
        permute(humidities, order);
        permute(keys, order);
    }
    runs.clear();
    for (std::size_t i = 0; i < n; ++i) {
        if (runs.empty() || keys[i] != runs.back().key)
            runs.push_back({keys[i], i, i + 1});
        else
            runs.back().end = i + 1;
    }
    // The median of the intervals, from at most a million of them evenly spread.
    if (n >= 2) {
        const std::size_t stride = std::max<std::size_t>(1, (n - 1) / 1000000);
        std::vector<qint64> steps;
        steps.reserve((n - 1) / stride + 1);
        for (std::size_t i = 1; i < n; i += stride)
            steps.push_back(times[i] - times[i - 1]);
        auto mid = steps.begin() + std::ptrdiff_t(steps.size() / 2);
        std::nth_element(steps.begin(), mid, steps.end());
        medianIntervalMs = *mid;
    }
    // A gap is ten median intervals, and never less than a second (a meter sends about one
    // reading a second; readings closer than that are not apart).
    gapMs = std::max<qint64>(10 * medianIntervalMs, 1000);
    summaries.clear();
    summaries.reserve(runs.size());
    for (const SeriesRun& run : runs)
        summaries.push_back(BuildRunSummary(*this, run.begin, run.end));
}

RunSummary BuildRunSummary(const Recording& r, std::size_t begin, std::size_t end) {
    RunSummary s;
    const std::size_t f = RunSummary::kFanout;
    // Level 0 from the readings, each further level from the one below.
    std::vector<SummaryBucket> level;
    for (std::size_t at = begin; at < end; at += f) {
        SummaryBucket b = emptyBucket();
        for (std::size_t i = at; i < std::min(end, at + f); ++i) {
            const float v = float(r.values[i]);
            widen(b.valueMin, b.valueMax, v, v);
            widen(b.temperatureMin, b.temperatureMax, r.temperatures[i], r.temperatures[i]);
            widen(b.humidityMin, b.humidityMax, r.humidities[i], r.humidities[i]);
        }
        level.push_back(b);
    }
    while (!level.empty()) {
        const bool last = level.size() == 1;
        s.levels.push_back(std::move(level));
        if (last)
            break;
        const std::vector<SummaryBucket>& below = s.levels.back();
        level.clear();
        for (std::size_t at = 0; at < below.size(); at += f) {
            SummaryBucket b = emptyBucket();
            for (std::size_t i = at; i < std::min(below.size(), at + f); ++i)
                merge(b, below[i]);
            level.push_back(b);
        }
    }
    return s;
}

double StoredNumber(float f) {
    return std::round(double(f) * 1e4) / 1e4;
}

QString ValueName(const SeriesKey& key) {
    if (key.kind == QLatin1String("VEL"))
        return QStringLiteral("Velocity");
    if (key.kind == QLatin1String("FLOW"))
        return QStringLiteral("Flow");
    return QStringLiteral("Value");
}

QString TemperatureName(const SeriesKey& key) {
    if (key.mode == QLatin1String("DP"))
        return QStringLiteral("Dew point");
    if (key.mode == QLatin1String("WB"))
        return QStringLiteral("Wet bulb");
    return QStringLiteral("Temperature");
}
