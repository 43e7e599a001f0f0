#include "table/DataToolbar.h"

#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace {

constexpr int kButtonWidth = 23;
constexpr int kButtonHeight = 22;

void drawBlankSheet(QPainter& p) {
    const QPolygon sheet(
        {QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)});
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(sheet);
    p.drawPolyline(QPolygon({QPoint(10, 1), QPoint(10, 4), QPoint(13, 4)})); // folded corner
}

void drawFloppyDisk(QPainter& p) {
    p.setPen(QColor(0, 0, 64));
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(1, 1, 13, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(192, 192, 192)); // metal shutter
    p.drawRect(4, 2, 7, 4);
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(8, 3, 2, 2);
    p.setBrush(Qt::white); // label
    p.drawRect(3, 8, 9, 6);
}

void drawSpreadsheet(QPainter& p) {
    p.setPen(QColor(0, 96, 0));
    p.setBrush(QColor(0, 160, 64));
    p.drawRect(1, 1, 13, 13);
    p.setPen(Qt::white);
    for (int y = 5; y <= 11; y += 3)
        p.drawLine(2, y, 13, y);
    for (int x = 5; x <= 10; x += 5)
        p.drawLine(x, 2, x, 13);
}

void drawPrinter(QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 7, 5); // paper going in
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(1, 6, 13, 6); // body
    p.setBrush(Qt::white);
    p.drawRect(4, 10, 7, 4); // paper coming out
    p.setPen(QColor(0, 160, 0));
    p.drawPoint(12, 8); // power lamp
}

} // namespace

QIcon ToolbarIcon(int index) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    switch (index) {
    case 0:
        drawBlankSheet(p);
        break;
    case 1:
        drawFloppyDisk(p);
        break;
    case 2:
        drawSpreadsheet(p);
        break;
    default:
        drawPrinter(p);
        break;
    }
    p.end();
    return QIcon(pixmap);
}

const std::array<QString, DataToolbar::kButtons>& DataToolbar::Keys() {
    static const std::array<QString, kButtons> keys{QStringLiteral("new"), QStringLiteral("save"),
                                                    QStringLiteral("to_xls"),
                                                    QStringLiteral("print")};
    return keys;
}

DataToolbar::DataToolbar(QWidget* parent)
    : QWidget(parent) {
    for (int i = 0; i < kButtons; ++i) {
        auto* button = new QToolButton(this);
        const QString& key = Keys()[static_cast<std::size_t>(i)];
        button->setObjectName(key);
        button->setToolTip(key);
        button->setAccessibleName(key);
        button->setIcon(ToolbarIcon(i));
        button->setIconSize(QSize(16, 16));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setGeometry(1 + i * kButtonWidth, 2, kButtonWidth, kButtonHeight);
        connect(button, &QToolButton::clicked, this, [this, key] { emit ButtonClick(key); });
        m_buttons[static_cast<std::size_t>(i)] = button;
    }
}
