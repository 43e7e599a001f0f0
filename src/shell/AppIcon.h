#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

// The program's icon: a cup anemometer on a blue tile, drawn in code. The window icon, the
// installed PNG icons and the installed SVG icon are all painted by PaintVantelloIcon.
QIcon VantelloIcon();

// Paints the icon into the square from (0, 0) to (size, size) of the painter's coordinates.
void PaintVantelloIcon(QPainter& painter, double size);

// The icon as a size x size image with a transparent background.
QImage VantelloIconImage(int size);
