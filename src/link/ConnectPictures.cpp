#include "link/ConnectPictures.h"

#include "widgets/WindowFonts.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

QPixmap transparentPixmap(int w, int h) {
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    return p;
}

} // namespace

QColor ConnectFaceColor(int number) {
    switch (number) {
    case 2:
        return {20, 40, 150};
    case 3:
        return {214, 0, 200};
    case 4:
        return {0, 158, 60};
    default:
        return {158, 158, 158};
    }
}

QPixmap ConnectFace(int number) {
    QPixmap p = transparentPixmap(100, 30);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const QColor body = ConnectFaceColor(number);
    QLinearGradient shade(0, 0, 0, 30);
    shade.setColorAt(0.0, body.lighter(135));
    shade.setColorAt(0.45, body);
    shade.setColorAt(1.0, body.darker(125));
    g.setPen(QPen(body.darker(160), 1));
    g.setBrush(shade);
    g.drawRoundedRect(QRectF(0.5, 0.5, 99, 29), 6, 6);
    g.setFont(ConnectCaptionFont());
    g.setPen(number == 1 ? QColor(90, 90, 90) : QColor(Qt::white));
    g.drawText(QRect(0, 0, 100, 30), Qt::AlignCenter, QStringLiteral("CONNECT"));
    return p;
}

QPixmap StatusSign(int number) {
    QPixmap p = transparentPixmap(40, 41);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(3.5, 4, 33, 33);
    if (number == 2) {
        g.setPen(QPen(QColor(170, 130, 0), 1.5));
        g.setBrush(kSignYellow);
        g.drawEllipse(disc);
        // An arrow pointing right, from the meter towards the computer.
        QPainterPath arrow;
        arrow.moveTo(9, 17.5);
        arrow.lineTo(21, 17.5);
        arrow.lineTo(21, 12);
        arrow.lineTo(31, 20.5);
        arrow.lineTo(21, 29);
        arrow.lineTo(21, 23.5);
        arrow.lineTo(9, 23.5);
        arrow.closeSubpath();
        g.setPen(Qt::NoPen);
        g.setBrush(kSignRed);
        g.drawPath(arrow);
    } else {
        g.setPen(QPen(kSignRed.darker(140), 1.5));
        g.setBrush(kSignRed);
        g.drawEllipse(disc);
        g.setPen(Qt::NoPen);
        g.setBrush(Qt::white);
        g.drawRect(QRectF(9, 17.5, 22, 6));
    }
    return p;
}

QPixmap MeterIcon() {
    QPixmap p = transparentPixmap(32, 32);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    // Body with a display and a keypad, and the vane head on a short stem at the top.
    g.setPen(QPen(QColor(40, 40, 40), 1));
    g.setBrush(QColor(250, 200, 40));
    g.drawRoundedRect(QRectF(9.5, 9.5, 15, 21), 3, 3);
    g.setBrush(QColor(190, 220, 190));
    g.drawRect(QRectF(12, 12, 10, 6));
    g.setBrush(QColor(60, 60, 60));
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            g.drawEllipse(QRectF(12 + col * 3.5, 21 + row * 4, 2.5, 2.5));
    g.drawRect(QRectF(15.5, 5, 3, 4.5));
    g.setBrush(QColor(70, 70, 80));
    g.drawEllipse(QRectF(10.5, 0.5, 13, 5.5));
    return p;
}

QPixmap ComputerIcon() {
    QPixmap p = transparentPixmap(40, 41);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    // Monitor with a blue screen on a stand, a keyboard in front.
    g.setPen(QPen(QColor(50, 50, 50), 1));
    g.setBrush(QColor(210, 210, 205));
    g.drawRoundedRect(QRectF(4.5, 3.5, 31, 23), 2, 2);
    QLinearGradient screen(0, 6, 0, 23);
    screen.setColorAt(0, QColor(60, 120, 220));
    screen.setColorAt(1, QColor(20, 60, 150));
    g.setBrush(screen);
    g.drawRect(QRectF(7.5, 6.5, 25, 17));
    g.setBrush(QColor(180, 180, 175));
    g.drawRect(QRectF(17.5, 26.5, 5, 4));
    g.drawRect(QRectF(12.5, 30.5, 15, 2));
    g.setBrush(QColor(230, 230, 225));
    g.drawRoundedRect(QRectF(3.5, 34.5, 33, 5), 1, 1);
    return p;
}

void PaintPanelBackground(QPainter& painter, const QRect& rect) {
    QLinearGradient gradient(0, rect.top(), 0, rect.bottom());
    gradient.setColorAt(0, kBackgroundTop);
    gradient.setColorAt(1, kBackgroundBottom);
    painter.fillRect(rect, gradient);
}

QFont ConnectCaptionFont() {
    return ArialFont(10.5, true);
}

QFont StatusWordFont() {
    return SansSerifFont(13.5);
}

QFont ClockFont() {
    return SansSerifFont(12);
}
