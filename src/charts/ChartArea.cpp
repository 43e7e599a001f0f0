#include "charts/ChartArea.h"

#include "charts/ChartGeometry.h"
#include "charts/ChartPainter.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>

// The inner part of the area: shows the drawing and reports the mouse.
class ChartAreaInside : public QWidget {
public:
    explicit ChartAreaInside(ChartArea* area)
        : QWidget(area)
        , m_area(area) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setCursor(Qt::CrossCursor);
    }

protected:
    bool event(QEvent* event) override {
        // A control placed inside lets the mouse through to the area; polishing comes before
        // a control is first shown.
        if (event->type() == QEvent::ChildPolished) {
            if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
                static_cast<QWidget*>(child)->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        return QWidget::event(event);
    }
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.drawImage(event->rect(), m_area->Canvas(), event->rect());
    }
    void mouseMoveEvent(QMouseEvent* event) override { emit m_area->MouseMoved(event->position()); }
    void leaveEvent(QEvent*) override { emit m_area->MouseLeft(); }

private:
    ChartArea* m_area;
};

ChartArea::ChartArea(const ChartGeometry& geometry, QWidget* parent)
    : ChartArea(QSize(geometry.areaWidth, geometry.areaHeight), geometry.border, parent) {}

ChartArea::ChartArea(QSize innerSize, int border, QWidget* parent)
    : QWidget(parent)
    , m_border(border)
    , m_backColor(kChartBackground)
    , m_canvas(innerSize, QImage::Format_RGB32) {
    m_canvas.fill(m_backColor);
    setFixedSize(innerSize.width() + 2 * border, innerSize.height() + 2 * border);
    m_inside = new ChartAreaInside(this);
    m_inside->setGeometry(border, border, innerSize.width(), innerSize.height());
}

void ChartArea::SetBackColor(const QColor& color) {
    m_backColor = color;
    m_pending.clear();
    m_erasePending = true;
    m_inside->update();
}

void ChartArea::DrawChart(const ChartGeometry& geometry, std::vector<QPoint> points) {
    Layer layer{&geometry, std::move(points)};
    // The same chart twice over gives the same pixels.
    if (m_pending.empty() || !(m_pending.back() == layer))
        m_pending.push_back(std::move(layer));
    m_inside->update();
}

QImage& ChartArea::Canvas() {
    render();
    return m_canvas;
}

const QImage& ChartArea::Canvas() const {
    render();
    return m_canvas;
}

void ChartArea::render() const {
    if (m_erasePending) {
        m_canvas.fill(m_backColor);
        m_erasePending = false;
    }
    if (m_pending.empty())
        return;
    QPainter painter(&m_canvas);
    for (const Layer& layer : m_pending)
        DrawChartPicture(painter, *layer.geometry, layer.points);
    m_pending.clear();
}

void ChartArea::paintEvent(QPaintEvent*) {
    if (m_border <= 0)
        return;
    QPainter painter(this);
    const int w = width();
    const int h = height();
    if (m_border == 1) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(0, 0, w - 1, h - 1);
        return;
    }
    // Sunken: dark grey and black above and left, white and light grey below and right.
    const auto ring = [&](int inset, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(QPen(topLeft, 1));
        painter.drawLine(inset, inset, w - 1 - inset, inset);
        painter.drawLine(inset, inset, inset, h - 1 - inset);
        painter.setPen(QPen(bottomRight, 1));
        painter.drawLine(inset, h - 1 - inset, w - 1 - inset, h - 1 - inset);
        painter.drawLine(w - 1 - inset, inset, w - 1 - inset, h - 1 - inset);
    };
    ring(0, QColor(128, 128, 128), QColor(255, 255, 255));
    for (int inset = 1; inset < m_border; ++inset)
        ring(inset, QColor(0, 0, 0), QColor(192, 192, 192));
}

void ChartArea::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit PaintRequested();
}
