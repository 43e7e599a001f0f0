#include "traverse/TraverseClock.h"

SystemTraverseClock::SystemTraverseClock() {
    m_elapsed.start();
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &TraverseClock::Tick);
}
