#pragma once

#include "reports/PrintSteps.h"
#include "traverse/TraverseReport.h"

#include <QLocale>

// The printed traverse: one A4 portrait page with the title "Traverse Report", the location,
// technician and date, the setup, the cross-section drawing with every point's value, the results
// with PASS or FAIL, and the table of points (in two blocks when there are more than 36).
// Numbers follow the given locale.
PrintPage TraverseReportPage(const TraverseReportData& data, const QLocale& locale);

// Where the report puts things, in twips from the top-left of the printable area.
namespace TraverseReportGeometry {
inline constexpr double kLeft = 600;
inline constexpr double kTitleY = 500;
inline constexpr double kDrawingTop = 2750;
inline constexpr double kDrawingWidth = 4800;
inline constexpr double kDrawingHeight = 4600;
inline constexpr double kResultsLabelX = 5900;
inline constexpr double kResultsTextX = 8100;
inline constexpr double kTableTop = 8000;
inline constexpr double kTableBottom = 16300;
inline constexpr double kSecondBlockX = 5900;
inline constexpr int kRowsInOneBlock = 36;
} // namespace TraverseReportGeometry
