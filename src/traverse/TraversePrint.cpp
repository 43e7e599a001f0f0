#include "traverse/TraversePrint.h"

#include "reports/PrintRenderer.h"
#include "reports/PrintTarget.h"
#include "traverse/TraverseReportLayout.h"
#include "widgets/MessageBoxes.h"

#include <QLocale>

#include <optional>

PrintOutcome PrintTraverseReport(const TraverseReportData& data, MessageBoxes& boxes,
                                 PrintTarget* target) {
    std::optional<DefaultPrinterTarget> printer;
    PrintTarget& chosen = target ? *target : printer.emplace();
    PrintRenderer renderer(chosen, QStringLiteral("Traverse Report"));
    if (renderer.Open() && renderer.Play(TraverseReportPage(data, QLocale())) && renderer.Finish())
        return PrintOutcome::Printed;
    const QString why = renderer.Failure();
    renderer.Discard();
    const auto* file = dynamic_cast<const PdfFileTarget*>(target);
    boxes.Message(file ? QStringLiteral("The traverse report was not written to %1:\n%2.")
                             .arg(file->Path(), why)
                       : QStringLiteral("The traverse report was not printed:\n%1.").arg(why));
    return PrintOutcome::Failed;
}
