#pragma once

#include "reports/PrintReports.h"
#include "traverse/TraverseReport.h"

class MessageBoxes;
class PrintTarget;

// Prints the traverse report page through the print layer, without a printer dialog: on the
// default printer when target is null, otherwise on the target (a PDF file). A failure prints
// nothing, leaves no partial file and says why in one message.
PrintOutcome PrintTraverseReport(const TraverseReportData& data, MessageBoxes& boxes,
                                 PrintTarget* target);
