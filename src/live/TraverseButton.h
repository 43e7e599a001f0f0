#pragma once

#include <QPixmap>
#include <QPoint>

class ImageButton;
class QWidget;

// The face of the button that opens the traverse window, 40 x 40: a duct's cross-section with
// two traverse lines and their points.
QPixmap TraverseFace();

// That button, 42 x 42 at `at`, with the tool tip "traverse".
ImageButton* MakeTraverseButton(QWidget* parent, QPoint at);
