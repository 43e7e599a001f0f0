#pragma once

#include "traverse/TraverseClock.h"

// A take clock the test moves by hand; each move ticks while the take has it ticking.
class ManualClock : public TraverseClock {
public:
    qint64 now = 1000;
    bool ticking = false;

    qint64 NowMs() const override { return now; }
    void StartTicking() override { ticking = true; }
    void StopTicking() override { ticking = false; }
    void Advance(qint64 ms) {
        now += ms;
        if (ticking)
            emit Tick();
    }
};
