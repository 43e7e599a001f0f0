#pragma once

#include <QPixmap>

#include <functional>

class QPainter;

// The pictures of the chart windows' image buttons, drawn in code.

// Paging faces, 60 x 21, numbered as in the paging image list: 1 bar and left chevron (first
// page), 2 left chevron, 3 dot, 4 right chevron, 5 right chevron and bar (last page); 6 to 10 the
// same five on a yellow face (highlighted or pressed).
QPixmap PagingFace(int number);

// Zoom faces, 40 x 40: 1 arrows together, flat (pressed); 2 arrows apart, raised; 3 arrows apart,
// flat (pressed); 4 arrows together, raised.
QPixmap ZoomFace(int number);

// A face of 40 x 40 that draw paints with antialiasing on a transparent ground: the picture of a
// button that opens a window.
QPixmap DrawnFace(const std::function<void(QPainter&)>& draw);

// The graph button, 40 x 40: a magnifier with a plus sign.
QPixmap MagnifierFace();
