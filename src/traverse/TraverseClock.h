#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The time a take runs on: a clock read in milliseconds and a tick, while ticking, that makes the
// take look at it. The program's clock is the monotonic system clock ticking every 100 ms; tests
// drive a clock of their own.
class TraverseClock : public QObject {
    Q_OBJECT
public:
    virtual qint64 NowMs() const = 0;
    virtual void StartTicking() = 0;
    virtual void StopTicking() = 0;

signals:
    void Tick();
};

class SystemTraverseClock : public TraverseClock {
    Q_OBJECT
public:
    SystemTraverseClock();
    qint64 NowMs() const override { return m_elapsed.elapsed(); }
    void StartTicking() override { m_timer.start(); }
    void StopTicking() override { m_timer.stop(); }

private:
    QElapsedTimer m_elapsed;
    QTimer m_timer;
};
