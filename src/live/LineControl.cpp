#include "live/LineControl.h"

#include <QPainter>

LineControl::LineControl(QWidget* parent, QColor color, int width)
    : QWidget(parent)
    , m_color(color)
    , m_width(width) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void LineControl::SetLine(QPoint from, QPoint to) {
    m_line = QLine(from, to);
    const QRect box = QRect(from, to).normalized().adjusted(0, 0, m_width - 1, m_width - 1);
    setGeometry(box);
    update();
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect band = QRect(m_line.p1(), m_line.p2()).normalized().translated(-pos());
    if (m_line.dx() == 0)
        p.fillRect(band.x(), band.y(), m_width, band.height() - 1, m_color);
    else
        p.fillRect(band.x(), band.y(), band.width() - 1, m_width, m_color);
}

RectangleShape::RectangleShape(QWidget* parent, QRect geometry)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(geometry);
}

void RectangleShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(Qt::black);
    p.drawRect(0, 0, width() - 1, height() - 1);
}
