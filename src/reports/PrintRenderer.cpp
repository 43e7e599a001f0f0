#include "reports/PrintRenderer.h"

#include "reports/PdfStructure.h"
#include "reports/PrintProgress.h"
#include "reports/PrintTarget.h"
#include "reports/PrintableArea.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPen>
#include <QTemporaryFile>

#include <mutex>
#include <thread>

namespace {

// Reports ask for the fonts by the names the meter's users know. Where a name is not installed,
// the closest metric-compatible font takes its place, so texts keep their widths.
void substituteMissingFonts() {
    static std::once_flag once;
    std::call_once(once, [] {
        const QStringList families = QFontDatabase::families();
        if (!families.contains(QStringLiteral("Arial"), Qt::CaseInsensitive))
            QFont::insertSubstitutions(QStringLiteral("Arial"),
                                       {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                        QStringLiteral("Helvetica"), QStringLiteral("Nimbus Sans"),
                                        QStringLiteral("DejaVu Sans")});
    });
}

QPageLayout::Orientation toLayout(PageOrientation o) {
    return o == PageOrientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QPageSize toPageSize(PrintPaper) {
    return QPageSize(QPageSize::A4);
}

constexpr double kDotLengthTwips = 15; // one screen pixel

SheetMargins minimumMarginsInPoints(const QPrinter& printer) {
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Point);
    const QMarginsF m = layout.minimumMargins();
    return {m.left(), m.top(), m.right(), m.bottom()};
}

} // namespace

PrintRenderer::PrintRenderer(PrintTarget& target, QString title)
    : m_target(target)
    , m_title(std::move(title))
    , m_printer(QPrinter::HighResolution) {
    substituteMissingFonts();
}

PrintRenderer::~PrintRenderer() {
    if (!m_done)
        Discard();
}

bool PrintRenderer::fail(const QString& what) {
    if (m_failure.isEmpty())
        m_failure = what;
    return false;
}

bool PrintRenderer::Open() {
    QString spoolPath;
    if (m_target.UsesSpoolFile()) {
        m_spool = std::make_unique<QTemporaryFile>(
            QDir(m_target.SpoolDirectory()).filePath(QStringLiteral("print-XXXXXX.spool")));
        if (!m_spool->open())
            return fail(QStringLiteral("no spool file: ") + m_spool->errorString());
        m_spool->close(); // the printer writes it by name
        spoolPath = m_spool->fileName();
    }
    QString reason;
    if (!m_target.Prepare(m_printer, spoolPath, reason))
        return fail(reason);
    if (!m_printer.isValid())
        return fail(QStringLiteral("the printer is not valid"));
    m_printer.setDocName(m_title);
    m_printer.setFullPage(true);
    m_open = true;
    return true;
}

bool PrintRenderer::setUpPaper(PrintPaper paper, PageOrientation orientation) {
    // The paper upright first, for the margins of the upright sheet, then the orientation in use:
    // the printable area the printer reports may depend on both.
    const auto orient = [this](QPageLayout::Orientation o) {
        return m_printer.pageLayout().orientation() == o || m_printer.setPageOrientation(o);
    };
    if (!orient(QPageLayout::Portrait))
        return fail(QStringLiteral("the printer refuses the orientation"));
    const QPageSize size = toPageSize(paper);
    if (!m_printer.pageLayout().pageSize().isEquivalentTo(size) && !m_printer.setPageSize(size))
        return fail(QStringLiteral("the printer refuses the paper"));
    const SheetMargins upright = minimumMarginsInPoints(m_printer);
    if (!orient(toLayout(orientation)))
        return fail(QStringLiteral("the printer refuses the orientation"));
    if (!m_printer.pageLayout().pageSize().isEquivalentTo(size) ||
        m_printer.pageLayout().orientation() != toLayout(orientation))
        return fail(QStringLiteral("the printer refuses the paper or orientation"));
    const SheetMargins inUse = MarginsInUse(upright, minimumMarginsInPoints(m_printer),
                                            orientation == PageOrientation::Landscape);
    m_originPoints = QPointF(inUse.left, inUse.top);
    return true;
}

double PrintRenderer::SheetWidthTwips(PrintPaper paper, PageOrientation orientation) {
    if (!m_open || !setUpPaper(paper, orientation))
        return 0.0;
    const int resolution = m_printer.resolution();
    return m_printer.paperRect(QPrinter::DevicePixel).width() * kTwipsPerInch / resolution;
}

bool PrintRenderer::startPage(const NewPageStep& step) {
    if (!m_open)
        return fail(QStringLiteral("the job is not open"));
    if (!setUpPaper(step.paper, step.orientation))
        return false;
    if (!m_begun) {
        if (!m_painter.begin(&m_printer))
            return fail(QStringLiteral("the printer does not start the document"));
        m_begun = true;
    } else if (!m_printer.newPage()) {
        return fail(QStringLiteral("the printer does not start a new page"));
    }
    const int resolution = m_printer.resolution();
    m_dotsPerTwip = resolution / kTwipsPerInch;
    // The printable area's offset from the corner of the sheet, in printer dots.
    m_origin = m_originPoints * (resolution / 72.0);
    m_haveFont = false; // metrics belong to the page's device
    return true;
}

QPointF PrintRenderer::toDevice(double x, double y) const {
    return m_origin + QPointF(x, y) * m_dotsPerTwip;
}

void PrintRenderer::drawText(const TextStep& step) {
    if (!m_haveFont || !(step.font == m_lastFont)) {
        m_font = QFont(step.font.family);
        m_font.setPointSizeF(step.font.pointSize);
        m_font.setBold(step.font.bold);
        m_font.setItalic(false);
        m_painter.setFont(m_font);
        m_ascent = QFontMetricsF(m_painter.font(), &m_printer).ascent();
        m_lastFont = step.font;
        m_haveFont = true;
    }
    // QPainter places text by its baseline; the step names the top of the character cell.
    m_painter.drawText(toDevice(step.x, step.y) + QPointF(0, m_ascent), step.text);
}

void PrintRenderer::drawLine(const LineStep& step) {
    QPen pen(Qt::black);
    pen.setWidthF(1.0);
    pen.setCapStyle(Qt::FlatCap);
    if (step.style == LineStyle::Dotted) {
        const double dot = kDotLengthTwips * m_dotsPerTwip;
        pen.setDashPattern({dot, dot});
    }
    m_painter.setPen(pen);
    m_painter.drawLine(toDevice(step.x1, step.y1), toDevice(step.x2, step.y2));
}

void PrintRenderer::drawDot(const DotStep& step) {
    QPen pen(Qt::black);
    pen.setWidthF(1.0);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::black);
    const double r = step.radius * m_dotsPerTwip;
    m_painter.drawEllipse(toDevice(step.x, step.y), r, r);
    m_painter.setBrush(Qt::NoBrush);
}

bool PrintRenderer::Play(const PrintPage& steps) {
    if (m_done)
        return fail(QStringLiteral("the job is over"));
    for (const PrintStep& step : steps) {
        if (const auto* page = std::get_if<NewPageStep>(&step)) {
            if (!startPage(*page))
                return false;
            continue;
        }
        if (!m_begun)
            return fail(QStringLiteral("a drawing step before the first page"));
        if (const auto* text = std::get_if<TextStep>(&step))
            drawText(*text);
        else if (const auto* line = std::get_if<LineStep>(&step))
            drawLine(*line);
        else if (const auto* dot = std::get_if<DotStep>(&step))
            drawDot(*dot);
    }
    if (m_begun && (!m_painter.isActive() || m_printer.printerState() == QPrinter::Error))
        return fail(QStringLiteral("the printer failed while drawing"));
    return true;
}

bool PrintRenderer::spoolIsComplete() {
    // The print engines write the document as they go and do not report a full disk, nor a write
    // that failed while later ones went through.
    QFile file(m_spool->fileName());
    return file.open(QIODevice::ReadOnly) && PdfStructureIsComplete(file);
}

bool PrintRenderer::deliver(PrintProgress* progress, QString& reason) {
    std::atomic<bool> done{false};
    bool delivered = false;
    QObject waker; // its queued call wakes the wait below when the hand-over ends
    const QString spoolPath = m_spool->fileName();
    m_target.SetDeliveryCancelled(false);
    std::thread handOver([&] {
        delivered = m_target.Deliver(m_printer, spoolPath, m_title, reason);
        done.store(true);
        QMetaObject::invokeMethod(
            &waker, [] {}, Qt::QueuedConnection);
    });
    bool cancelRequested = false;
    while (!done.load()) {
        if (progress && !cancelRequested) {
            if (!progress->WaitSending()) {
                cancelRequested = true;
                m_target.SetDeliveryCancelled(true);
            }
        } else {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::WaitForMoreEvents);
        }
    }
    handOver.join();
    m_cancelled = cancelRequested && !delivered;
    return delivered;
}

bool PrintRenderer::Finish(PrintProgress* progress) {
    if (m_done)
        return fail(QStringLiteral("the job is over"));
    if (!m_begun) {
        Discard();
        return fail(QStringLiteral("the document has no page"));
    }
    const bool ended = m_painter.end();
    if (!ended || m_printer.printerState() == QPrinter::Error) {
        Discard();
        return fail(QStringLiteral("the printer does not end the document"));
    }
    if (!m_spool) { // the printer's engine submitted the job when the document ended
        m_done = true;
        return true;
    }
    if (!spoolIsComplete()) {
        Discard();
        return fail(QStringLiteral("the document could not be written completely"));
    }
    QString reason;
    const bool delivered = deliver(progress, reason);
    m_spool.reset(); // removes what is left of the spool file
    m_done = true;
    if (!delivered)
        return fail(reason);
    return true;
}

void PrintRenderer::Discard() {
    if (m_painter.isActive()) {
        m_printer.abort(); // engines that can cancel do so; the spool is thrown away anyway
        if (m_painter.isActive())
            m_painter.end();
    }
    m_spool.reset();
    m_done = true;
}
