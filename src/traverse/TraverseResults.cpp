#include "traverse/TraverseResults.h"

#include <cmath>

MeterAir MeterAirOf(const std::vector<PointRecord>& records) {
    MeterAir m;
    int n = 0;
    bool missing = false;
    for (const PointRecord& p : records) {
        if (!p.InResults())
            continue;
        if (p.taken->notPlainAir)
            m.notPlain = true;
        if (!p.taken->temperatureC || !p.taken->humidity) {
            missing = true;
            continue;
        }
        m.temperatureC += *p.taken->temperatureC;
        m.humidity += *p.taken->humidity;
        ++n;
    }
    m.available = n > 0 && !missing;
    if (n > 0) {
        m.temperatureC /= n;
        m.humidity /= n;
    }
    return m;
}

TraverseResults ComputeTraverseResults(const TraverseSetup& setup,
                                       const std::vector<PointRecord>& records) {
    TraverseResults r;
    r.pointCount = int(records.size());
    r.area = InsideAreaSquareMetres(setup);
    r.flagged.assign(records.size(), false);
    r.fromMeanPercent.assign(records.size(), 0.0);
    r.density = DensityFor(setup.air, MeterAirOf(records));
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
    const ActualAndStandard v =
        ProbeVelocities(r.mean, setup.air.probe, r.density.density, r.density.standardDensity);
    r.actualMean = v.actual;
    r.standardMean = v.standard;
    r.flow = r.actualMean * r.area;
    r.standardFlow = r.standardMean * r.area;

    const bool face = setup.shape == TraverseShape::FaceGrid;
    if (face && r.mean > 0) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (!records[i].InResults())
                continue;
            const double percent = 100 * (records[i].taken->average - r.mean) / r.mean;
            r.fromMeanPercent[i] = percent;
            // A deviation that is the limit up to rounding of the units is within it.
            if (std::abs(percent) > setup.faceFlagPercent + 1e-9) {
                r.flagged[i] = true;
                ++r.flaggedCount;
            }
        }
    }
    if (setup.designValue > 0) {
        const bool flowDesign = !face;
        double measured = 0;
        if (flowDesign)
            measured = FlowFromCubicMetresPerSecond(setup.designStandard ? r.standardFlow : r.flow,
                                                    setup.designFlowUnit);
        else
            measured = (setup.designStandard ? r.standardMean : r.actualMean) /
                       SiPerUnit(setup.designVelocityUnit);
        if (!(flowDesign && r.area <= 0))
            r.designDeviationPercent = 100 * (measured - setup.designValue) / setup.designValue;
    }
    return r;
}
