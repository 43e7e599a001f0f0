#pragma once

#include "link/MeterFrame.h"

#include <QByteArray>

#include <optional>

// Getting in step with a meter that streams without a pause, by the frames' structure.
//
// The meter's frames carry no marker; a quiet gap between frames is what normally shows where one
// starts. A meter that sends more than about 20 frames a second leaves no such gap. Its frames
// still have fields that hold only a few values (mode, temperature unit, kind, unit, decimals,
// humidity up to 100 %): bytes taken at another boundary rarely look like that, and almost never
// for several frames in a row at the 13-byte stride.

// Frames in a row that must look like the meter's, at one boundary and no other, to be in step.
inline constexpr int kFramesToGetInStep = 5;

// Whether 13 bytes are a frame the meter sends: mode, temperature unit, kind and unit all codes
// the decoder knows (DecodeFrame leaves nothing out), decimals 1 to 4, humidity at most 100 %.
bool IsMeterFrame(const MeterFrame& frame);

// Where a frame starts in bytes that arrived without a pause: the first offset at which
// kFramesToGetInStep frames in a row are meter frames and at no other boundary within the next
// 12 bytes such a run starts too; nothing while the bytes show no such offset yet.
std::optional<qsizetype> FrameStartByStructure(const QByteArray& bytes);

// Follows a stream that arrived without a pause, every byte in order, until a frame boundary in it
// is known (FrameStartByStructure); keeps no more of it than that needs.
class GaplessFrameSync {
public:
    void Reset() { m_seen.clear(); }
    // The bytes that came next; once the boundary is known, how many of the bytes still to come
    // finish the frame under way (0: the next byte starts a frame).
    std::optional<int> Feed(const QByteArray& bytes);

private:
    QByteArray m_seen;
};
