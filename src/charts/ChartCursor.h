#pragma once

#include <QPoint>
#include <QString>

#include <cstdint>

struct ChartGeometry;
class GVarMod;

// The cursor readout of both chart windows: which reading lies under the pointer, the texts shown
// for it and where the readout's labels go. Positions are in the drawing area's inner pixels.

// The pointer is over the area when 0 <= x <= width and 0 <= y <= height (edges count as inside).
bool PointerInside(double x, double y, int width, int height);
bool PointerInside(double x, double y, const ChartGeometry& geometry);

// The page position nearest to x: x / xStep rounded to the nearest integer, halves to even
// (position k is drawn at x = xStep * k). Positions beyond 32 bits come back as 0.
std::int32_t CursorPagePosition(double x, int xStep);

// The record shown for the pointer at x, or 0 for none. A record is shown when its position k
// satisfies 0 < k < ViewSpan (so the page's last reading shows none) and the record number drawn
// there, PlotPoints entry k - 1, names a stored reading (1 ... ReadingCount): after the table is
// emptied the page still names the old records, and they are not shown.
std::int32_t CursorRecord(const GVarMod& state, double x, int xStep);

// The three readout texts: the value (Data immediately followed by Unit), the temperature and
// humidity (TRH) and the time stamp (Time); all empty when no record is shown.
struct CursorTexts {
    QString value;
    QString trh;
    QString time;
};
CursorTexts CursorReadoutTexts(const GVarMod& state, double x, const ChartGeometry& geometry);

// Where the live chart's readout goes for the pointer at (x, y): the cursor line at x and the tag
// Label12 (99 x 26) with its top-left corner 3 pixels right of and below the pointer, moved left
// and up only as far as needed to end at the area's inner right and bottom edges.
inline constexpr int kLiveTagWidth = 99;
inline constexpr int kLiveTagHeight = 26;
struct LiveCursorLayout {
    int lineX = 0;
    QPoint tag; // top-left corner of Label12
};
LiveCursorLayout LayoutLiveCursor(double x, double y, int width, int height);

// Where the graph's readout goes for the pointer at (x, y): the cursor line at x; Label1 (TRH,
// 211 x 26) at the top edge, Label3 (Time, 211 x 26) with its top at 468 and Label2 (value,
// 99 x 26) with its top 3 pixels below the pointer, each starting at x and moved left only as far
// as needed to end at the right inner edge; Label2 moved up to end at the bottom inner edge.
inline constexpr int kGraphBandWidth = 211; // Label1 and Label3
inline constexpr int kGraphBandHeight = 26;
inline constexpr int kGraphTimeTop = 468;    // Label3
inline constexpr int kGraphValueWidth = 99;  // Label2
inline constexpr int kGraphValueHeight = 26; // Label2
struct GraphCursorLayout {
    int lineX = 0;
    QPoint trh;   // Label1
    QPoint value; // Label2
    QPoint time;  // Label3
};
GraphCursorLayout LayoutGraphCursor(double x, double y, int width, int height);
