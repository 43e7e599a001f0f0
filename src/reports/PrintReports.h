#pragma once

#include "reports/GraphReportLayout.h"
#include "reports/PrintSteps.h"

#include <QString>

#include <functional>

class GVarMod;
class MessageBoxes;
class PrintProgress;
class PrintTarget;
class QWidget;

enum class PrintOutcome {
    Printed,   // the whole document reached the printer (or file)
    Failed,    // nothing was printed; the error message has been shown
    Cancelled, // the user cancelled; nothing was printed and nothing shown
};

// Where a print goes and who shows its progress. The defaults are the program's: the system's
// default printer and a progress dialog.
struct PrintSetup {
    PrintTarget* target = nullptr;     // null: the system's default printer
    PrintProgress* progress = nullptr; // null: a PrintProgressDialog over parent
    QWidget* parent = nullptr;
};

// The data table's "print": prints readings 1 ... ReadingCount as the paginated data report on
// A4 portrait, without a printer dialog. ReadingCount is taken once, when printing starts.
//
// Long jobs show an application-modal progress dialog that keeps the application responsive and
// can cancel the job, also while the finished job is handed to the printer ("Sending to the
// printer ..."); a cancelled job prints nothing and shows nothing. Any failure (no default
// printer, the printer refuses A4 or portrait, a page or drawing call fails, the document is not
// written whole, the job cannot be handed over) cancels the job and shows "print data error!".
//
// The caller must keep the table still while this runs: before calling, stop reception by
// setting the serial port's receive threshold to 0 without starting the flush timer; afterwards,
// whatever the outcome, resume reception as after a save (threshold 0 and the flush timer, which
// discards what arrived meanwhile and re-arms 13-byte frames).
PrintOutcome PrintDataReport(const GVarMod& state, MessageBoxes& boxes,
                             const PrintSetup& setup = {});

// The graph window's "Print": prints the graph window's current page on one A4 landscape sheet
// without a printer dialog, from the texts copied from the windows and the shared page state.
// Fills PlotPoints again as the graph window does. Does not touch reception. A slow hand-over shows
// the progress dialog as the data report does, and can be cancelled there. Any failure cancels
// the job and shows "printer error!".
PrintOutcome PrintGraphReport(GVarMod& state, const GraphReportTexts& texts, MessageBoxes& boxes,
                              const PrintSetup& setup = {});

// One page composed by compose (after the printer is open), printed through the setup's target
// with its progress, as the graph report is: a slow hand-over shows the progress dialog and can be
// cancelled there (nothing printed, nothing shown); any failure prints nothing, leaves no partial
// file and shows failureText(the reason) in one message.
PrintOutcome PrintSinglePage(const QString& title, const std::function<PrintPage()>& compose,
                             MessageBoxes& boxes, const PrintSetup& setup,
                             const std::function<QString(const QString& why)>& failureText);
