#include "live/AlarmsButton.h"

#include "widgets/ImageButton.h"

#include <QPainter>
#include <QPainterPath>

QPixmap AlarmsFace() {
    QPixmap pm(40, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
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
    return pm;
}

ImageButton* MakeAlarmsButton(QWidget* parent, QPoint at) {
    auto* button = new ImageButton(parent);
    button->setGeometry(at.x(), at.y(), 42, 42);
    button->SetPicture(AlarmsFace());
    button->setToolTip(QStringLiteral("alarms and notes (Ctrl+L)"));
    return button;
}
