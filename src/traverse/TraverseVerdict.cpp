#include "traverse/TraverseVerdict.h"

#include "traverse/TraverseTexts.h"

#include <cmath>

QString TraverseVerdict::Headline() const {
    switch (state) {
    case VerdictState::NotJudged:
        return {};
    case VerdictState::Incomplete:
        return QStringLiteral("incomplete: %1 of %2").arg(recorded).arg(total);
    case VerdictState::Pass:
        return QStringLiteral("PASS");
    case VerdictState::Fail:
        return QStringLiteral("FAIL");
    }
    return {};
}

QStringList TraverseVerdict::Reasons() const {
    QStringList out;
    for (const Criterion& c : criteria)
        if (!c.pass)
            out << c.text;
    if (!skipped.isEmpty())
        out << QStringLiteral("skipped: ") + skipped.join(QStringLiteral(", "));
    return out;
}

namespace {

// Within a limit up to the rounding of the units.
bool within(double value, double limit) {
    return value <= limit + 1e-9;
}

QString aboveOrBelow(double percent) {
    return percent > 0 ? QStringLiteral("above") : QStringLiteral("below");
}

} // namespace

TraverseVerdict JudgeTraverse(const TraverseSetup& s, const std::vector<TraversePoint>& points,
                              const std::vector<PointRecord>& records, const TraverseResults& r,
                              MeterUnit unit, const QLocale& l) {
    TraverseVerdict v;
    v.total = int(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].taken || records[i].skipped)
            ++v.recorded;
        if (records[i].skipped)
            v.skipped << points[i].name;
    }
    if (v.recorded < v.total) {
        v.state = VerdictState::Incomplete;
        return v;
    }
    const bool design = s.designValue > 0;
    const QString tolerance = QStringLiteral("+-") + PercentText(s.tolerancePercent, 0, l);
    const auto velocity = [&](double ms) {
        return VelocityWithUnit(ms, unit, l);
    };
    const auto judgeDesignVelocity = [&] {
        const double measured = s.designStandard ? r.standardMean : r.actualMean;
        const double percent = r.designDeviationPercent.value_or(0);
        const bool pass = within(std::abs(percent), s.tolerancePercent);
        const QString designText =
            FixedText(s.designValue, VelocityDecimals(s.designVelocityUnit), l) + u' ' +
            UnitText(s.designVelocityUnit) +
            (s.designStandard ? QStringLiteral(" standard") : QString());
        v.criteria.push_back(
            {CriterionKind::MeanVelocity, pass,
             pass ? QStringLiteral("mean velocity %1 within %2 of the design %3")
                        .arg(velocity(measured), tolerance, designText)
                  : QStringLiteral("mean velocity %1 %2 %3 the design %4 (%5)")
                        .arg(velocity(measured), PercentText(std::abs(percent), 1, l),
                             aboveOrBelow(percent), designText, tolerance)});
    };
    const auto judgeUniformity = [&] {
        QStringList out;
        for (std::size_t i = 0; i < records.size(); ++i)
            if (r.flagged[i])
                out << points[i].name + QStringLiteral(", ") +
                           PercentText(r.fromMeanPercent[i], 1, l, true);
        const QString limit = PercentText(s.faceFlagPercent, 0, l);
        const bool pass = out.isEmpty();
        v.criteria.push_back(
            {CriterionKind::Uniformity, pass,
             pass ? QStringLiteral("uniformity: every point within %1 of the mean").arg(limit)
                  : QStringLiteral("uniformity: %1 %2 more than %3 from the mean (%4)")
                        .arg(out.size())
                        .arg(out.size() == 1 ? QStringLiteral("point") : QStringLiteral("points"))
                        .arg(limit, out.join(QStringLiteral("; ")))});
    };

    if (r.taken == 0) {
        if (design || s.type == TestType::FumeHood || s.type == TestType::CleanAirUnit) {
            v.criteria.push_back({CriterionKind::Points, false, QStringLiteral("no point taken")});
            v.state = VerdictState::Fail;
        }
        return v;
    }
    switch (s.type) {
    case TestType::DuctTraverse:
    case TestType::Grille:
        if (!design)
            break;
        if (!r.designDeviationPercent) {
            v.criteria.push_back(
                {CriterionKind::Flow, false, QStringLiteral("flow: no Ak given for the grille")});
            break;
        } else {
            const double percent = *r.designDeviationPercent;
            const bool pass = within(std::abs(percent), s.tolerancePercent);
            const double flow = s.designStandard ? r.standardFlow : r.flow;
            const QString kind =
                s.designStandard ? QStringLiteral("standard flow") : QStringLiteral("flow");
            const QString flowText =
                FlowText(flow, s.designFlowUnit, l) + u' ' + FlowUnitText(s.designFlowUnit);
            const QString designText = FixedText(s.designValue, FlowDecimals(s.designFlowUnit), l) +
                                       u' ' + FlowUnitText(s.designFlowUnit);
            v.criteria.push_back(
                {CriterionKind::Flow, pass,
                 pass ? QStringLiteral("%1 %2 within %3 of the design %4")
                            .arg(kind, flowText, tolerance, designText)
                      : QStringLiteral("%1 %2 %3 %4 the design %5 (%6)")
                            .arg(kind, flowText, PercentText(std::abs(percent), 1, l),
                                 aboveOrBelow(percent), designText, tolerance)});
        }
        break;
    case TestType::FumeHood: {
        const double low = s.bandLow * SiPerUnit(s.bandUnit);
        const double high = s.bandHigh * SiPerUnit(s.bandUnit);
        const double mean = r.actualMean;
        const QString band =
            QStringLiteral("the band %1 to %2").arg(VelocityText(low, unit, l), velocity(high));
        // Judged as written in the band's unit, so a mean shown as the limit passes.
        const double meanInBand = mean / SiPerUnit(s.bandUnit);
        const bool below = !within(s.bandLow, meanInBand);
        const bool above = !within(meanInBand, s.bandHigh);
        v.criteria.push_back({CriterionKind::MeanVelocity, !below && !above,
                              QStringLiteral("mean velocity %1 %2 %3")
                                  .arg(velocity(mean),
                                       below   ? QStringLiteral("below")
                                       : above ? QStringLiteral("above")
                                               : QStringLiteral("within"),
                                       band)});
        judgeUniformity();
        break;
    }
    case TestType::CleanAirUnit: {
        if (design)
            judgeDesignVelocity();
        const bool pass = within(r.variationPercent, s.maxVariationPercent);
        v.criteria.push_back(
            {CriterionKind::Variation, pass,
             QStringLiteral("variation (CV) %1 %2 %3")
                 .arg(PercentText(r.variationPercent, 1, l),
                      pass ? QStringLiteral("within the limit") : QStringLiteral("above the limit"),
                      PercentText(s.maxVariationPercent, 0, l))});
        break;
    }
    case TestType::FaceGrid:
        if (!design)
            break;
        judgeDesignVelocity();
        judgeUniformity();
        break;
    }
    if (v.criteria.empty())
        return v;
    v.state = VerdictState::Pass;
    for (const Criterion& c : v.criteria)
        if (!c.pass)
            v.state = VerdictState::Fail;
    return v;
}
