#pragma once

class QWidget;

// The shortest time between two screen updates of a paced window (ms): at most 25 a second.
inline constexpr int kScreenUpdateInterval = 40;

// Paces how often a top-level window paints and pushes its pixels to the screen. Its widgets keep
// changing their state and asking for repaints at once; the window's repaint that those requests
// post runs at once when the window has not been updated for the interval, and otherwise once
// when the interval is up, for all the requests made meanwhile. A meter sending two readings a
// second never waits; a stream of a hundred frames a second costs the window system 25 screen
// updates, not a hundred, and the last state always reaches the screen.
void PaceScreenUpdates(QWidget& window, int intervalMs = kScreenUpdateInterval);

// BeforeNextRepaint (BeforeNextRepaint.h) rides on these paced repaints; both are defined in
// ScreenUpdatePacing.cpp, around the one pacer of a window.
