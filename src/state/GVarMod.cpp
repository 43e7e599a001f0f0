#include "state/GVarMod.h"

#include <QtGlobal>

GVarMod::GVarMod()
    : m_readings(kReadingLimit) {}

Reading& GVarMod::Readings(std::int32_t n) {
    Q_ASSERT(n >= 1 && n <= kReadingLimit);
    return m_readings[static_cast<std::size_t>(n - 1)];
}

const Reading& GVarMod::Readings(std::int32_t n) const {
    Q_ASSERT(n >= 1 && n <= kReadingLimit);
    return m_readings[static_cast<std::size_t>(n - 1)];
}

void GVarMod::ApplyLivePage() {
    ViewSpan = ReadingCount % kPageSize;
    if (ReadingCount >= kPageSize && ViewSpan == 0)
        ViewSpan = kPageSize;
    ViewStart = ReadingCount - ViewSpan + 1;
}

void GVarMod::ResetReadings() {
    ReadingCount = 0;
    ViewHeld = false;
}

Reading& GVarMod::AppendRecord() {
    Q_ASSERT(ReadingCount < kReadingLimit);
    ++ReadingCount;
    Reading& r = Readings(ReadingCount);
    r.No = ReadingCount;
    return r;
}
