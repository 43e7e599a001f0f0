#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QWidget>

#include <vector>

struct ChartGeometry;

// The drawing area of a chart window (Picture1 of the live display and of the graph window).
//
// A fixed-size area with a border; everything inside uses inner pixel coordinates, origin at the
// inner top-left corner. The drawing is kept in an image of the inner size, and the screen only
// shows that image. The repaint rule of the charts is
//     area.SetBackColor(kChartBackground); // erases the drawing
//     window.Picture1_Paint();             // draws on top, e.g. PaintChart(area, ...)
// Both steps take effect at once as far as anyone can tell: PaintChart fills PlotPoints before it
// returns, also while the window is hidden or minimised, and Canvas() always holds the finished
// drawing. The pixels themselves are produced when they are first needed (the next paint or the
// next look at Canvas()), so several repaints between two screen updates cost one drawing.
//
// Controls the window places inside (labels, the cursor line) are children of Inside(); they let
// the mouse through, so the area keeps reporting moves while the pointer is over them. The
// pointer is a crosshair and moves are reported without a button held.
class ChartArea : public QWidget {
    Q_OBJECT
public:
    // The inner size and border of the geometry: a 2-pixel sunken border, or a single black line
    // for a 1-pixel border. The back colour starts as light grey (224, 224, 224).
    explicit ChartArea(const ChartGeometry& geometry, QWidget* parent = nullptr);
    ChartArea(QSize innerSize, int border, QWidget* parent = nullptr);

    QSize InnerSize() const { return m_canvas.size(); }
    int Border() const { return m_border; }

    // The parent of controls placed inside the area, in inner coordinates.
    QWidget* Inside() const { return m_inside; }

    // Setting the back colour erases the whole drawing to it (also when it is the same colour).
    void SetBackColor(const QColor& color);
    QColor BackColor() const { return m_backColor; }

    // Draws a chart with this geometry on top of the drawing: grid, zero line and ticks, and the
    // page's points (in inner pixels) joined by a line with a dot on each.
    void DrawChart(const ChartGeometry& geometry, std::vector<QPoint> points);

    // The finished drawing, inner size. Draw on it with a QPainter, then call update() to show it.
    QImage& Canvas();
    const QImage& Canvas() const;

signals:
    // The area is being shown: the window answers with its repaint rule, as it would answer the
    // window system's paint request of a showing window.
    void PaintRequested();

    // The pointer moved over the area or, while a mouse button is held, anywhere; the position
    // is in inner coordinates and may lie outside the inner area (the border counts as outside).
    void MouseMoved(QPointF position);

    // The pointer left the inner area.
    void MouseLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class ChartAreaInside;
    struct Layer {
        const ChartGeometry* geometry;
        std::vector<QPoint> points;
        bool operator==(const Layer&) const = default;
    };
    void render() const;

    int m_border = 0;
    QColor m_backColor;
    mutable QImage m_canvas;
    // Charts drawn since the last erase whose pixels are not in the canvas yet.
    mutable std::vector<Layer> m_pending;
    mutable bool m_erasePending = false;
    QWidget* m_inside = nullptr;
};
