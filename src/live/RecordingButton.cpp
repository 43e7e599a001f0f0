#include "live/RecordingButton.h"

#include "widgets/ButtonFaces.h"
#include "widgets/ImageButton.h"

#include <QPainter>
#include <QPainterPath>

QPixmap RecordingFace() {
    return DrawnFace([](QPainter& p) {
        QPainterPath sheet;
        sheet.moveTo(8, 4);
        sheet.lineTo(26, 4);
        sheet.lineTo(33, 11);
        sheet.lineTo(33, 36);
        sheet.lineTo(8, 36);
        sheet.closeSubpath();
        p.setPen(QPen(QColor(64, 64, 64), 1.5));
        p.setBrush(Qt::white);
        p.drawPath(sheet);
        p.drawLine(QPointF(26, 4), QPointF(26, 11));
        p.drawLine(QPointF(26, 11), QPointF(33, 11));
        p.setPen(QPen(QColor(0, 0, 160), 2));
        const QPointF trend[] = {{11, 28}, {15, 22}, {19, 25}, {23, 16}, {27, 20}, {30, 14}};
        p.drawPolyline(trend, 6);
    });
}

ImageButton* MakeRecordingButton(QWidget* parent, QPoint at) {
    return MakeImageButton(parent, at, RecordingFace(), QStringLiteral("open recording (Ctrl+O)"));
}
