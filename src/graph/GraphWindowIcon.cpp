#include "graph/GraphWindowIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap drawIcon(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const double u = size / 16.0;
    const QRectF plot(0.5 * u, 1.5 * u, 15 * u, 13 * u);
    p.fillRect(plot, QColor(224, 224, 224));
    p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
    for (int k = 1; k < 4; ++k)
        p.drawLine(QPointF(plot.left(), plot.top() + k * plot.height() / 4),
                   QPointF(plot.right(), plot.top() + k * plot.height() / 4));
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(plot);

    p.setRenderHint(QPainter::Antialiasing);
    const QPointF curve[] = {
        {2.5 * u, 11 * u}, {5.5 * u, 7 * u}, {8.5 * u, 9 * u}, {11 * u, 4 * u}, {13.5 * u, 6 * u}};
    p.setPen(QPen(QColor(255, 0, 0), size >= 32 ? 2 : 1));
    p.drawPolyline(curve, static_cast<int>(std::size(curve)));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 0, 0));
    for (const QPointF& at : curve)
        p.drawEllipse(at, 1.1 * u, 1.1 * u);
    return pm;
}

} // namespace

QIcon GraphWindowIcon() {
    QIcon icon;
    icon.addPixmap(drawIcon(16));
    icon.addPixmap(drawIcon(32));
    return icon;
}
