#include "widgets/ScreenUpdatePacing.h"

#include "widgets/BeforeNextRepaint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <utility>
#include <vector>

namespace {

constexpr char kPacerProperty[] = "vantelloUpdatePacer";

// Holds back a window's repaint requests that come too soon after its last repaint, and lets one
// through when the interval is up; runs the steps due before a repaint as it lets one through.
// Lives as the window's child.
class UpdatePacer : public QObject {
public:
    UpdatePacer(QWidget& window, int intervalMs)
        : QObject(&window)
        , m_window(window)
        , m_interval(intervalMs) {
        m_held.setSingleShot(true);
        m_held.setTimerType(Qt::PreciseTimer);
        connect(&m_held, &QTimer::timeout, this, &UpdatePacer::release);
        window.setProperty(kPacerProperty, QVariant::fromValue(static_cast<QObject*>(this)));
        window.installEventFilter(this);
    }

    // The step runs at the window's next repaint, which it asks for.
    void AddStep(QWidget& widget, std::function<void()> step) {
        m_steps.emplace_back(&widget, std::move(step));
        QCoreApplication::postEvent(&m_window, new QEvent(QEvent::UpdateRequest),
                                    Qt::LowEventPriority);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &m_window || event->type() != QEvent::UpdateRequest)
            return false;
        if (!m_releasing) {
            const qint64 since = m_lastUpdate.isValid() ? m_lastUpdate.elapsed() : m_interval;
            if (since < m_interval) {
                if (!m_held.isActive())
                    m_held.start(static_cast<int>(m_interval - since));
                return true;
            }
            m_lastUpdate.start();
        }
        runSteps();
        return false; // the window repaints
    }

private:
    void release() {
        m_lastUpdate.start();
        QEvent request(QEvent::UpdateRequest);
        m_releasing = true;
        QCoreApplication::sendEvent(&m_window, &request);
        m_releasing = false;
    }

    void runSteps() {
        for (auto& [widget, step] : std::exchange(m_steps, {})) {
            if (widget)
                step();
        }
    }

    QWidget& m_window;
    const int m_interval;
    QElapsedTimer m_lastUpdate;
    QTimer m_held;
    // Set while release() sends the request it held back: the clock has just been restarted, so
    // without it the filter would hold that request back again and the window would never paint.
    bool m_releasing = false;
    std::vector<std::pair<QPointer<QWidget>, std::function<void()>>> m_steps;
};

} // namespace

void PaceScreenUpdates(QWidget& window, int intervalMs) {
    new UpdatePacer(window, intervalMs);
}

void BeforeNextRepaint(QWidget& widget, std::function<void()> step) {
    QObject* pacer = widget.window()->property(kPacerProperty).value<QObject*>();
    if (pacer) {
        static_cast<UpdatePacer*>(pacer)->AddStep(widget, std::move(step));
        return;
    }
    QMetaObject::invokeMethod(&widget, std::move(step), Qt::QueuedConnection);
}
