#include "traverse/TraverseResults.h"

#include <cmath>

TraverseResults ComputeTraverseResults(const TraverseSetup& setup,
                                       const std::vector<PointRecord>& records,
                                       MeterUnit resultUnit) {
    TraverseResults r;
    r.pointCount = int(records.size());
    r.area = InsideAreaSquareMetres(setup);
    r.flagged.assign(records.size(), false);
    double sum = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PointRecord& p = records[i];
        if (p.skipped)
            ++r.skipped;
        if (!p.InResults())
            continue;
        const double v = p.taken->average;
        ++r.taken;
        sum += v;
        if (r.lowest < 0 || v < records[std::size_t(r.lowest)].taken->average)
            r.lowest = int(i);
        if (r.highest < 0 || v > records[std::size_t(r.highest)].taken->average)
            r.highest = int(i);
    }
    if (r.taken == 0)
        return r;
    r.mean = sum / r.taken;
    double squares = 0;
    for (const PointRecord& p : records)
        if (p.InResults())
            squares += (p.taken->average - r.mean) * (p.taken->average - r.mean);
    r.deviation = r.taken > 1 ? std::sqrt(squares / (r.taken - 1)) : 0.0;
    r.variationPercent = r.mean > 0 ? 100 * r.deviation / r.mean : 0.0;
    r.flow = r.mean * r.area;

    const bool face = setup.shape == TraverseShape::FaceGrid;
    if (face) {
        const double limit = setup.faceFlagPercent / 100 * r.mean;
        for (std::size_t i = 0; i < records.size(); ++i)
            if (records[i].InResults() && std::abs(records[i].taken->average - r.mean) > limit) {
                r.flagged[i] = true;
                ++r.flaggedCount;
            }
    }
    if (setup.designValue > 0) {
        const double measured = face ? r.mean / SiPerUnit(resultUnit)
                                     : FlowFromCubicMetresPerSecond(r.flow, setup.designFlowUnit);
        const double percent = 100 * (measured - setup.designValue) / setup.designValue;
        r.designDeviationPercent = percent;
        // A deviation that is the tolerance up to rounding of the units passes.
        const bool within = std::abs(percent) <= setup.tolerancePercent + 1e-9;
        r.pass = within && r.flaggedCount == 0;
    }
    return r;
}
