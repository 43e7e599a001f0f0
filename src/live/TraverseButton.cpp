#include "live/TraverseButton.h"

#include "widgets/ImageButton.h"

#include <QPainter>

QPixmap TraverseFace() {
    QPixmap pm(40, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(20, 20);
    p.setPen(QPen(QColor(64, 64, 64), 2.5));
    p.setBrush(QColor(210, 235, 255));
    p.drawEllipse(centre, 16, 16);
    p.setPen(QPen(QColor(16, 40, 120), 1, Qt::DotLine));
    p.drawLine(QPointF(20, 5), QPointF(20, 35));
    p.drawLine(QPointF(5, 20), QPointF(35, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(16, 40, 120));
    for (double d : {-12.0, -6.0, 6.0, 12.0}) {
        p.drawEllipse(centre + QPointF(0, d), 2, 2);
        p.drawEllipse(centre + QPointF(d, 0), 2, 2);
    }
    return pm;
}

ImageButton* MakeTraverseButton(QWidget* parent, QPoint at) {
    auto* button = new ImageButton(parent);
    button->setGeometry(at.x(), at.y(), 42, 42);
    button->SetPicture(TraverseFace());
    button->setToolTip(QStringLiteral("traverse"));
    return button;
}
