#pragma once

#include <QColor>
#include <QPen>
#include <QWidget>

// The dotted pen of the charts: 1 pixel wide, 3 pixels on and 3 off, starting with "on" at the
// line's first pixel. A horizontal line from x = 0 has its pixels at x = 0, 1, 2, 6, 7, 8, ...
// (x mod 6 < 3); a vertical one from y = 0 likewise at y mod 6 < 3. Each line starts the pattern
// afresh.
QPen DottedPen(const QColor& color);

// A vertical dotted line as a child widget, for the cursor lines of the charts. It is one pixel
// wide; move it with MoveToX and it keeps its top and length. Mouse events pass through it.
class VerticalDottedLine : public QWidget {
    Q_OBJECT
public:
    // From (x, top) down to (x, bottom), both ends included; hidden until shown.
    VerticalDottedLine(const QColor& color, int top, int bottom, QWidget* parent);

    void MoveToX(int x);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};
