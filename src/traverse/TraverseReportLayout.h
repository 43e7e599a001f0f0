#pragma once

#include "reports/PrintSteps.h"
#include "traverse/TraverseReport.h"

#include <QLocale>

// The printed test on A4 portrait, one page when the points fit, further pages when they do not:
// the title by test type, project, tag, location, technician and when it was taken, the
// instrument block (with the calibration warning), the setup and any measuring note, the
// cross-section drawing with every point's value, the results with actual and standard flow, the
// density block, the verdict with its reasons, the points table, the notes and a signature line.
// Numbers follow the given locale. Nothing is placed right of kRight or below kBottom.
PrintPage TraverseReportPage(const TraverseReportData& data, const QLocale& locale);

// Where the report puts things, in twips from the top-left of the printable area.
namespace TraverseReportGeometry {
// The page keeps half an inch clear on a PDF file (whose printable area is the whole sheet) and
// stays inside a printer's own margins of up to a quarter inch.
inline constexpr double kLeft = 760;
inline constexpr double kRight = 11100;
inline constexpr double kBottom = 16000;
inline constexpr double kTitleY = 760;
inline constexpr double kDrawingWidth = 4300;
inline constexpr double kDrawingHeight = 3900;
inline constexpr double kResultsLabelX = kLeft + 4650;
inline constexpr double kResultsTextX = kLeft + 6450;
inline constexpr double kRowStep = 230;
} // namespace TraverseReportGeometry
