#include "widgets/ImageButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

ImageButton::ImageButton(QWidget* parent)
    : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
}

void ImageButton::SetPicture(const QPixmap& face) {
    m_face = face;
    update();
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(rect(), m_face);
    if (hasFocus()) {
        QPen pen(Qt::black, 1, Qt::DotLine);
        p.setPen(pen);
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_down = true;
    emit MouseDown();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_down)
        return;
    m_down = false;
    emit MouseUp();
    if (rect().contains(event->position().toPoint()))
        emit Click();
}

void ImageButton::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    // Edges count as inside.
    emit Hover(at.x() >= 0 && at.y() >= 0 && at.x() <= width() && at.y() <= height());
}

void ImageButton::enterEvent(QEnterEvent*) {
    emit Hover(true);
}

void ImageButton::leaveEvent(QEvent*) {
    emit Hover(false);
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit MouseDown();
        emit MouseUp();
        emit Click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

ImageButton* MakeImageButton(QWidget* parent, QPoint at, const QPixmap& face,
                             const QString& toolTip) {
    auto* button = new ImageButton(parent);
    button->setGeometry(at.x(), at.y(), 42, 42);
    button->SetPicture(face);
    button->setToolTip(toolTip);
    return button;
}
