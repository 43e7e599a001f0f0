#include "live/ShowFormBackground.h"

#include <QLinearGradient>
#include <QPainter>

namespace {
const QColor kReadoutPanel(108, 112, 112);
const QColor kChartPanel(158, 166, 166);
const QColor kSeparator(80, 110, 170);

void gradientStrip(QPainter& p, QRect r) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(225, 238, 252));
    g.setColorAt(1, QColor(160, 196, 235));
    p.fillRect(r, g);
}
} // namespace

QPixmap ShowFormBackground() {
    QPixmap pm(500, 600);
    QPainter p(&pm);
    gradientStrip(p, QRect(0, 0, 500, 23));
    p.fillRect(QRect(0, 23, 500, 1), kSeparator);
    p.fillRect(QRect(0, 24, 500, 200), kReadoutPanel);
    p.fillRect(QRect(0, 224, 500, 1), kSeparator);
    gradientStrip(p, QRect(0, 225, 500, 6));
    p.fillRect(QRect(0, 231, 500, 1), kSeparator);
    p.fillRect(QRect(0, 232, 500, 343), kChartPanel);
    p.fillRect(QRect(0, 575, 500, 1), kSeparator);
    gradientStrip(p, QRect(0, 576, 500, 24));
    return pm;
}
