#include "reports/PrintReports.h"

#include "reports/DataReportLayout.h"
#include "reports/PrintProgress.h"
#include "reports/PrintRenderer.h"
#include "reports/PrintTarget.h"
#include "seams/MessageBoxes.h"
#include "state/GVarMod.h"

#include <QDate>
#include <QDebug>

#include <functional>
#include <optional>

namespace {

const QString kDataReportTitle = QStringLiteral("Brisel Data Report");
const QString kGraphReportTitle = QStringLiteral("Brisel Graph Report");

// The job's target: the caller's, or the system's default printer.
class TargetChoice {
public:
    explicit TargetChoice(PrintTarget* chosen)
        : m_target(chosen ? *chosen : m_default) {}
    PrintTarget& get() { return m_target; }

private:
    DefaultPrinterTarget m_default;
    PrintTarget& m_target;
};

PrintOutcome failed(PrintRenderer& renderer, MessageBoxes& boxes,
                    const std::function<QString(const QString&)>& message) {
    qWarning().noquote() << "printing failed:" << renderer.Failure();
    const QString text = message(renderer.Failure());
    renderer.Discard();
    boxes.Message(text);
    return PrintOutcome::Failed;
}

PrintOutcome failed(PrintRenderer& renderer, MessageBoxes& boxes, const QString& message) {
    return failed(renderer, boxes, [&message](const QString&) { return message; });
}

// Hands the composed job over while the progress says so; its dialog is gone before any message.
PrintOutcome finish(PrintRenderer& renderer, PrintProgress& progress, MessageBoxes& boxes,
                    const std::function<QString(const QString&)>& failureText) {
    const bool printed = renderer.Finish(&progress);
    progress.Finish();
    if (printed)
        return PrintOutcome::Printed;
    if (renderer.Cancelled())
        return PrintOutcome::Cancelled;
    return failed(renderer, boxes, failureText);
}

PrintOutcome finish(PrintRenderer& renderer, PrintProgress& progress, MessageBoxes& boxes,
                    const QString& errorText) {
    return finish(renderer, progress, boxes, [&errorText](const QString&) { return errorText; });
}

} // namespace

PrintOutcome PrintDataReport(const GVarMod& state, MessageBoxes& boxes, const PrintSetup& setup) {
    const QString errorText = QStringLiteral("print data error!");
    const std::int32_t count = state.ReadingCount; // taken once
    TargetChoice target(setup.target);
    PrintRenderer renderer(target.get(), kDataReportTitle);
    if (!renderer.Open())
        return failed(renderer, boxes, errorText);
    const double sheetWidth = renderer.SheetWidthTwips(PrintPaper::A4, PageOrientation::Portrait);
    if (sheetWidth <= 0)
        return failed(renderer, boxes, errorText);

    const DataReportLayout layout(state, count, QDate::currentDate(), sheetWidth);
    std::optional<PrintProgressDialog> dialog;
    PrintProgress* progress = setup.progress;
    if (!progress)
        progress = &dialog.emplace(setup.parent);

    const int pages = layout.PageCount();
    progress->Start(pages);
    for (int page = 1; page <= pages; ++page) {
        if (!renderer.Play(layout.Page(page))) {
            progress->Finish();
            return failed(renderer, boxes, errorText);
        }
        if (!progress->Advance(page)) {
            renderer.Discard();
            progress->Finish();
            return PrintOutcome::Cancelled;
        }
    }
    return finish(renderer, *progress, boxes, errorText);
}

PrintOutcome PrintGraphReport(GVarMod& state, const GraphReportTexts& texts, MessageBoxes& boxes,
                              const PrintSetup& setup) {
    return PrintSinglePage(
        kGraphReportTitle, [&] { return GraphReportPage(state, texts); }, boxes, setup,
        [](const QString&) { return QStringLiteral("printer error!"); });
}

PrintOutcome PrintSinglePage(const QString& title, const std::function<PrintPage()>& compose,
                             MessageBoxes& boxes, const PrintSetup& setup,
                             const std::function<QString(const QString& why)>& failureText) {
    TargetChoice target(setup.target);
    PrintRenderer renderer(target.get(), title);
    if (!renderer.Open())
        return failed(renderer, boxes, failureText);
    std::optional<PrintProgressDialog> dialog;
    PrintProgress* progress = setup.progress;
    if (!progress)
        progress = &dialog.emplace(setup.parent);
    progress->Start(1);
    if (!renderer.Play(compose())) {
        progress->Finish();
        return failed(renderer, boxes, failureText);
    }
    if (!progress->Advance(1)) {
        renderer.Discard();
        progress->Finish();
        return PrintOutcome::Cancelled;
    }
    return finish(renderer, *progress, boxes, failureText);
}
