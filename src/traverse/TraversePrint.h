#pragma once

#include "reports/PrintReports.h"
#include "traverse/TraverseReport.h"

class MessageBoxes;

// Prints the traverse report page through the print layer, without a printer dialog: on the
// setup's target (null: the default printer; or a PDF file), with the progress dialog of a slow
// hand-over. A failure prints nothing, leaves no partial file and says why in one message.
PrintOutcome PrintTraverseReport(const TraverseReportData& data, MessageBoxes& boxes,
                                 const PrintSetup& setup);
