#include "reports/GraphReportLayout.h"

#include "charts/ChartGeometry.h"
#include "state/GVarMod.h"

namespace {

constexpr double kLeft = 3000;
constexpr double kRight = 13605;
constexpr double kTop = 2500;
constexpr double kBottom = 9940;
constexpr double kZeroY = 6226;
constexpr double kGridStep = 414;
constexpr double kTickStep = 105;
constexpr double kTickTop = 9880;
constexpr double kTwipsPerPixel = 15;
constexpr double kDotRadius = 30;

DotStep dotAt(const PlotPoint& p) {
    return {kLeft + kTwipsPerPixel * p.x, kTop + kTwipsPerPixel * p.y, kDotRadius};
}

LineStep lineBetween(const PlotPoint& a, const PlotPoint& b) {
    return {kLeft + kTwipsPerPixel * a.x, kTop + kTwipsPerPixel * a.y, kLeft + kTwipsPerPixel * b.x,
            kTop + kTwipsPerPixel * b.y, LineStyle::Solid};
}

} // namespace

PrintPage GraphReportPage(GVarMod& state, const GraphReportTexts& texts) {
    const QString arial = QStringLiteral("Arial");
    const PrintFont numberFont{arial, 10, false};
    PrintPage steps;
    steps.emplace_back(NewPageStep{PrintPaper::A4, PageOrientation::Landscape});
    steps.emplace_back(
        TextStep{5300, 800, QStringLiteral("Brisel Graph Report"), PrintFont{arial, 24, true}});

    for (int k = 0; k < 17; ++k)
        steps.emplace_back(TextStep{2500, 2834 + kGridStep * k,
                                    texts.axisNumbers[static_cast<std::size_t>(k)], numberFont});
    const double pageNumberX[3] = {3105, 8230, 13470};
    for (int n = 0; n < 3; ++n)
        steps.emplace_back(TextStep{pageNumberX[n], 10000,
                                    texts.pageNumbers[static_cast<std::size_t>(n)], numberFont});
    steps.emplace_back(TextStep{7000, 1500, texts.clock, numberFont});

    steps.emplace_back(LineStep{kLeft, kTop, kRight, kTop, LineStyle::Solid});
    steps.emplace_back(LineStep{kLeft, kBottom, kRight, kBottom, LineStyle::Solid});
    steps.emplace_back(LineStep{kLeft, kTop, kLeft, kBottom, LineStyle::Solid});
    steps.emplace_back(LineStep{kRight, kTop, kRight, kBottom, LineStyle::Solid});
    steps.emplace_back(LineStep{kLeft, kZeroY, kRight, kZeroY, LineStyle::Solid});
    for (int i = 1; i <= kPageSize; ++i) {
        const double x = kLeft + kTickStep * i;
        steps.emplace_back(LineStep{x, kTickTop, x, kBottom, LineStyle::Solid});
    }
    for (int j = 1; j <= 17; ++j) {
        const double y = kTop + kGridStep * j;
        steps.emplace_back(LineStep{kLeft, y, kRight, y, LineStyle::Dotted});
    }

    const int span = FillPlotPoints(state, GraphChartGeometry());
    const auto& points = state.PlotPoints;
    if (span == 1)
        steps.emplace_back(dotAt(points[0]));
    for (int d = 2; d <= span; ++d) {
        const PlotPoint& here = points[static_cast<std::size_t>(d - 1)];
        const PlotPoint& before = points[static_cast<std::size_t>(d - 2)];
        // Every inner point gets its dot twice, as on the screen.
        steps.emplace_back(lineBetween(here, before));
        steps.emplace_back(dotAt(here));
        steps.emplace_back(dotAt(before));
    }
    return steps;
}
