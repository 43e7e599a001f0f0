#include "charts/ChartGeometry.h"

#include "state/GVarMod.h"
#include "state/Rounding.h"

#include <cmath>
#include <limits>

const ChartGeometry& LiveChartGeometry() {
    static const ChartGeometry g{
        .lineEnd = 415,
        .zeroY = 123,
        .gridYs = {23, 48, 73, 98, 148, 173, 198, 223},
        .xStep = 4,
        .pixelsPerScale = 100,
        .tickTop = 244,
        .tickBottom = 247,
        .areaWidth = 405,
        .areaHeight = 245,
        .border = 2,
    };
    return g;
}

const ChartGeometry& GraphChartGeometry() {
    static const ChartGeometry g = [] {
        ChartGeometry graph{
            .lineEnd = 707,
            .zeroY = 247,
            .gridYs = {},
            .xStep = 7,
            .pixelsPerScale = 216,
            .tickTop = 490,
            .tickBottom = 494,
            .areaWidth = 705,
            .areaHeight = 494,
            .border = 1,
        };
        for (int k = 0; k <= 16; ++k)
            graph.gridYs.push_back(31 + 27 * k);
        return graph;
    }();
    return g;
}

std::int32_t PlotY(const ChartGeometry& geometry, double value, std::int32_t scale) {
    const double product = value * geometry.pixelsPerScale;
    const double quotient = product / scale;
    const double y = geometry.zeroY - quotient;
    if (std::isnan(y))
        return geometry.zeroY;
    if (const std::optional<std::int32_t> inRange = NearestInt32(y))
        return *inRange;
    return y < 0 ? -std::numeric_limits<std::int32_t>::max()
                 : std::numeric_limits<std::int32_t>::max();
}

int FillPlotPoints(GVarMod& state, const ChartGeometry& geometry) {
    if (state.ReadingCount == 0)
        return 0;
    const int span = state.ViewSpan;
    for (int i = 1; i <= span; ++i) {
        const std::int32_t r = state.ViewStart + i - 1;
        PlotPoint& p = state.PlotPoints[static_cast<std::size_t>(i - 1)];
        p.record = r;
        p.x = geometry.xStep * i;
        p.y = PlotY(geometry, state.Readings(r).Value, state.ChartScale);
    }
    return span;
}
