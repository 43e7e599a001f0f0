#pragma once

#include <functional>

class QWidget;

// Runs `step` just before the next repaint of the window `widget` is in: when a paced window
// (PaceScreenUpdates) repaints, or from the event loop at once when the window is not paced. For
// work that must come before the paint and is best done once for all changes until then, such as
// moving the pixels of a scrolled area. Nothing runs when `widget` is gone by then.
void BeforeNextRepaint(QWidget& widget, std::function<void()> step);
