#include "live/TraverseButton.h"

#include "widgets/ButtonFaces.h"
#include "widgets/ImageButton.h"

#include <QPainter>

QPixmap TraverseFace() {
    return DrawnFace([](QPainter& p) {
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
    });
}

ImageButton* MakeTraverseButton(QWidget* parent, QPoint at) {
    return MakeImageButton(parent, at, TraverseFace(), QStringLiteral("traverse"));
}
