#include "recording/RecordingStats.h"

#include "reports/AnsiText.h"
#include "state/SystemTexts.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

struct Accumulator {
    RangeStatistics s;
    double m2 = 0;      // Welford's sum of squared deviations
    double area = 0;    // value x milliseconds
    double covered = 0; // milliseconds
    bool haveLast = false;
    std::size_t lastRun = 0;
    qint64 lastTime = 0;
    double lastValue = 0;

    void add(double v, qint64 t, std::size_t run, qint64 gapMs) {
        if (s.count == 0) {
            s.firstTime = t;
            s.minimum = s.maximum = v;
            s.minimumTime = s.maximumTime = t;
        }
        s.lastTime = t;
        ++s.count;
        const double delta = v - s.mean;
        s.mean += delta / double(s.count);
        m2 += delta * (v - s.mean);
        if (v < s.minimum) {
            s.minimum = v;
            s.minimumTime = t;
        }
        if (v > s.maximum) {
            s.maximum = v;
            s.maximumTime = t;
        }
        if (haveLast && run == lastRun && t - lastTime <= gapMs) {
            area += (v + lastValue) / 2 * double(t - lastTime);
            covered += double(t - lastTime);
        }
        haveLast = true;
        lastRun = run;
        lastTime = t;
        lastValue = v;
    }

    RangeStatistics result() {
        s.standardDeviation = s.count > 1 ? std::sqrt(m2 / double(s.count - 1)) : 0.0;
        s.timeWeightedMean = covered > 0 ? area / covered : s.mean;
        return s;
    }
};

QByteArray quoted(const QString& text) {
    return '"' + ToAnsi(text) + '"';
}

QByteArray number(double v) {
    return ToAnsi(FullStopNumberText(v));
}

} // namespace

std::vector<RangeStatistics> StatisticsOf(const Recording& r, qint64 from, qint64 to) {
    std::vector<Accumulator> acc;
    const auto slot = [&acc](const QString& quantity, const QString& unit) {
        for (std::size_t k = 0; k < acc.size(); ++k)
            if (acc[k].s.quantity == quantity && acc[k].s.unit == unit)
                return k;
        acc.emplace_back();
        acc.back().s.quantity = quantity;
        acc.back().s.unit = unit;
        return acc.size() - 1;
    };
    const auto lo = std::lower_bound(r.times.begin(), r.times.end(), from);
    const auto hi = std::upper_bound(r.times.begin(), r.times.end(), to);
    const std::size_t a = std::size_t(lo - r.times.begin());
    const std::size_t b = std::size_t(hi - r.times.begin());
    for (std::size_t run = 0; run < r.runs.size(); ++run) {
        const SeriesRun& sr = r.runs[run];
        const std::size_t begin = std::max(a, sr.begin);
        const std::size_t end = std::min(b, sr.end);
        if (begin >= end)
            continue;
        const SeriesKey& key = r.seriesKeys[sr.key];
        const std::size_t iv = slot(ValueName(key), key.unit);
        const std::size_t it = slot(TemperatureName(key), key.temperatureUnit);
        const std::size_t ih = slot(QStringLiteral("Humidity"), QStringLiteral("%"));
        for (std::size_t i = begin; i < end; ++i) {
            acc[iv].add(r.values[i], r.times[i], run, r.gapMs);
            if (!std::isnan(r.temperatures[i]))
                acc[it].add(StoredNumber(r.temperatures[i]), r.times[i], run, r.gapMs);
            if (!std::isnan(r.humidities[i]))
                acc[ih].add(StoredNumber(r.humidities[i]), r.times[i], run, r.gapMs);
        }
    }
    std::vector<RangeStatistics> out;
    for (Accumulator& x : acc)
        if (x.s.count > 0)
            out.push_back(x.result());
    return out;
}

QString RecordingTimeText(const Recording& r, qint64 ms) {
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, r.offsetSeconds);
    if (r.hasDates)
        return IsoInstantText(at);
    const qint64 day = ms >= 0 ? ms / (24LL * 3600 * 1000) : 0;
    return QStringLiteral("day %1 %2").arg(day + 1).arg(at.time().toString(u"HH:mm:ss.zzz"));
}

QString RecordingClockText(const Recording& r, qint64 ms) {
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, r.offsetSeconds);
    if (r.hasDates)
        return ClockText(at);
    const qint64 day = ms >= 0 ? ms / (24LL * 3600 * 1000) : 0;
    return QStringLiteral("day %1 %2").arg(day + 1).arg(TimeOfDayText(at.time()));
}

QString DurationText(qint64 ms) {
    if (ms < 60000)
        return FullStopNumberText(double(ms) / 1000.0) + QStringLiteral(" s");
    const qint64 s = ms / 1000;
    const QString hms = QStringLiteral("%1:%2:%3")
                            .arg((s / 3600) % 24, 2, 10, QLatin1Char('0'))
                            .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
                            .arg(s % 60, 2, 10, QLatin1Char('0'));
    return s >= 86400 ? QStringLiteral("%1 d %2").arg(s / 86400).arg(hms) : hms;
}

QString StatisticText(double value) {
    return NumberText(std::round(value * 1e4) / 1e4);
}

QByteArray StatisticsCsvBytes(const Recording& r, qint64 from, qint64 to,
                              const std::vector<RangeStatistics>& stats) {
    QByteArray out = R"("FILE","FROM","TO","QUANTITY","UNIT","COUNT","FIRST","LAST","DURATION S",)"
                     R"("MEAN","TIME-WEIGHTED MEAN","MIN","MIN TIME","MAX","MAX TIME","STD DEV")"
                     "\r\n";
    const QByteArray file = quoted(QFileInfo(r.path).fileName());
    for (const RangeStatistics& s : stats) {
        QByteArrayList row{file,
                           quoted(RecordingTimeText(r, from)),
                           quoted(RecordingTimeText(r, to)),
                           quoted(s.quantity),
                           quoted(s.unit),
                           QByteArray::number(s.count),
                           quoted(RecordingTimeText(r, s.firstTime)),
                           quoted(RecordingTimeText(r, s.lastTime)),
                           number(double(s.durationMs()) / 1000.0),
                           number(s.mean),
                           number(s.timeWeightedMean),
                           number(s.minimum),
                           quoted(RecordingTimeText(r, s.minimumTime)),
                           number(s.maximum),
                           quoted(RecordingTimeText(r, s.maximumTime)),
                           number(s.standardDeviation)};
        out += row.join(',') + "\r\n";
    }
    return out;
}
