#pragma once

#include <QColor>
#include <QLine>
#include <QWidget>

// A solid horizontal or vertical line drawn on its parent, like a line control placed on a form:
// it can be moved, shown and hidden, and lets mouse events through to what lies below. Like such
// a control it covers its first point and stops before its last; a wide line grows to the right of
// and below its ends.
class LineControl : public QWidget {
public:
    LineControl(QWidget* parent, QColor color, int width = 1);

    // Moves the line; both ends in the parent's coordinates.
    void SetLine(QPoint from, QPoint to);
    QLine Line() const { return m_line; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLine m_line;
    QColor m_color;
    int m_width;
};

// An outlined rectangle placed on a form (black one-pixel border, transparent inside).
class RectangleShape : public QWidget {
public:
    RectangleShape(QWidget* parent, QRect geometry);

protected:
    void paintEvent(QPaintEvent* event) override;
};
