#pragma once

#include "traverse/AirDensity.h"
#include "traverse/TraversePoints.h"

#include <QDateTime>

#include <optional>
#include <vector>

// What one take stored for a point: velocities in m/s as the meter read them, the take's length,
// when it ended, and the mean of the meter's plain temperature (degC) and humidity (%) over it
// when the meter gave them.
struct PointMeasurement {
    double average = 0;
    double minimum = 0;
    double maximum = 0;
    int count = 0;
    int takeSeconds = 0;
    QDateTime takenAt;
    std::optional<double> temperatureC;
    std::optional<double> humidity;
    bool notPlainAir = false; // the meter showed dew point or wet bulb during the take
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
    double mean = 0;             // plain mean of the points' averages, as the meter read them
    int lowest = -1;             // index of the point with the lowest average (the first of equals)
    int highest = -1;            // and the highest
    double deviation = 0;        // sample standard deviation of the averages (0 for one point)
    double variationPercent = 0; // coefficient of variation: deviation / mean in %
    double area = 0;
    // The mean as actual and standard velocity (by the probe type and density), and the flows.
    double actualMean = 0;
    double standardMean = 0;
    double flow = 0; // actual
    double standardFlow = 0;
    AirDensityUsed density;
    // Points further than the setup's percentage from the mean (by index), and by how much (%).
    std::vector<bool> flagged;
    std::vector<double> fromMeanPercent;
    int flaggedCount = 0;
    // With a design value: how far the measured flow or mean face velocity (actual or standard,
    // as the design says) is from it in %.
    std::optional<double> designDeviationPercent;
};

// The mean of the meter's temperature and humidity over the points in the results.
MeterAir MeterAirOf(const std::vector<PointRecord>& records);

TraverseResults ComputeTraverseResults(const TraverseSetup& setup,
                                       const std::vector<PointRecord>& records);
