#pragma once

#include "recording/RecordingPlot.h"
#include "recording/RecordingStats.h"
#include "reports/PrintSteps.h"

// The printed recording: one A4 landscape page with the caption, the file's description, the plot
// of the view (the plot's layout at 1000 x 440 pixels, 15 twips a pixel: the value in solid lines,
// temperature and humidity dotted, the selected range between two dotted lines) and, when a range
// is selected, its statistics as a table.
PrintPage RecordingReportPage(const Recording& r, const PlotView& view,
                              const std::vector<RangeStatistics>& stats);

// The file's description line: format, readings and lines, what was left out or put in order.
QString RecordingSummaryText(const Recording& r);
