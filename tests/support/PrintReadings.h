#pragma once

// The readings the print tests print: "D<No>" in m/s, all at one time, "V 23.5°C 45.6%" as their
// temperature and humidity; `set` changes what a test needs (called with each new reading and its
// index from 0).

#include "state/GVarMod.h"

#include <functional>

inline void FillPrintReadings(GVarMod& s, int count,
                              const std::function<void(Reading&, int)>& set = {}) {
    for (int i = 0; i < count; ++i) {
        Reading& r = s.AppendRecord();
        r.TRH = QString::fromUtf8("V 23.5°C 45.6%");
        r.Data = QStringLiteral("D%1").arg(r.No);
        r.Unit = QStringLiteral("m/s");
        r.Time = QStringLiteral("06.05.14\\10:11:12");
        if (set)
            set(r, i);
    }
}
