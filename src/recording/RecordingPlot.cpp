#include "recording/RecordingPlot.h"

#include "recording/RecordingStats.h"

#include "state/SystemTexts.h"

#include <QDateTime>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
constexpr int kChannels = 3; // value, temperature, humidity
using Channel = ColumnChannel;
using Column = ColumnSummary;

void widen(Channel& c, float lo, float hi) {
    if (std::isnan(lo))
        return;
    c.lo = std::isnan(c.lo) ? lo : std::min(c.lo, lo);
    c.hi = std::isnan(c.hi) ? hi : std::max(c.hi, hi);
}

using Envelope = RunColumns;

// The columns of one run between from and to, and the gaps found in it.
} // namespace

RunColumns SummariseColumns(const Recording& r, std::size_t run, qint64 from, qint64 to,
                            qint64 width, std::vector<std::pair<qint64, qint64>>& gaps) {
    Envelope e;
    e.run = run;
    const SeriesRun& sr = r.runs[run];
    const RunSummary& summary = r.summaries[run];
    const auto tb = r.times.begin();
    std::size_t a = std::size_t(
        std::lower_bound(tb + std::ptrdiff_t(sr.begin), tb + std::ptrdiff_t(sr.end), from) - tb);
    std::size_t c =
        std::size_t(std::upper_bound(tb + std::ptrdiff_t(a), tb + std::ptrdiff_t(sr.end), to) - tb);
    // One reading beyond each edge, so the line runs out of the frame.
    if (a > sr.begin)
        --a;
    if (c < sr.end)
        ++c;
    if (a >= c)
        return e;
    const double span = double(to - from);
    const auto columnOf = [&](qint64 t) {
        const double x = std::floor(double(t - from) * double(width) / span);
        return qint64(std::clamp(x, -1.0, double(width)));
    };
    e.firstColumn = columnOf(r.times[a]);
    e.columns.resize(std::size_t(columnOf(r.times[c - 1]) - e.firstColumn + 1));
    // Bucket sizes by level, as far as the summary goes.
    std::array<std::size_t, 8> sizes{};
    std::size_t levels = 0;
    for (std::size_t size = RunSummary::kFanout; levels < summary.levels.size() && levels < 8;
         ++levels, size *= RunSummary::kFanout)
        sizes[levels] = size;
    // Each column's first and last reading, for the readings' own values at its edges; inside a
    // column only the buckets' extremes are read (far fewer of the recording's pages touched).
    std::vector<std::pair<std::size_t, std::size_t>> edges(e.columns.size());
    bool havePrevious = false;
    qint64 previousTime = 0;
    std::size_t i = a;
    while (i < c) {
        const qint64 column = columnOf(r.times[i]);
        // The largest bucket that starts here, ends by c and falls into this column whole.
        std::size_t size = 1;
        const SummaryBucket* bucket = nullptr;
        const std::size_t rel = i - sr.begin;
        for (std::size_t L = levels; L-- > 0;) {
            const std::size_t s = sizes[L];
            if (rel % s != 0)
                continue;
            const std::size_t end = std::min(i + s, sr.end);
            if (end > c || columnOf(r.times[end - 1]) != column)
                continue;
            bucket = &summary.levels[L][rel / s];
            size = end - i;
            break;
        }
        const std::size_t last = i + size - 1;
        Column& col = e.columns[std::size_t(column - e.firstColumn)];
        const bool gap = havePrevious && r.times[i] - previousTime > r.gapMs;
        if (gap)
            gaps.emplace_back(previousTime, r.times[i]);
        const std::size_t k = std::size_t(column - e.firstColumn);
        if (!col.used) {
            col.used = true;
            col.breakBefore = gap;
            col.firstTime = r.times[i];
            edges[k].first = i;
        }
        edges[k].second = last;
        col.lastTime = r.times[last];
        if (bucket) {
            widen(col.ch[0], bucket->valueMin, bucket->valueMax);
            widen(col.ch[1], bucket->temperatureMin, bucket->temperatureMax);
            widen(col.ch[2], bucket->humidityMin, bucket->humidityMax);
        } else {
            const float v = float(r.values[i]);
            widen(col.ch[0], v, v);
            widen(col.ch[1], r.temperatures[i], r.temperatures[i]);
            widen(col.ch[2], r.humidities[i], r.humidities[i]);
        }
        havePrevious = true;
        previousTime = r.times[last];
        i = last + 1;
    }
    for (std::size_t k = 0; k < e.columns.size(); ++k) {
        Column& col = e.columns[k];
        if (!col.used)
            continue;
        const auto [first, last] = edges[k];
        col.ch[0].first = float(r.values[first]);
        col.ch[0].last = float(r.values[last]);
        col.ch[1].first = r.temperatures[first];
        col.ch[1].last = r.temperatures[last];
        col.ch[2].first = r.humidities[first];
        col.ch[2].last = r.humidities[last];
    }
    return e;
}

namespace {

PlotRole roleOf(int channel) {
    return channel == 0   ? PlotRole::Value
           : channel == 1 ? PlotRole::Temperature
                          : PlotRole::Humidity;
}

QString joined(const QStringList& parts) {
    QStringList unique;
    for (const QString& p : parts)
        if (!unique.contains(p))
            unique.push_back(p);
    return unique.join(QStringLiteral(", "));
}

} // namespace

QRectF PlotFrame(QSizeF size) {
    constexpr double left = 64, right = 64, top = 24, bottom = 44;
    return QRectF(left, top, std::max(10.0, size.width() - left - right),
                  std::max(10.0, size.height() - top - bottom));
}

double XOfTime(const PlotView& view, const QRectF& frame, qint64 t) {
    return frame.left() + double(t - view.from) * frame.width() / double(view.to - view.from);
}

qint64 TimeAtX(const PlotView& view, const QRectF& frame, double x) {
    return view.from +
           qint64(std::llround((x - frame.left()) * double(view.to - view.from) / frame.width()));
}

void ShowAll(PlotView& view, const Recording& r) {
    if (r.times.empty()) {
        view.from = 0;
        view.to = kShortestViewMs;
        return;
    }
    ZoomTo(view, r, r.times.front(), r.times.back());
}

namespace {
void keepInside(PlotView& view, const Recording& r) {
    if (r.times.empty())
        return;
    const qint64 span = view.to - view.from;
    const qint64 first = r.times.front();
    const qint64 last = r.times.back();
    const qint64 lo = std::min(first, last - span);
    const qint64 hi = std::max(first, last - span);
    view.from = std::clamp(view.from, lo, hi);
    view.to = view.from + span;
}
} // namespace

void ZoomTo(PlotView& view, const Recording& r, qint64 a, qint64 b) {
    if (a > b)
        std::swap(a, b);
    if (b - a < kShortestViewMs) {
        const qint64 mid = a + (b - a) / 2;
        a = mid - kShortestViewMs / 2;
        b = a + kShortestViewMs;
    }
    view.from = a;
    view.to = b;
    keepInside(view, r);
}

void ZoomAt(PlotView& view, const Recording& r, double fraction, double factor) {
    const double span = double(view.to - view.from);
    double wanted = std::max(double(kShortestViewMs), span * factor);
    if (!r.times.empty()) // never wider than twice the whole recording
        wanted = std::min(wanted, std::max(double(kShortestViewMs),
                                           2.0 * double(r.times.back() - r.times.front())));
    const double pivot = double(view.from) + span * std::clamp(fraction, 0.0, 1.0);
    view.from = qint64(std::llround(pivot - wanted * fraction));
    view.to = view.from + qint64(std::llround(wanted));
    keepInside(view, r);
}

void PanBy(PlotView& view, const Recording& r, double fraction) {
    const qint64 shift = qint64(std::llround(double(view.to - view.from) * fraction));
    view.from += shift;
    view.to += shift;
    keepInside(view, r);
}

TimePlotLayout LayOutRecordingPlot(const Recording& r, const PlotView& view, QSizeF size) {
    TimePlotLayout out;
    out.size = QRectF(QPointF(0, 0), size);
    out.plot = PlotFrame(size);
    const QRectF& frame = out.plot;
    const qint64 width = std::max<qint64>(1, qint64(frame.width()));

    std::vector<std::pair<qint64, qint64>> gaps;
    std::vector<Envelope> envelopes;
    for (std::size_t run = 0; run < r.runs.size(); ++run) {
        const SeriesRun& sr = r.runs[run];
        if (r.times[sr.end - 1] < view.from && sr.end < r.size() && r.times[sr.end] < view.from)
            continue;
        if (r.times[sr.begin] > view.to && sr.begin > 0 && r.times[sr.begin - 1] > view.to)
            continue;
        Envelope e = SummariseColumns(r, run, view.from, view.to, width, gaps);
        if (!e.columns.empty())
            envelopes.push_back(std::move(e));
    }
    const std::array<bool, kChannels> shown{true, view.showTemperature, view.showHumidity};
    // Axis ranges from what lies in the frame (or, zoomed into a gap, from its neighbours).
    std::array<float, 2> left{kNone, kNone};
    std::array<float, 2> right{kNone, kNone};
    QStringList leftTitles;
    QStringList rightTitles;
    for (const bool inside : {true, false}) {
        for (const Envelope& e : envelopes) {
            const SeriesKey& key = r.seriesKeys[r.runs[e.run].key];
            for (std::size_t k = 0; k < e.columns.size(); ++k) {
                const qint64 column = e.firstColumn + qint64(k);
                if (inside != (column >= 0 && column < width) || !e.columns[k].used)
                    continue;
                const Column& col = e.columns[k];
                for (int ch = 0; ch < kChannels; ++ch) {
                    const Channel& c = col.ch[std::size_t(ch)];
                    if (!shown[std::size_t(ch)] || std::isnan(c.lo))
                        continue;
                    auto& range = ch == 0 ? left : right;
                    range[0] = std::isnan(range[0]) ? c.lo : std::min(range[0], c.lo);
                    range[1] = std::isnan(range[1]) ? c.hi : std::max(range[1], c.hi);
                    if (ch == 0)
                        leftTitles << QStringLiteral("%1 (%2)").arg(ValueName(key), key.unit);
                    else if (ch == 1)
                        rightTitles << QStringLiteral("%1 (%2)").arg(TemperatureName(key),
                                                                     key.temperatureUnit);
                    else
                        rightTitles << QStringLiteral("Humidity (%)");
                }
            }
        }
        if (!std::isnan(left[0]) || !std::isnan(right[0]))
            break;
    }
    const AxisRange leftRange =
        std::isnan(left[0]) ? AxisRange{} : NiceAxisRange(left[0], left[1], frame.height());
    const AxisRange rightRange =
        std::isnan(right[0]) ? AxisRange{} : NiceAxisRange(right[0], right[1], frame.height());
    out.leftTicks = ValueAxisTicks(leftRange, frame.height());
    out.rightAxis = !std::isnan(right[0]);
    if (out.rightAxis)
        out.rightTicks = ValueAxisTicks(rightRange, frame.height());
    out.leftTitle = joined(leftTitles);
    out.rightTitle = joined(rightTitles);
    out.timeTicks = TimeAxisTicks(view.from, view.to, r.offsetSeconds, frame.width(), r.hasDates);

    const auto yOf = [&](float v, const AxisRange& range) {
        return frame.top() + (range.hi - double(v)) * frame.height() / (range.hi - range.lo);
    };
    for (const Envelope& e : envelopes) {
        for (int ch = 0; ch < kChannels; ++ch) {
            if (!shown[std::size_t(ch)])
                continue;
            const AxisRange& range = ch == 0 ? leftRange : rightRange;
            PlotPolyline line;
            line.role = roleOf(ch);
            const auto flush = [&] {
                if (!line.points.empty())
                    out.curves.push_back(line);
                line.points.clear();
            };
            for (std::size_t k = 0; k < e.columns.size(); ++k) {
                const Column& col = e.columns[k];
                const Channel& c = col.ch[std::size_t(ch)];
                if (!col.used)
                    continue;
                if (col.breakBefore || std::isnan(c.lo)) {
                    flush();
                    if (std::isnan(c.lo))
                        continue;
                }
                const qint64 column = e.firstColumn + qint64(k);
                const double x = column >= 0 && column < width
                                     ? frame.left() + double(column) + 0.5
                                     : XOfTime(view, frame, col.firstTime);
                for (const float v : {c.first, c.lo, c.hi, c.last}) {
                    if (std::isnan(v))
                        continue;
                    const QPointF p(x, yOf(v, range));
                    if (line.points.empty() || line.points.back() != p)
                        line.points.push_back(p);
                }
            }
            flush();
        }
    }
    for (const auto& [a, b] : gaps)
        out.gaps.emplace_back(XOfTime(view, frame, a), XOfTime(view, frame, b));
    if (view.selection)
        out.selection = std::make_pair(XOfTime(view, frame, view.selection->first),
                                       XOfTime(view, frame, view.selection->second));
    out.band = view.band;
    out.cursorX = view.cursorX;
    QStringList notes;
    if (!r.hasDates)
        notes << QStringLiteral("No dates in this file: times of day, from day 1");
    if (envelopes.empty() || std::isnan(left[0]))
        notes << QStringLiteral("No readings in this range");
    out.note = notes.join(QStringLiteral("; "));
    return out;
}

qint64 NearestReading(const Recording& r, qint64 t) {
    if (r.times.empty())
        return -1;
    const auto it = std::lower_bound(r.times.begin(), r.times.end(), t);
    qint64 i = qint64(it - r.times.begin());
    if (i == qint64(r.size()))
        return i - 1;
    if (i > 0 && t - r.times[std::size_t(i - 1)] <= r.times[std::size_t(i)] - t)
        --i;
    return i;
}

QString ReadoutText(const Recording& r, qint64 i) {
    if (i < 0 || i >= qint64(r.size()))
        return {};
    const std::size_t k = std::size_t(i);
    const QString when = RecordingClockText(r, r.times[k]);
    const SeriesKey& key = r.seriesKeys[r.keys[k]];
    QString text = QStringLiteral("%1   %2: %3 %4")
                       .arg(when, ValueName(key), NumberText(r.values[k]), key.unit);
    if (!std::isnan(r.temperatures[k]))
        text += QStringLiteral("   %1: %2 %3")
                    .arg(TemperatureName(key), NumberText(StoredNumber(r.temperatures[k])),
                         key.temperatureUnit);
    if (!std::isnan(r.humidities[k]))
        text += QStringLiteral("   Humidity: %1 %").arg(NumberText(StoredNumber(r.humidities[k])));
    return text.trimmed();
}
