#pragma once

#include "traverse/TraversePoints.h"

#include <QLineF>

#include <vector>

// The cross-section as a drawing, in fractions of its width and height from the top-left corner:
// its shape (a circle filling the square, or a rectangle), its width-to-height ratio, and the
// guide lines to draw dotted (traverse lines of a duct, cell borders of a face). The window and
// the report both draw this.
struct SectionDrawing {
    bool round = false;
    double aspect = 1; // width / height
    std::vector<QLineF> guides;
};
SectionDrawing SectionDrawingOf(const TraverseSetup& setup);
