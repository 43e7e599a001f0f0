#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// One stored meter reading. Fields in their declared order.
struct Reading {
    std::int32_t No = 0; // the record's own 1-based position in Readings
    double Value = 0.0;  // main value after the decimal-point code; never negative
    QString TRH;         // mode tag, temperature with unit, relative humidity
    QString Time;        // short date, a backslash, time of day
    QString Unit; // "m/s" ... "CFM"; kept from an earlier fill when a frame's unit is unknown
    QString Data; // Value as number text
};

// The point at which one reading of the page was last drawn.
struct PlotPoint {
    std::int32_t record = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

inline constexpr std::int32_t kReadingLimit = 50000; // the table is full at this count
inline constexpr std::int32_t kPageSize = 100;       // readings on one chart page
inline constexpr std::int32_t kStartChartScale = 400;

// The process-wide reading table and the chart page state shared by every window.
//
// One object, owned by the application and handed to the windows. Readings are indexed 1 to
// 50000; all 50000 records are allocated once and never cleared, so a reset only sets the count to
// 0 and each record keeps its old texts until its position is filled again.
class GVarMod {
public:
    GVarMod();

    // Record n, 1 <= n <= kReadingLimit.
    Reading& Readings(std::int32_t n);
    const Reading& Readings(std::int32_t n) const;

    std::int32_t ReadingCount = 0;              // meaningful records, 0 to 50000
    std::int32_t ChartScale = kStartChartScale; // half-height of the charts' vertical axis; never 0
    std::int32_t ViewStart = 1;                 // record at the left edge of the chart page
    std::int32_t ViewSpan = 0;                  // records drawn on the page, 0 to 100
    bool ViewHeld = false; // the user holds a page; new readings do not move it
    std::array<PlotPoint, kPageSize> PlotPoints{};

    // Moves the page to the one that holds the newest reading: pages are 1-100, 101-200, ...
    // and the page shows its readings up to the newest. Only meaningful with ReadingCount > 0.
    void ApplyLivePage();

    // Empties the table: count 0, page no longer held. Records, scale and page are kept.
    void ResetReadings();

    // Stores the next reading's number and returns its record (ReadingCount raised by one).
    // Precondition: ReadingCount < kReadingLimit.
    Reading& AppendRecord();

private:
    std::vector<Reading> m_readings;
};
