#pragma once

#include <QPixmap>
#include <QPoint>

class ImageButton;
class QWidget;

// The face of the button that opens the Alarms window, 40 x 40: a bell.
QPixmap AlarmsFace();

// That button, 42 x 42 at `at`, with the tool tip "alarms and notes (Ctrl+L)".
ImageButton* MakeAlarmsButton(QWidget* parent, QPoint at);
