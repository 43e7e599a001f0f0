#pragma once

#include "reports/PrintSteps.h"

#include <QString>

#include <array>

class GVarMod;

// What the printed graph copies from the windows at the moment of printing.
struct GraphReportTexts {
    // The vertical axis numbers from the top: the graph window's Label8(0 ... 7), its zero label
    // Label6, then Label8(9 ... 16).
    std::array<QString, 17> axisNumbers;
    // The record numbers under positions 1, 50 and 100 of the page: numlabel1(0 ... 2).
    std::array<QString, 3> pageNumbers;
    // The connection panel's clock text.
    QString clock;
};

// The printed graph: one A4 landscape page with the title, the clock text, the axis and record
// numbers, the frame, the zero line, 100 tick marks, 17 dotted grid lines and the current page of
// readings as black dots joined by lines.
//
// Frame, grid and ticks have a paper layout of their own; the curve is the graph window's own
// pixel mapping at 15 twips per pixel: PlotPoints are filled again exactly as the graph window
// fills them, and a point (x, y) lands on paper at (3000 + 15 x, 2500 + 15 y). With no readings
// the page has no curve and PlotPoints is left as it was.
PrintPage GraphReportPage(GVarMod& state, const GraphReportTexts& texts);
