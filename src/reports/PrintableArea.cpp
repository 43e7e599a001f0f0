#include "reports/PrintableArea.h"

SheetMargins TurnToLandscape(const SheetMargins& upright) {
    return {upright.bottom, upright.left, upright.top, upright.right};
}

SheetMargins MarginsInUse(const SheetMargins& upright, const SheetMargins& reported,
                          bool landscape) {
    if (landscape && reported == upright)
        return TurnToLandscape(upright);
    return reported;
}
