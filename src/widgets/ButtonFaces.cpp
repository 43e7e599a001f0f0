#include "widgets/ButtonFaces.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kFace(212, 208, 200);
const QColor kHighlightFace(255, 236, 64);
const QColor kLight(255, 255, 255);
const QColor kShadow(128, 128, 128);
const QColor kDark(64, 64, 64);
const QColor kSymbol(16, 40, 120);

// A button face with a raised (light top-left, dark bottom-right) or flat (pressed) edge.
void drawBevel(QPainter& p, QRect r, QColor face, bool raised) {
    p.fillRect(r, face);
    const QColor topLeft = raised ? kLight : kShadow;
    const QColor bottomRight = raised ? kDark : kLight;
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

void chevron(QPainter& p, QPointF tip, double w, double h, bool pointsLeft) {
    const double dx = pointsLeft ? w : -w;
    QPainterPath path;
    path.moveTo(tip);
    path.lineTo(tip.x() + dx, tip.y() - h / 2);
    path.lineTo(tip.x() + dx, tip.y() + h / 2);
    path.closeSubpath();
    p.fillPath(path, kSymbol);
}

// One arrow from `from` pointing at `to`, with a filled head.
void arrow(QPainter& p, QPointF from, QPointF to) {
    p.setPen(QPen(kSymbol, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QLineF shaft(to, from);
    QLineF side1 = shaft;
    side1.setLength(8);
    side1.setAngle(shaft.angle() + 30);
    QLineF side2 = shaft;
    side2.setLength(8);
    side2.setAngle(shaft.angle() - 30);
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(side1.p2());
    head.lineTo(side2.p2());
    head.closeSubpath();
    p.fillPath(head, kSymbol);
}

} // namespace

QPixmap PagingFace(int number) {
    QPixmap pm(60, 21);
    QPainter p(&pm);
    const bool yellow = number > 5;
    const int symbol = yellow ? number - 5 : number;
    drawBevel(p, pm.rect(), yellow ? kHighlightFace : kFace, true);
    p.setRenderHint(QPainter::Antialiasing);
    const double cy = 10.5;
    switch (symbol) {
    case 1:
        p.fillRect(QRectF(20, 5, 3, 11), kSymbol);
        chevron(p, {24, cy}, 8, 11, true);
        chevron(p, {32, cy}, 8, 11, true);
        break;
    case 2:
        chevron(p, {25, cy}, 9, 11, true);
        break;
    case 3:
        p.setPen(Qt::NoPen);
        p.setBrush(kSymbol);
        p.drawEllipse(QPointF(30, cy), 4, 4);
        break;
    case 4:
        chevron(p, {35, cy}, 9, 11, false);
        break;
    default:
        chevron(p, {28, cy}, 8, 11, false);
        chevron(p, {36, cy}, 8, 11, false);
        p.fillRect(QRectF(37, 5, 3, 11), kSymbol);
        break;
    }
    return pm;
}

QPixmap ZoomFace(int number) {
    QPixmap pm(40, 40);
    QPainter p(&pm);
    const bool raised = number == 2 || number == 4;
    drawBevel(p, pm.rect(), kFace, raised);
    p.setRenderHint(QPainter::Antialiasing);
    const double shift = raised ? 0 : 1; // a pressed face moves its symbol down and right
    const QPointF c(19.5 + shift, 19.5 + shift);
    const bool apart = number == 2 || number == 3;
    if (apart) {
        arrow(p, c + QPointF(0, -3), c + QPointF(0, -14));
        arrow(p, c + QPointF(0, 3), c + QPointF(0, 14));
    } else {
        arrow(p, c + QPointF(0, -15), c + QPointF(0, -3));
        arrow(p, c + QPointF(0, 15), c + QPointF(0, 3));
    }
    p.setPen(QPen(kShadow, 1));
    p.drawLine(QPointF(c.x() - 10, c.y()), QPointF(c.x() + 10, c.y()));
    return pm;
}

QPixmap DrawnFace(const std::function<void(QPainter&)>& draw) {
    QPixmap pm(40, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return pm;
}

QPixmap MagnifierFace() {
    return DrawnFace([](QPainter& p) {
        const QPointF lens(16, 16);
        p.setPen(QPen(QColor(90, 60, 30), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(25, 25), QPointF(36, 36));
        p.setPen(QPen(kDark, 2.5));
        p.setBrush(QColor(210, 235, 255));
        p.drawEllipse(lens, 11, 11);
        p.setPen(QPen(kSymbol, 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(lens.x() - 6, lens.y()), QPointF(lens.x() + 6, lens.y()));
        p.drawLine(QPointF(lens.x(), lens.y() - 6), QPointF(lens.x(), lens.y() + 6));
    });
}
