#include "charts/ChartPaging.h"

#include "state/GVarMod.h"
#include "state/SystemTexts.h"

bool MoveToFirstPage(GVarMod& state) {
    if (state.ReadingCount <= kPageSize)
        return false;
    state.ViewHeld = true;
    state.ViewStart = 1;
    state.ViewSpan = kPageSize;
    return true;
}

bool MoveToPreviousPage(GVarMod& state) {
    if (state.ViewStart <= kPageSize || state.ReadingCount == 0)
        return false;
    state.ViewStart -= kPageSize;
    state.ViewHeld = true;
    state.ViewSpan = kPageSize;
    return true;
}

bool MoveToNextPage(GVarMod& state) {
    if (state.ReadingCount - state.ViewStart <= kPageSize || state.ReadingCount == 0)
        return false;
    state.ViewStart += kPageSize;
    const std::int32_t remaining = state.ReadingCount - state.ViewStart + 1;
    if (remaining > kPageSize) {
        state.ViewSpan = kPageSize;
        state.ViewHeld = true;
    } else {
        state.ViewSpan = remaining;
        state.ViewHeld = false;
    }
    return true;
}

bool MoveToNewestPage(GVarMod& state) {
    if (state.ReadingCount == 0)
        return false;
    state.ViewHeld = false;
    state.ApplyLivePage();
    return true;
}

std::array<std::int32_t, 3> PageNumbers(const GVarMod& state) {
    return {state.ViewStart, state.ViewStart + 49, state.ViewStart + 99};
}

std::array<QString, 3> PageNumberTexts(const GVarMod& state) {
    const std::array<std::int32_t, 3> numbers = PageNumbers(state);
    return {QString::number(numbers[0]), QString::number(numbers[1]), QString::number(numbers[2])};
}
