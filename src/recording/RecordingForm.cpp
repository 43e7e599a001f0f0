#include "recording/RecordingForm.h"

#include "charts/ChartPainter.h"
#include "recording/RecordingReport.h"
#include "reports/AtomicFileWriter.h"
#include "reports/PrintTarget.h"
#include "seams/MessageBoxes.h"
#include "state/SystemTexts.h"
#include "widgets/FileSaveDialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace {
constexpr double kWheelStep = 0.8; // one notch of the wheel shows 80 % of the span
constexpr double kKeyPan = 0.1;    // Left / Right move a tenth of the span
constexpr int kDragThreshold = 3;  // pixels before a press becomes a drag
} // namespace

RecordingPlotView::RecordingPlotView(const Recording& recording, PlotView& view, QWidget* parent)
    : QWidget(parent)
    , m_recording(recording)
    , m_view(view) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(480, 240);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TimePlotLayout RecordingPlotView::Layout() const {
    return LayOutRecordingPlot(m_recording, m_view, QSizeF(size()));
}

void RecordingPlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintTimePlot(painter, Layout());
}

double RecordingPlotView::fractionAt(double x) const {
    const QRectF frame = PlotFrame(QSizeF(size()));
    return std::clamp((x - frame.left()) / frame.width(), 0.0, 1.0);
}

void RecordingPlotView::changed() {
    // The reading under a pointer that stayed where it was changes with the view.
    if (m_view.cursorX)
        emit PointedAt(NearestReading(m_recording,
                                      TimeAtX(m_view, PlotFrame(QSizeF(size())), *m_view.cursorX)));
    update();
    emit ViewChanged();
}

void RecordingPlotView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0)
        return;
    ZoomAt(m_view, m_recording, fractionAt(event->position().x()), std::pow(kWheelStep, notches));
    changed();
    event->accept();
}

void RecordingPlotView::mousePressEvent(QMouseEvent* event) {
    m_pressX = event->position().x();
    m_pressView = m_view;
    if (event->button() == Qt::RightButton ||
        (event->button() == Qt::LeftButton && event->modifiers() & Qt::ControlModifier))
        m_drag = Drag::Zoom;
    else if (event->button() == Qt::LeftButton && event->modifiers() & Qt::ShiftModifier)
        m_drag = Drag::Select;
    else if (event->button() == Qt::LeftButton)
        m_drag = Drag::Pan;
}

void RecordingPlotView::mouseMoveEvent(QMouseEvent* event) {
    const double x = event->position().x();
    const QRectF frame = PlotFrame(QSizeF(size()));
    switch (m_drag) {
    case Drag::Pan:
        if (std::abs(x - m_pressX) >= kDragThreshold) {
            m_view.from = m_pressView.from;
            m_view.to = m_pressView.to;
            PanBy(m_view, m_recording, -(x - m_pressX) / frame.width());
        }
        break;
    case Drag::Select:
    case Drag::Zoom:
        m_view.band = std::make_pair(m_pressX, std::clamp(x, frame.left(), frame.right()));
        break;
    case Drag::None:
        break;
    }
    if (frame.contains(event->position())) {
        m_view.cursorX = x;
        emit PointedAt(NearestReading(m_recording, TimeAtX(m_view, frame, x)));
    } else {
        m_view.cursorX.reset();
        emit PointedAt(-1);
    }
    changed();
}

void RecordingPlotView::mouseReleaseEvent(QMouseEvent* event) {
    const double x = std::clamp(event->position().x(), PlotFrame(QSizeF(size())).left(),
                                PlotFrame(QSizeF(size())).right());
    const QRectF frame = PlotFrame(QSizeF(size()));
    const Drag drag = m_drag;
    m_drag = Drag::None;
    m_view.band.reset();
    if ((drag == Drag::Select || drag == Drag::Zoom) && std::abs(x - m_pressX) >= kDragThreshold) {
        const qint64 a = TimeAtX(m_view, frame, m_pressX);
        const qint64 b = TimeAtX(m_view, frame, x);
        if (drag == Drag::Zoom) {
            ZoomTo(m_view, m_recording, a, b);
        } else {
            m_view.selection = std::make_pair(std::min(a, b), std::max(a, b));
            emit SelectionChanged();
        }
    }
    changed();
}

void RecordingPlotView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomAt(m_view, m_recording, 0.5, kWheelStep);
        break;
    case Qt::Key_Minus:
        ZoomAt(m_view, m_recording, 0.5, 1 / kWheelStep);
        break;
    case Qt::Key_Left:
        PanBy(m_view, m_recording, event->modifiers() & Qt::ShiftModifier ? -0.5 : -kKeyPan);
        break;
    case Qt::Key_Right:
        PanBy(m_view, m_recording, event->modifiers() & Qt::ShiftModifier ? 0.5 : kKeyPan);
        break;
    case Qt::Key_PageUp:
        PanBy(m_view, m_recording, -1);
        break;
    case Qt::Key_PageDown:
        PanBy(m_view, m_recording, 1);
        break;
    case Qt::Key_Escape:
        if (!m_view.selection) {
            QWidget::keyPressEvent(event);
            return;
        }
        m_view.selection.reset();
        emit SelectionChanged();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    changed();
}

void RecordingPlotView::leaveEvent(QEvent*) {
    m_view.cursorX.reset();
    emit PointedAt(-1);
    update();
}

RecordingForm::RecordingForm(std::unique_ptr<Recording> recording, Seams seams, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_recording(std::move(recording))
    , m_seams(seams) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Recording - %1").arg(QFileInfo(m_recording->path).fileName()));
    if (!m_seams.dialog) {
        auto own = std::make_unique<FileSaveDialog>(this);
        m_seams.dialog = own.get();
        m_ownDialog = std::move(own);
    }
    ShowAll(m_view, *m_recording);

    auto* top = new QHBoxLayout;
    m_temperature = new QCheckBox(QStringLiteral("&Temperature"), this);
    m_humidity = new QCheckBox(QStringLiteral("H&umidity"), this);
    for (QCheckBox* box : {m_temperature, m_humidity}) {
        box->setChecked(true);
        top->addWidget(box);
    }
    top->addStretch(1);
    auto* all = new QPushButton(QStringLiteral("Show &all"), this);
    all->setToolTip(QStringLiteral("Show the whole recording (Home)"));
    m_saveStats = new QPushButton(QStringLiteral("Save &statistics..."), this);
    m_saveStats->setToolTip(QStringLiteral("Save the statistics of the selected range as CSV"));
    auto* print = new QPushButton(QStringLiteral("&Print"), this);
    print->setToolTip(QStringLiteral("Print the plot and the statistics on the default printer"));
    auto* pdf = new QPushButton(QStringLiteral("Save P&DF..."), this);
    for (QPushButton* b : {all, m_saveStats, print, pdf})
        top->addWidget(b);

    m_plot = new RecordingPlotView(*m_recording, m_view, this);
    m_readout = new QLabel(this);
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_statsLabel = new QLabel(this);
    m_statsLabel->setTextFormat(Qt::RichText);
    m_statsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary = new QLabel(RecordingSummaryText(*m_recording) +
                               QStringLiteral(".   Wheel: zoom   Drag: pan   Right-drag: zoom "
                                              "to range   Shift+drag: select   Home: all"),
                           this);
    m_summary->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_plot, 1);
    layout->addWidget(m_readout);
    layout->addWidget(m_statsLabel);
    layout->addWidget(m_summary);
    resize(1000, 640);

    connect(m_temperature, &QCheckBox::toggled, this, [this](bool on) {
        m_view.showTemperature = on;
        m_plot->update();
    });
    connect(m_humidity, &QCheckBox::toggled, this, [this](bool on) {
        m_view.showHumidity = on;
        m_plot->update();
    });
    connect(all, &QPushButton::clicked, this, [this] {
        ShowAll(m_view, *m_recording);
        m_plot->update();
    });
    connect(m_saveStats, &QPushButton::clicked, this, &RecordingForm::SaveStatistics);
    connect(print, &QPushButton::clicked, this, &RecordingForm::Print);
    connect(pdf, &QPushButton::clicked, this, &RecordingForm::SavePdf);
    connect(m_plot, &RecordingPlotView::SelectionChanged, this, &RecordingForm::selectionChanged);
    connect(m_plot, &RecordingPlotView::PointedAt, this, [this](qint64 i) {
        m_readout->setText(i < 0 ? QString() : ::ReadoutText(*m_recording, i));
    });
    auto* home = new QShortcut(QKeySequence(Qt::Key_Home), this);
    connect(home, &QShortcut::activated, all, &QPushButton::click);
    selectionChanged();
    m_plot->setFocus();
}

RecordingForm::~RecordingForm() = default;

QString RecordingForm::ReadoutText() const {
    return m_readout->text();
}

QString RecordingForm::StatisticsText() const {
    return m_statsLabel->text();
}

void RecordingForm::Select(qint64 from, qint64 to) {
    m_view.selection = std::make_pair(std::min(from, to), std::max(from, to));
    selectionChanged();
    m_plot->update();
}

void RecordingForm::selectionChanged() {
    m_stats.clear();
    if (m_view.selection)
        m_stats = StatisticsOf(*m_recording, m_view.selection->first, m_view.selection->second);
    m_saveStats->setEnabled(m_view.selection.has_value());
    if (!m_view.selection) {
        m_statsLabel->setText(QStringLiteral("Hold Shift and drag across the plot to select a "
                                             "time range and see its statistics."));
        return;
    }
    const Recording& r = *m_recording;
    QString html = QStringLiteral("<b>%1 to %2</b>")
                       .arg(RecordingClockText(r, m_view.selection->first).toHtmlEscaped(),
                            RecordingClockText(r, m_view.selection->second).toHtmlEscaped());
    if (m_stats.empty()) {
        m_statsLabel->setText(html + QStringLiteral(": no readings in this range."));
        return;
    }
    html += QStringLiteral("<table cellspacing=0 cellpadding=2><tr><th align=left>Quantity</th>"
                           "<th>Count</th><th>Duration</th><th>Mean</th><th>Time-weighted mean"
                           "</th><th>Minimum (at)</th><th>Maximum (at)</th><th>Std dev</th></tr>");
    for (const RangeStatistics& s : m_stats) {
        const QStringList cells{QStringLiteral("%1 %2").arg(s.quantity, s.unit),
                                PlainText(QLocale().toString(qlonglong(s.count))),
                                DurationText(s.durationMs()),
                                StatisticText(s.mean),
                                StatisticText(s.timeWeightedMean),
                                QStringLiteral("%1 (%2)").arg(StatisticText(s.minimum),
                                                              RecordingClockText(r, s.minimumTime)),
                                QStringLiteral("%1 (%2)").arg(StatisticText(s.maximum),
                                                              RecordingClockText(r, s.maximumTime)),
                                StatisticText(s.standardDeviation)};
        html += QStringLiteral("<tr>");
        for (qsizetype c = 0; c < cells.size(); ++c)
            html += QStringLiteral("<td%1>%2</td>")
                        .arg(c == 0 ? QString() : QStringLiteral(" align=right"),
                             cells[c].toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    m_statsLabel->setText(html + QStringLiteral("</table>"));
}

void RecordingForm::SaveStatistics() {
    if (!m_view.selection) {
        m_seams.messages.Message(QStringLiteral("Select a time range first: hold Shift and drag "
                                                "across the plot."));
        return;
    }
    const QString path = AskSavePath(*m_seams.dialog, QStringLiteral("CSV files (*.csv)|*.csv"));
    if (path.isEmpty())
        return;
    QString error;
    if (!WriteFileAtomically(path,
                             StatisticsCsvBytes(*m_recording, m_view.selection->first,
                                                m_view.selection->second, m_stats),
                             &error))
        m_seams.messages.DetailedMessage(QStringLiteral("The statistics could not be saved."),
                                         error);
}

PrintOutcome RecordingForm::printTo(PrintSetup setup) {
    if (!setup.parent)
        setup.parent = this;
    const QString title = windowTitle();
    return PrintSinglePage(
        title, [this] { return RecordingReportPage(*m_recording, m_view, m_stats); },
        m_seams.messages, setup,
        [](const QString& why) { return QStringLiteral("The recording was not printed: ") + why; });
}

PrintOutcome RecordingForm::Print() {
    return printTo(m_seams.print);
}

PrintOutcome RecordingForm::SavePdf() {
    const QString path = AskSavePath(*m_seams.dialog, QStringLiteral("PDF files (*.pdf)|*.pdf"));
    if (path.isEmpty())
        return PrintOutcome::Cancelled;
    PdfFileTarget target(path);
    PrintSetup setup = m_seams.print;
    setup.target = &target;
    return printTo(setup);
}
