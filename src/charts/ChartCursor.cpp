#include "charts/ChartCursor.h"

#include "charts/ChartGeometry.h"
#include "state/GVarMod.h"
#include "state/Rounding.h"

#include <limits>

namespace {

// A readout position in whole pixels, halves to even like every position of the charts. The
// pointer lies on the area when this is used, so it always fits.
int pixel(double v) {
    return NearestInt32(v).value_or(v < 0 ? std::numeric_limits<std::int32_t>::min()
                                          : std::numeric_limits<std::int32_t>::max());
}

// Left edge of a label that starts at left unless it would end beyond the right edge.
double keptInside(double start, int size, int limit) {
    return start + size > limit ? limit - size : start;
}

} // namespace

bool PointerInside(double x, double y, int width, int height) {
    return x >= 0 && x <= width && y >= 0 && y <= height;
}

bool PointerInside(double x, double y, const ChartGeometry& geometry) {
    return PointerInside(x, y, geometry.areaWidth, geometry.areaHeight);
}

std::int32_t CursorPagePosition(double x, int xStep) {
    return NearestInt32(x / xStep).value_or(0);
}

std::int32_t CursorRecord(const GVarMod& state, double x, int xStep) {
    const std::int32_t k = CursorPagePosition(x, xStep);
    if (!(k > 0 && k < state.ViewSpan && k <= kPageSize))
        return 0;
    const std::int32_t r = state.PlotPoints[static_cast<std::size_t>(k - 1)].record;
    if (r < 1 || r > state.ReadingCount)
        return 0;
    return r;
}

CursorTexts CursorReadoutTexts(const GVarMod& state, double x, const ChartGeometry& geometry) {
    const std::int32_t r = CursorRecord(state, x, geometry.xStep);
    if (r == 0)
        return {};
    const Reading& reading = state.Readings(r);
    return {reading.Data + reading.Unit, reading.TRH, reading.Time};
}

LiveCursorLayout LayoutLiveCursor(double x, double y, int width, int height) {
    LiveCursorLayout layout;
    layout.lineX = pixel(x);
    layout.tag = QPoint(pixel(keptInside(x + 3, kLiveTagWidth, width)),
                        pixel(keptInside(y + 3, kLiveTagHeight, height)));
    return layout;
}

GraphCursorLayout LayoutGraphCursor(double x, double y, int width, int height) {
    GraphCursorLayout layout;
    layout.lineX = pixel(x);
    const int bandLeft = pixel(keptInside(x, kGraphBandWidth, width));
    layout.trh = QPoint(bandLeft, 0);
    layout.time = QPoint(bandLeft, kGraphTimeTop);
    layout.value = QPoint(pixel(keptInside(x, kGraphValueWidth, width)),
                          pixel(keptInside(y + 3, kGraphValueHeight, height)));
    return layout;
}
