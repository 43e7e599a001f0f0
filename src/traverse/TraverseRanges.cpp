#include "traverse/TraverseRanges.h"

#include <algorithm>
#include <cmath>

double SetupRange::Fit(double value) const {
    const double scale = std::pow(10.0, decimals);
    return std::clamp(std::round(value * scale) / scale, least, most);
}

SetupRange SizeRange(LengthUnit unit) {
    if (unit == LengthUnit::Millimetres)
        return {10, 10000, LengthDecimals(unit)};
    return {0.5, 400, LengthDecimals(unit)};
}
