#pragma once

#include "traverse/TraverseResults.h"

#include <QLocale>
#include <QStringList>

// The verdict of a test: nothing before every point is taken or skipped ("incomplete: n of N"),
// then each criterion of the test type judged on its own with its figure, PASS only when all
// pass. Duct and grille: the flow against the design value. Fume hood: the mean face velocity
// within the band, and every point within the uniformity limit of the mean. Clean air unit: the
// mean within the tolerance of the design velocity, and the coefficient of variation at most the
// limit. Face grid: with a design velocity, the mean and the uniformity.
enum class VerdictState {
    NotJudged,  // every point recorded, but nothing to judge (no design value)
    Incomplete, // points are neither taken nor skipped
    Pass,
    Fail,
};

enum class CriterionKind { Flow, MeanVelocity, Uniformity, Variation, Points };
struct Criterion {
    CriterionKind kind = CriterionKind::Flow;
    bool pass = false;
    QString text; // "uniformity: 1 point more than 20 % from the mean (R1C4, +25.3 %)"
};

struct TraverseVerdict {
    VerdictState state = VerdictState::NotJudged;
    int recorded = 0; // taken or skipped
    int total = 0;
    std::vector<Criterion> criteria; // judged only when every point is recorded
    QStringList skipped;             // names of the skipped points
    // "PASS", "FAIL", "incomplete: 3 of 20", or empty.
    QString Headline() const;
    // The failing criteria, then "skipped: A3, B5" when points were skipped.
    QStringList Reasons() const;
};

// unit: the velocity unit figures are written in.
TraverseVerdict JudgeTraverse(const TraverseSetup& setup, const std::vector<TraversePoint>& points,
                              const std::vector<PointRecord>& records,
                              const TraverseResults& results, MeterUnit unit,
                              const QLocale& locale);
