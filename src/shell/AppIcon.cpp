#include "shell/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

void PaintVantelloIcon(QPainter& p, double size) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, QColor(70, 130, 210));
    tile.setColorAt(1, QColor(25, 70, 150));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // Mast and the three arms with their cups.
    const QPointF hub(32, 26);
    p.setPen(QPen(QColor(235, 240, 250), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hub, QPointF(32, 56));
    for (int arm = 0; arm < 3; ++arm) {
        const double a = qDegreesToRadians(-90.0 + arm * 120.0);
        const QPointF end(hub.x() + 17 * std::cos(a), hub.y() + 17 * std::sin(a));
        p.setPen(QPen(QColor(235, 240, 250), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(hub, end);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 200, 40));
        p.drawEllipse(end, 6, 6);
    }
    p.setBrush(QColor(235, 240, 250));
    p.drawEllipse(hub, 4, 4);
    p.restore();
}

QImage VantelloIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintVantelloIcon(painter, size);
    return image;
}

QIcon VantelloIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(VantelloIconImage(size)));
    return icon;
}
