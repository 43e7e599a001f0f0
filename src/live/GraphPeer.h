#pragma once

#include <QString>

#include <array>
#include <cstdint>

// What the live display needs of the graph window, which sits above it: the graph implements
// this, and the start-up code hands the live display a way to reach it.
class GraphPeer {
public:
    virtual ~GraphPeer() = default;

    // Sets the text of the graph's scale box; applies nothing.
    virtual void SetScaleText(const QString& text) = 0;
    // Applies the graph's scale box text to the graph without calling the live display back.
    virtual void Combo1_Clicktwo() = 0;
    // Writes the graph's axis numbers for a scale.
    virtual void SetAxisCaptions(std::int32_t scale) = 0;
    // Writes the graph's three page numbers.
    virtual void SetPageNumbers(const std::array<QString, 3>& numbers) = 0;
    // The graph's repaint rule: erase the plot to light grey, then draw it.
    virtual void RepaintPlot() = 0;
};

// The way to the graph window: it may be closed and is created afresh when opened again.
class GraphWindowAccess {
public:
    virtual ~GraphWindowAccess() = default;
    // The graph window while it is shown, otherwise nothing.
    virtual GraphPeer* VisibleGraph() = 0;
    // Shows the graph window, not modal, loading it first when it is not loaded.
    virtual GraphPeer* OpenGraph() = 0;
};
