#pragma once

#include "traverse/TraversePoints.h"

// The values a setup may hold, defined once: the setup's boxes offer these ranges and the saved
// setup is read back through them, so what is computed is always what the boxes show.
struct SetupRange {
    double least = 0;
    double most = 0;
    int decimals = 0;

    // The value as its box holds it: rounded to the box's decimals, then brought into the range.
    // A value that is no finite number has no place in it (the caller keeps its default).
    double Fit(double value) const;
};

// Inside sizes: 10 ... 10000 mm in whole millimetres, 0.5 ... 400 in to hundredths.
SetupRange SizeRange(LengthUnit unit);

inline constexpr SetupRange kFaceCellsRange{1, kMaxFaceCells, 0};
inline constexpr SetupRange kTakeSecondsRange{kMinTakeSeconds, kMaxTakeSeconds, 0};
inline constexpr SetupRange kDesignValueRange{0, 1e7, 2}; // 0: no design value
inline constexpr SetupRange kTolerancePercentRange{0.1, 100, 1};
inline constexpr SetupRange kFaceFlagPercentRange{1, 100, 0};
