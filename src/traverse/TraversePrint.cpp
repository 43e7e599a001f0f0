#include "traverse/TraversePrint.h"

#include "reports/PrintTarget.h"
#include "state/SystemTexts.h"
#include "traverse/TraverseReportLayout.h"

#include <QLocale>

PrintOutcome PrintTraverseReport(const TraverseReportData& data, MessageBoxes& boxes,
                                 const PrintSetup& setup) {
    const auto* file = dynamic_cast<const PdfFileTarget*>(setup.target);
    return PrintSinglePage(
        TestReportTitle(data.setup.type), [&] { return TraverseReportPage(data, QLocale()); },
        boxes, setup,
        [file](const QString& why) {
            return file ? QStringLiteral("The traverse report was not written to %1:\n%2.")
                              .arg(QuotedPath(file->Path()), why)
                        : QStringLiteral("The traverse report was not printed:\n%1.").arg(why);
        });
}
