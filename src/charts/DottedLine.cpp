#include "charts/DottedLine.h"

#include <QPainter>

QPen DottedPen(const QColor& color) {
    QPen pen(color, 1);
    pen.setDashPattern({3, 3});
    return pen;
}

VerticalDottedLine::VerticalDottedLine(const QColor& color, int top, int bottom, QWidget* parent)
    : QWidget(parent)
    , m_color(color) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, top, 1, bottom - top + 1);
    hide();
}

void VerticalDottedLine::MoveToX(int x) {
    move(x, y());
}

void VerticalDottedLine::paintEvent(QPaintEvent*) {
    // Only the "on" pixels are painted; the chart shows through the gaps.
    QPainter painter(this);
    painter.setPen(DottedPen(m_color));
    painter.drawLine(0, 0, 0, height() - 1);
}
