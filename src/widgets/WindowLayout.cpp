#include "widgets/WindowLayout.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <algorithm>

QLabel* MakeLabel(QWidget* parent, QRect geometry, const QString& text, const QFont& font,
                  QColor color, Qt::Alignment align) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    // A label of fixed size: a new text does not ask its form to lay itself out again.
    l->setFixedSize(geometry.size());
    l->setFont(font);
    l->setAlignment(align);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    return l;
}

void FixOuterSize(QWidget& window, QSize outer) {
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const QSize client(outer.width() - std::max(0, frame.width()),
                       outer.height() - std::max(0, frame.height()));
    if (window.size() != client || window.minimumSize() != client || window.maximumSize() != client)
        window.setFixedSize(client);
}

namespace {
class LayoutRequestSink : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return watched == parent() && event->type() == QEvent::LayoutRequest;
    }
};
} // namespace

void KeepLayoutRequestsInside(QWidget& form) {
    // Installed last, so it sees the requests before the sub-window's own filter.
    form.installEventFilter(new LayoutRequestSink(&form));
}

void FitCentredOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    window.resize(window.size().boundedTo(free.size() - QSize(40, 60)));
    QRect placed(QPoint(), window.size());
    placed.moveCenter(free.center());
    window.move(placed.topLeft());
}

void BringToFront(QWidget& window) {
    if (window.isMinimized())
        window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
}
