#pragma once

#include <cstdint>
#include <vector>

class GVarMod;

// Where a chart draws, in the pixels of its drawing area (origin at the inner top-left corner,
// y downwards). The live chart and the graph window differ only in these numbers.
struct ChartGeometry {
    int lineEnd = 0;         // horizontal lines run from x = 0 to here
    int zeroY = 0;           // the solid black zero line
    std::vector<int> gridYs; // dotted silver grid lines
    int xStep = 0;           // page position i is drawn at x = xStep * i
    int pixelsPerScale = 0;  // a value of ChartScale lies this far above the zero line
    int tickTop = 0;         // tick mark of position i: (xStep * i, tickTop) to (.., tickBottom)
    int tickBottom = 0;
    int areaWidth = 0;  // inner size of the drawing area: pixels 0 ... areaWidth - 1 are seen;
    int areaHeight = 0; // anything drawn beyond is clipped
    int border = 0;     // width of the area's border on each side; outer size = inner + 2 border
};

// Live chart: zero at 123, 8 grid lines 25 pixels apart (none over the zero line), x = 4i.
// Inner area 405 x 245 inside a 2-pixel sunken border (outer 409 x 249).
const ChartGeometry& LiveChartGeometry();
// Graph window: zero at 247, 17 grid lines y = 31 + 27k (one over the zero line), x = 7i.
// Inner area 705 x 494 inside a single-line border (outer 707 x 496).
const ChartGeometry& GraphChartGeometry();

// The vertical pixel of a value: zeroY - value * pixelsPerScale / scale, in double precision
// (product, quotient, difference), rounded to the nearest integer with halves to even.
// scale is never 0. A point too far off the area for 32 bits is kept at the nearest 32-bit
// position on its side (it is clipped all the same); a value that is not a number sits on the
// zero line.
std::int32_t PlotY(const ChartGeometry& geometry, double value, std::int32_t scale);

// Fills PlotPoints entries 0 ... ViewSpan - 1 with the record number, x and y of each reading of
// the page and returns how many were filled. With no readings nothing is filled and the entries
// keep what an earlier drawing left.
int FillPlotPoints(GVarMod& state, const ChartGeometry& geometry);

// The order in which a page is drawn over its points (PlotPoints entries 0 ... span - 1): one dot
// alone for a single reading; otherwise, for each reading after the first, the line back to the
// one before it, then a dot on it, then a dot on the one before. line(from, to) and dot(at) get
// entry indices. Every drawing of the page (the charts, the printed graph) follows this order.
template <typename LineFn, typename DotFn>
void ForEachCurveStep(int span, LineFn&& line, DotFn&& dot) {
    if (span == 1)
        dot(0);
    for (int i = 2; i <= span; ++i) {
        line(i - 1, i - 2);
        dot(i - 1);
        dot(i - 2);
    }
}
