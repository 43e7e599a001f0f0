#include "widgets/ScreenUpdatePacing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// Holds back a window's repaint requests that come too soon after its last repaint, and lets one
// through when the interval is up. Lives as the window's child.
class UpdatePacer : public QObject {
public:
    UpdatePacer(QWidget& window, int intervalMs)
        : QObject(&window)
        , m_window(window)
        , m_interval(intervalMs) {
        m_held.setSingleShot(true);
        m_held.setTimerType(Qt::PreciseTimer);
        connect(&m_held, &QTimer::timeout, this, &UpdatePacer::release);
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &m_window || event->type() != QEvent::UpdateRequest || m_releasing)
            return false;
        const qint64 since = m_lastUpdate.isValid() ? m_lastUpdate.elapsed() : m_interval;
        if (since >= m_interval) {
            m_lastUpdate.start();
            return false; // through at once
        }
        if (!m_held.isActive())
            m_held.start(static_cast<int>(m_interval - since));
        return true;
    }

private:
    void release() {
        m_lastUpdate.start();
        QEvent request(QEvent::UpdateRequest);
        m_releasing = true;
        QCoreApplication::sendEvent(&m_window, &request);
        m_releasing = false;
    }

    QWidget& m_window;
    const int m_interval;
    QElapsedTimer m_lastUpdate;
    QTimer m_held;
    bool m_releasing = false;
};

} // namespace

void PaceScreenUpdates(QWidget& window, int intervalMs) {
    new UpdatePacer(window, intervalMs);
}
