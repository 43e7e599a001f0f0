#pragma once

// The unprintable margins of a sheet, in any one unit, each from its own edge of the page as it
// is printed.
struct SheetMargins {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    bool operator==(const SheetMargins&) const = default;
};

// The upright sheet's margins as they fall on a landscape page. A landscape job turns its pages a
// quarter turn counter-clockwise onto the upright sheet (the print systems' "landscape"): the top
// of the page lies along the sheet's left edge, the left of the page along the sheet's bottom.
SheetMargins TurnToLandscape(const SheetMargins& upright);

// The margins of the printable area for the orientation in use, from those the printer reports
// for the upright sheet and for the orientation in use. Some print supports turn the margins with
// the orientation, others report the upright margins for landscape as well; those are turned
// here.
SheetMargins MarginsInUse(const SheetMargins& upright, const SheetMargins& reported,
                          bool landscape);
