#pragma once

#include <QPixmap>
#include <QPoint>

class ImageButton;
class QWidget;

// The face of the button that opens a saved recording, 40 x 40: a sheet with a folded corner and
// a line of readings on it.
QPixmap RecordingFace();

// That button, 42 x 42 at `at`, with the tool tip "open recording (Ctrl+O)".
ImageButton* MakeRecordingButton(QWidget* parent, QPoint at);
