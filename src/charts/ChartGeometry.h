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
};

// Live chart: zero at 123, 8 grid lines 25 pixels apart (none over the zero line), x = 4i.
const ChartGeometry& LiveChartGeometry();
// Graph window: zero at 247, 17 grid lines y = 31 + 27k (one over the zero line), x = 7i.
const ChartGeometry& GraphChartGeometry();

// The vertical pixel of a value: zeroY - value * pixelsPerScale / scale, in double precision
// (product, quotient, difference), rounded to the nearest integer with halves to even.
// scale is never 0.
std::int32_t PlotY(const ChartGeometry& geometry, double value, std::int32_t scale);

// Fills PlotPoints entries 0 ... ViewSpan - 1 with the record number, x and y of each reading of
// the page and returns how many were filled. With no readings nothing is filled and the entries
// keep what an earlier drawing left.
int FillPlotPoints(GVarMod& state, const ChartGeometry& geometry);
