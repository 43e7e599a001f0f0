#include "state/Durations.h"

#include <cmath>

std::optional<qint64> ParseDuration(QStringView text) {
    text = text.trimmed();
    double unitMs = 1000;
    if (!text.isEmpty()) {
        switch (text.back().unicode()) {
        case u's':
            unitMs = 1000;
            text.chop(1);
            break;
        case u'm':
            unitMs = 60.0 * 1000;
            text.chop(1);
            break;
        case u'h':
            unitMs = 3600.0 * 1000;
            text.chop(1);
            break;
        case u'd':
            unitMs = 86400.0 * 1000;
            text.chop(1);
            break;
        default:
            break;
        }
    }
    // Digits with at most one full stop: no sign, no exponent, no blanks inside.
    if (text.isEmpty() || text.count(u'.') > 1)
        return std::nullopt;
    for (const QChar c : text)
        if (c != u'.' && (c < u'0' || c > u'9'))
            return std::nullopt;
    bool ok = false;
    const double ms = text.toDouble(&ok) * unitMs;
    // At most a hundred years, so the count of milliseconds stays exact.
    if (!ok || !(ms >= 1) || ms > 100 * 366 * 86400e3)
        return std::nullopt;
    return static_cast<qint64>(std::llround(ms));
}
