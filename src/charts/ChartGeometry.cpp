#include "charts/ChartGeometry.h"

#include "state/GVarMod.h"
#include "state/Rounding.h"

const ChartGeometry& LiveChartGeometry() {
    static const ChartGeometry g{415, 123, {23, 48, 73, 98, 148, 173, 198, 223}, 4, 100, 244, 247};
    return g;
}

const ChartGeometry& GraphChartGeometry() {
    static const ChartGeometry g = [] {
        ChartGeometry graph{707, 247, {}, 7, 216, 490, 494};
        for (int k = 0; k <= 16; ++k)
            graph.gridYs.push_back(31 + 27 * k);
        return graph;
    }();
    return g;
}

std::int32_t PlotY(const ChartGeometry& geometry, double value, std::int32_t scale) {
    const double product = value * geometry.pixelsPerScale;
    const double quotient = product / scale;
    return static_cast<std::int32_t>(RoundHalfEven(geometry.zeroY - quotient));
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
