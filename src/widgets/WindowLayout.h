#pragma once

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>

class QFont;
class QLabel;
class QWidget;

// A label placed on a form: transparent (it draws only its text), of the fixed size given (a new
// text never changes its size), in the given font, text colour and alignment.
QLabel* MakeLabel(QWidget* parent, QRect geometry, const QString& text, const QFont& font,
                  QColor color = Qt::black, Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop);

// Gives a top-level window the outer size `outer`, frame and title bar included when a window
// manager decorates it (without one the client area takes the whole size), and fixes it there.
void FixOuterSize(QWidget& window, QSize outer);

// Makes a top-level window no larger than the screen's free area (less a margin for its frame) and
// places it in the middle of that area.
void FitCentredOnScreen(QWidget& window);

// Shows a top-level window (restored when minimised) in front of the others, with the keyboard.
void BringToFront(QWidget& window);

// A form of fixed size without layouts, placed in a sub-window of a multiple-document area: the
// sub-window would work out its title bar and size limits again for every layout request of the
// form (one follows each new label text and each control shown or hidden, several per reading),
// though neither can change. Keeps those requests from reaching the sub-window.
void KeepLayoutRequestsInside(QWidget& form);
