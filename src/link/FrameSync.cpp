#include "link/FrameSync.h"

#include <algorithm>

namespace {

MeterFrame frameAt(const QByteArray& bytes, qsizetype at) {
    MeterFrame frame;
    std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.constData() + at), kFrameLength,
                frame.begin());
    return frame;
}

bool runAt(const QByteArray& bytes, qsizetype at) {
    if (at + qsizetype(kFrameLength) * kFramesToGetInStep > bytes.size())
        return false;
    for (int i = 0; i < kFramesToGetInStep; ++i) {
        if (!IsMeterFrame(frameAt(bytes, at + qsizetype(i) * kFrameLength)))
            return false;
    }
    return true;
}

} // namespace

bool IsMeterFrame(const MeterFrame& frame) {
    const MeterFrameFields f = FrameFields(frame);
    const int units = f.kind == 1 ? 6 : f.kind == 2 ? 3 : 0;
    return f.mode <= 2 && (f.temperatureUnit == 1 || f.temperatureUnit == 2) &&
           f.humidityTenths <= 1000 && f.unitCode >= 1 && f.unitCode <= units &&
           f.decimalCode >= 1 && f.decimalCode <= 4;
}

std::optional<qsizetype> FrameStartByStructure(const QByteArray& bytes) {
    // A start is known once the run at every other boundary within a frame after it can be
    // tried too.
    const qsizetype needed = qsizetype(kFrameLength) * kFramesToGetInStep + kFrameLength - 1;
    for (qsizetype at = 0; at + needed <= bytes.size(); ++at) {
        if (!runAt(bytes, at))
            continue;
        // Another boundary that also holds: these frames do not say which is right; later ones
        // may.
        bool alone = true;
        for (qsizetype other = at + 1; other < at + kFrameLength && alone; ++other)
            alone = !runAt(bytes, other);
        if (alone)
            return at;
    }
    return std::nullopt;
}

std::optional<int> GaplessFrameSync::Feed(const QByteArray& bytes) {
    m_seen += bytes;
    const std::optional<qsizetype> start = FrameStartByStructure(m_seen);
    if (!start) {
        // The search looks at every offset, so older bytes are only needed for one run.
        const qsizetype keep = qsizetype(kFrameLength) * (kFramesToGetInStep + 1);
        if (m_seen.size() > 2 * keep)
            m_seen.remove(0, m_seen.size() - keep);
        return std::nullopt;
    }
    const qsizetype after = (m_seen.size() - *start) % kFrameLength;
    m_seen.clear();
    return int((kFrameLength - after) % kFrameLength);
}
