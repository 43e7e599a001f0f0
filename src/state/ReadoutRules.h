#pragma once

#include <optional>

// The running minimum and maximum of the main value. 50000.0 means "not set"; the pair counts as
// unset as soon as either member holds it.
struct RunningExtremes {
    static constexpr double kUnset = 50000.0;
    double varmax = kUnset;
    double varmin = kUnset;

    struct Change {
        bool max = false; // the maximum box shows the new reading's text
        bool min = false; // the minimum box shows the new reading's text
    };

    // Takes a new reading's value; says which of the two boxes must show its text.
    Change Update(double v);
    void Reset() { varmax = varmin = kUnset; }
};

// The bar meter: 41 segments, 0 to 40.
inline constexpr int kBarFullScale = 40;

// The last segment shown for a reading (segments 0 to k are shown, the rest hidden), or nothing
// when the value rounds above 40 and the bar stays as it was.
std::optional<int> BarMeterLevel(double value);
