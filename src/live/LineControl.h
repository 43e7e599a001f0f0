#pragma once

#include <QColor>
#include <QLine>
#include <QWidget>

// A line drawn on its parent, like a line control placed on a form: it can be moved, shown and
// hidden, and lets mouse events through to what lies below.
class LineControl : public QWidget {
public:
    LineControl(QWidget* parent, QColor color, int width = 1, Qt::PenStyle style = Qt::SolidLine);

    // Moves the line; both ends in the parent's coordinates.
    void SetLine(QPoint from, QPoint to);
    QLine Line() const { return m_line; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLine m_line;
    QColor m_color;
    int m_width;
    Qt::PenStyle m_style;
};

// An outlined rectangle placed on a form (black one-pixel border, transparent inside).
class RectangleShape : public QWidget {
public:
    RectangleShape(QWidget* parent, QRect geometry);

protected:
    void paintEvent(QPaintEvent* event) override;
};
