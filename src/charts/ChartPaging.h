#pragma once

#include <QString>

#include <array>
#include <cstdint>

class GVarMod;

// Page moves of the paging buttons of both chart windows, in steps of 100 records. Each returns
// whether it moved; a button that cannot move does nothing at all (no captions, no repaint).

// To records 1-100, held. Cannot move with 100 readings or fewer.
bool MoveToFirstPage(GVarMod& state);

// One page back, full and held. Cannot move on the first page or with no readings.
bool MoveToPreviousPage(GVarMod& state);

// One page forward: held while more than 100 readings follow the new start, otherwise the page
// of the newest readings, following them. Cannot move when 100 readings or fewer lie from the
// current start on, or with no readings.
bool MoveToNextPage(GVarMod& state);

// To the page that holds the newest reading (the live page rule), following new readings again.
// Cannot move with no readings.
bool MoveToNewestPage(GVarMod& state);

// The record numbers under positions 1, 50 and 100 of the page (ViewStart, +49, +99), named
// whether or not those positions hold a reading.
std::array<std::int32_t, 3> PageNumbers(const GVarMod& state);

// The same three as plain decimal texts, for Label7 of the live chart and numlabel1 of the graph.
std::array<QString, 3> PageNumberTexts(const GVarMod& state);
