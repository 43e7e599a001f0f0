#include "state/ReadoutRules.h"

#include "state/Rounding.h"

RunningExtremes::Change RunningExtremes::Update(double v) {
    Change c;
    if (varmin == kUnset || varmax == kUnset) {
        varmin = varmax = v;
        c.min = c.max = true;
        return c;
    }
    if (v < varmin) {
        varmin = v;
        c.min = true;
    }
    if (v > varmax) {
        varmax = v;
        c.max = true;
    }
    return c;
}

std::optional<int> BarMeterLevel(double value) {
    const double k = RoundHalfEven(value);
    if (!(k <= kBarFullScale))
        return std::nullopt;
    return static_cast<int>(k);
}
