#include "live/AlarmsButton.h"

#include "widgets/ButtonFaces.h"
#include "widgets/ImageButton.h"

#include <QPainter>
#include <QPainterPath>

QPixmap AlarmsFace() {
    return DrawnFace([](QPainter& p) {
        QPainterPath bell;
        bell.moveTo(8, 29);
        bell.cubicTo(12, 25, 11, 19, 12, 15);
        bell.cubicTo(13, 9, 17, 7, 20, 7);
        bell.cubicTo(23, 7, 27, 9, 28, 15);
        bell.cubicTo(29, 19, 28, 25, 32, 29);
        bell.closeSubpath();
        p.setPen(QPen(QColor(64, 64, 64), 1.5));
        p.setBrush(QColor(250, 200, 40));
        p.drawPath(bell);
        p.drawEllipse(QPointF(20, 32), 3, 3);
        p.drawEllipse(QPointF(20, 5.5), 1.5, 1.5);
    });
}

ImageButton* MakeAlarmsButton(QWidget* parent, QPoint at) {
    return MakeImageButton(parent, at, AlarmsFace(), QStringLiteral("alarms and notes (Ctrl+L)"));
}
