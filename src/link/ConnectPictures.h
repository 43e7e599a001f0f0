#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>

class QPainter;
class QRect;

// The connection panel's pictures, drawn in code.

inline constexpr int kConnectFaceCount = 4;
// CONNECT button faces, 100 x 30: 1 grey (inactive), 2 dark blue, 3 magenta, 4 green.
QPixmap ConnectFace(int number);
// The colour of a face's body.
QColor ConnectFaceColor(int number);

// Link status signs, 40 x 41: 1 red no-entry sign, 2 yellow disc with a red arrow.
QPixmap StatusSign(int number);
inline const QColor kSignRed(214, 32, 32);
inline const QColor kSignYellow(255, 214, 0);

// A hand-held meter, 32 x 32.
QPixmap MeterIcon();
// A desktop computer, 40 x 41.
QPixmap ComputerIcon();

// The panel's background: a light blue vertical gradient.
void PaintPanelBackground(QPainter& painter, const QRect& rect);
inline const QColor kBackgroundTop(226, 239, 252);
inline const QColor kBackgroundBottom(168, 204, 240);

inline const QColor kOfflineColor(192, 0, 0);
inline const QColor kOnlineColor(0, 128, 0);

// Bold Arial 10.5 pt (the CONNECT caption), MS Sans Serif 13.5 pt (OFFLINE / ONLINE) and 12 pt
// (the clock), or their closest installed twins.
QFont ConnectCaptionFont();
QFont StatusWordFont();
QFont ClockFont();
