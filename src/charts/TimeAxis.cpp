#include "charts/TimeAxis.h"

#include "state/SystemTexts.h"

#include <QDateTime>
#include <QLocale>

#include <array>
#include <cmath>

namespace {

constexpr qint64 kSecond = 1000;
constexpr qint64 kMinute = 60 * kSecond;
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kDay = 24 * kHour;
constexpr qint64 kMonday = 4 * kDay; // 1970-01-05

constexpr std::array<qint64, 21> kLadder = {
    kSecond,     2 * kSecond, 5 * kSecond,  10 * kSecond, 15 * kSecond, 30 * kSecond, kMinute,
    2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute, kHour,        2 * kHour,
    3 * kHour,   6 * kHour,   12 * kHour,   kDay,         2 * kDay,     7 * kDay,     14 * kDay};

qint64 floorDiv(qint64 a, qint64 b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

QString minuteText(const QTime& t) {
    return PlainText(QLocale().toString(t, QLocale::ShortFormat));
}

} // namespace

qint64 TimeAxisStep(qint64 spanMs, double pixels, double minSpacing) {
    if (pixels <= 0 || spanMs <= 0)
        return kLadder.back();
    const double perPixel = double(spanMs) / pixels;
    for (const qint64 step : kLadder)
        if (double(step) / perPixel >= minSpacing)
            return step;
    const qint64 month = 30 * kDay;
    const qint64 months = qint64(std::ceil(minSpacing * perPixel / double(month)));
    return std::max<qint64>(1, months) * month;
}

std::vector<AxisTick> TimeAxisTicks(qint64 fromMs, qint64 toMs, int offsetSeconds, double pixels,
                                    bool withDates, double minSpacing) {
    std::vector<AxisTick> ticks;
    if (toMs <= fromMs || pixels <= 0)
        return ticks;
    const qint64 step = TimeAxisStep(toMs - fromMs, pixels, minSpacing);
    const qint64 offset = qint64(offsetSeconds) * kSecond;
    // Steps up to a day fall on multiples in the shown time; longer ones on whole days.
    const qint64 grid = step <= kDay ? step : kDay;
    qint64 shown = floorDiv(fromMs + offset, grid) * grid;
    // Weeks of dated files from a Monday (the epoch was a Thursday), other long steps from the
    // epoch.
    if (step > kDay)
        shown = withDates && step % (7 * kDay) == 0
                    ? floorDiv(shown - kMonday, step) * step + kMonday
                    : floorDiv(shown, step) * step;
    if (shown < fromMs + offset)
        shown += step;
    QDate lastDate;
    for (; shown <= toMs + offset; shown += step) {
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(shown, Qt::UTC);
        AxisTick tick;
        tick.position = double(shown - offset - fromMs) * pixels / double(toMs - fromMs);
        if (step >= kDay) {
            tick.label = withDates ? ShortDateText(at.date())
                                   : QLocale().toString(qlonglong(shown / kDay + 1)); // day n
        } else {
            tick.label = step < kMinute ? TimeOfDayText(at.time()) : minuteText(at.time());
            if (withDates && at.date() != lastDate)
                tick.secondLabel = ShortDateText(at.date());
        }
        lastDate = at.date();
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

double ValueAxisStep(double span, double pixels, double minSpacing) {
    if (!(span > 0) || pixels <= 0)
        return 1.0;
    const double wanted = span * minSpacing / pixels; // the smallest step that keeps the spacing
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= wanted * (1 - 1e-9))
            return m * power;
    return 10.0 * power;
}

AxisRange NiceAxisRange(double lo, double hi, double pixels, double minSpacing) {
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return {};
    if (hi - lo < 1e-9 * std::max(1.0, std::abs(hi))) {
        lo -= 0.5;
        hi += 0.5;
    }
    AxisRange r;
    r.step = ValueAxisStep(hi - lo, pixels, minSpacing);
    r.lo = std::floor(lo / r.step) * r.step;
    r.hi = std::ceil(hi / r.step) * r.step;
    // Whole steps can make the range wider; one more look keeps the ticks far enough apart.
    r.step = ValueAxisStep(r.hi - r.lo, pixels, minSpacing);
    r.lo = std::floor(lo / r.step) * r.step;
    r.hi = std::ceil(hi / r.step) * r.step;
    return r;
}

std::vector<AxisTick> ValueAxisTicks(const AxisRange& range, double pixels) {
    std::vector<AxisTick> ticks;
    if (!(range.hi > range.lo) || !(range.step > 0))
        return ticks;
    const qint64 first = qint64(std::llround(range.lo / range.step));
    const qint64 last = qint64(std::llround(range.hi / range.step));
    for (qint64 k = first; k <= last && ticks.size() < 200; ++k) {
        const double v = double(k) * range.step;
        AxisTick tick;
        tick.position = (range.hi - v) * pixels / (range.hi - range.lo);
        tick.label = NumberText(std::abs(v) < range.step * 1e-9 ? 0.0 : v);
        ticks.push_back(std::move(tick));
    }
    return ticks;
}
