#pragma once

#include "traverse/TraversePoints.h"

#include <optional>
#include <vector>

// What one take stored for a point, in m/s.
struct PointMeasurement {
    double average = 0;
    double minimum = 0;
    double maximum = 0;
    int count = 0;
    friend bool operator==(const PointMeasurement&, const PointMeasurement&) = default;
};

// A point's state in the traverse: taken (its last take), skipped (left out of the results and
// marked in the report), or neither yet.
struct PointRecord {
    std::optional<PointMeasurement> taken;
    bool skipped = false;
    bool InResults() const { return taken && !skipped; }
};

// The results of a traverse. Velocities in m/s, the area in m2, the flow in m3/s.
struct TraverseResults {
    int pointCount = 0; // points of the traverse
    int taken = 0;      // points in the results: taken and not skipped
    int skipped = 0;
    // The rest only when taken > 0.
    double mean = 0;             // plain mean of the points' averages
    int lowest = -1;             // index of the point with the lowest average (the first of equals)
    int highest = -1;            // and the highest
    double deviation = 0;        // sample standard deviation of the averages (0 for one point)
    double variationPercent = 0; // coefficient of variation: deviation / mean in %
    double area = 0;
    double flow = 0;
    // Face points further than the setup's percentage from the mean (by index).
    std::vector<bool> flagged;
    int flaggedCount = 0;
    // With a design value: how far the measured flow (duct) or mean face velocity (face) is from it
    // in %, and the verdict: within the tolerance, and for a face with no flagged point.
    std::optional<double> designDeviationPercent;
    std::optional<bool> pass;
};

// resultUnit: the unit the design face velocity is given in.
TraverseResults ComputeTraverseResults(const TraverseSetup& setup,
                                       const std::vector<PointRecord>& records,
                                       MeterUnit resultUnit);
