#include "live/LineControl.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {
// Classic one-pixel dotted pen: three pixels on, three off.
const QList<qreal> kDotPattern{3, 3};
} // namespace

LineControl::LineControl(QWidget* parent, QColor color, int width, Qt::PenStyle style)
    : QWidget(parent)
    , m_color(color)
    , m_width(width)
    , m_style(style) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void LineControl::SetLine(QPoint from, QPoint to) {
    m_line = QLine(from, to);
    // A wide line grows to the right of and below its ends.
    const QRect box = QRect(from, to).normalized().adjusted(0, 0, m_width - 1, m_width - 1);
    setGeometry(box);
    update();
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPoint origin = geometry().topLeft();
    const QLine local = m_line.translated(-origin);
    if (m_style == Qt::DotLine && m_width == 1) {
        // Paint the dots pixel by pixel so that they sit at fixed places whatever the platform.
        const int n = std::max(std::abs(local.dx()), std::abs(local.dy()));
        for (int i = 0; i < n; ++i) {
            if ((i / 3) % 2 != 0)
                continue;
            const int x = local.x1() + (local.dx() * i) / std::max(n, 1);
            const int y = local.y1() + (local.dy() * i) / std::max(n, 1);
            p.fillRect(x, y, 1, 1, m_color);
        }
        return;
    }
    // Solid lines: a filled band m_width pixels wide, excluding the last point as line controls do.
    const QRect band = QRect(local.p1(), local.p2()).normalized();
    if (local.dx() == 0)
        p.fillRect(band.x(), band.y(), m_width, band.height() - 1, m_color);
    else if (local.dy() == 0)
        p.fillRect(band.x(), band.y(), band.width() - 1, m_width, m_color);
    else {
        QPen pen(m_color, m_width);
        if (m_style == Qt::DotLine)
            pen.setDashPattern(kDotPattern);
        p.setPen(pen);
        p.drawLine(local);
    }
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
