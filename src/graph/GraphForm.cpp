#include "graph/GraphForm.h"

#include "charts/ChartArea.h"
#include "charts/ChartCursor.h"
#include "charts/ChartGeometry.h"
#include "charts/ChartPaging.h"
#include "charts/ChartPainter.h"
#include "charts/ChartScaleRules.h"
#include "charts/ChartWindowControls.h"
#include "charts/DottedLine.h"
#include "graph/GraphWindowIcon.h"
#include "live/ShowForm.h"
#include "state/GVarMod.h"
#include "widgets/ImageButton.h"
#include "widgets/PickOnlyComboBox.h"
#include "widgets/WindowFonts.h"
#include "widgets/WindowLayout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr QSize kOuterSize(900, 678);
const QColor kSilver(192, 192, 192);
const QColor kCursorBlue(0, 0, 255);

// Window pixel of the plot's inner top edge: Picture1 at y = 40 inside a 1-pixel border.
constexpr int kPlotInnerTop = 41;
constexpr int kAxisLabelHeight = 17;
constexpr Qt::Alignment kLeftCentred = Qt::AlignLeft | Qt::AlignVCenter;

// A readout label inside the plot: opaque, black bold text, hidden until the pointer comes.
QLabel* readoutLabel(QWidget* inside, QRect geometry, const QColor& back) {
    QLabel* l = MakeLabel(inside, geometry, QStringLiteral("0000"), SansSerifFont(13.5, true),
                          Qt::black, kLeftCentred);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, back);
    l->setPalette(pal);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    l->hide();
    return l;
}

} // namespace

GraphForm::GraphForm(GVarMod& state, ShowForm& show, MessageBoxes& boxes, GraphPrinting printing,
                     QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_state(state)
    , m_show(show)
    , m_boxes(boxes)
    , m_printing(std::move(printing)) {
    setWindowTitle(QStringLiteral("Graph"));
    setWindowIcon(GraphWindowIcon());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kSilver);
    setPalette(pal);
    setFixedSize(kOuterSize);
    buildControls();
}

GraphForm::~GraphForm() = default;

void GraphForm::buildControls() {
    Combo1 = MakeScaleBox(this, {56, 13});
    connect(Combo1, &PickOnlyComboBox::Picked, this, &GraphForm::Combo1_Click);

    const std::array<ImageButton*, 5> paging =
        MakePagingButtons(this, {192, 264, 336, 408, 480}, 13, PagingLook::PressedOnMouseDown,
                          m_state, [this] { afterPageMove(); });
    imgbtnfirst = paging[0];
    imgbtnleft = paging[1];
    imgbtncenter = paging[2];
    imgbtnright = paging[3];
    imgbtnend = paging[4];

    Command1 = new QPushButton(QStringLiteral("Print"), this);
    Command1->setGeometry(592, 13, 81, 21);
    Command1->setFont(SansSerifFont(8.25));
    connect(Command1, &QPushButton::clicked, this, &GraphForm::Command1_Click);

    Picture1 = new ChartArea(GraphChartGeometry(), this);
    Picture1->move(56, 40);
    Picture1->setCursor(Qt::CrossCursor);
    connect(Picture1, &ChartArea::PaintRequested, this, &GraphForm::RepaintPlot);
    connect(Picture1, &ChartArea::MouseMoved, this, &GraphForm::Picture1_MouseMove);
    connect(Picture1, &ChartArea::MouseLeft, this, &GraphForm::hideCursorReadout);

    Image2 = MakeZoomButton(this, {768, 240}, ZoomDirection::In);
    connect(Image2, &ImageButton::Click, this, &GraphForm::Image2_Click);
    Image3 = MakeZoomButton(this, {768, 296}, ZoomDirection::Out);
    connect(Image3, &ImageButton::Click, this, &GraphForm::Image3_Click);

    // Axis numbers, each centred on its grid line; the design captions are those of scale 40.
    const QFont axisFont = SansSerifFont(8.25, true);
    const std::array<QString, 17> captions = GraphAxisCaptions(40);
    const std::vector<int>& gridYs = GraphChartGeometry().gridYs;
    for (int k = 0; k < 17; ++k) {
        if (k == 8)
            continue;
        const int top = kPlotInnerTop + gridYs[static_cast<std::size_t>(k)] - kAxisLabelHeight / 2;
        Label8[k] = MakeLabel(this, {8, top, 41, kAxisLabelHeight}, captions[k], axisFont,
                              Qt::black, Qt::AlignRight | Qt::AlignVCenter);
    }
    Label8[8] =
        MakeLabel(this, {32, 16, 17, 17}, QStringLiteral("Y:"), axisFont, Qt::black, kLeftCentred);
    Label6 =
        MakeLabel(this, {40, 282, 9, 17}, QStringLiteral("0"), axisFont, Qt::black, kLeftCentred);
    numlabel1[0] =
        MakeLabel(this, {56, 544, 57, 17}, QStringLiteral("1"), axisFont, Qt::black, kLeftCentred);
    numlabel1[1] = MakeLabel(this, {376, 544, 57, 17}, QStringLiteral("50"), axisFont, Qt::black,
                             Qt::AlignHCenter | Qt::AlignVCenter);
    numlabel1[2] = MakeLabel(this, {704, 544, 57, 17}, QStringLiteral("100"), axisFont, Qt::black,
                             Qt::AlignRight | Qt::AlignVCenter);

    QWidget* inside = Picture1->Inside();
    Label1 = readoutLabel(inside, {288, 0, kGraphBandWidth, kGraphBandHeight},
                          QApplication::palette("QMenu").color(QPalette::Window));
    Label2 = readoutLabel(inside, {288, 168, kGraphValueWidth, kGraphValueHeight},
                          palette().color(QPalette::Base));
    Label3 =
        readoutLabel(inside, {296, kGraphTimeTop, kGraphBandWidth, kGraphBandHeight}, Qt::white);
    Line1 = new VerticalDottedLine(kCursorBlue, 0, 496, inside);
    Line1->MoveToX(424);
    Line1->hide();
}

void GraphForm::Form_Load() {
    fitOuterSize();
    FillScaleList(Combo1);
}

// The outer size includes the frame and title bar when a window manager decorates the window;
// their size is known only once the window is shown in its frame, which moves it.
void GraphForm::fitOuterSize() {
    FixOuterSize(*this, kOuterSize);
    move(0, 0);
}

void GraphForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        QTimer::singleShot(0, this, [this] {
            if (frameGeometry().size() != kOuterSize)
                fitOuterSize();
        });
}

void GraphForm::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible() && frameGeometry().size() != kOuterSize)
        fitOuterSize();
}

void GraphForm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit Unloaded();
}

void GraphForm::Picture1_Paint() {
    PaintChart(*Picture1, GraphChartGeometry(), m_state);
}

void GraphForm::RepaintPlot() {
    Picture1->SetBackColor(kChartBackground);
    Picture1_Paint();
}

void GraphForm::SetScaleText(const QString& text) {
    Combo1->setEditText(text);
}

void GraphForm::SetAxisCaptions(std::int32_t scale) {
    const std::array<QString, 17> captions = GraphAxisCaptions(scale);
    for (const int k : kGraphCaptionOrder)
        Label8[static_cast<std::size_t>(k)]->setText(captions[static_cast<std::size_t>(k)]);
}

void GraphForm::SetPageNumbers(const std::array<QString, 3>& numbers) {
    for (int i = 0; i < 3; ++i)
        numlabel1[static_cast<std::size_t>(i)]->setText(numbers[static_cast<std::size_t>(i)]);
}

void GraphForm::applyScaleText() {
    m_state.ChartScale = ScaleFromText(Combo1->currentText());
    SetAxisCaptions(m_state.ChartScale);
    RepaintPlot();
}

void GraphForm::Combo1_Click() {
    applyScaleText();
    m_show.Combo1->setEditText(Combo1->currentText());
    m_show.Combo1_Clicktwo();
}

void GraphForm::Combo1_Clicktwo() {
    applyScaleText();
}

void GraphForm::Image2_Click() {
    StepZoom(Combo1, ZoomInText, [this] { Combo1_Click(); });
}

void GraphForm::Image3_Click() {
    StepZoom(Combo1, ZoomOutText, [this] { Combo1_Click(); });
}

void GraphForm::afterPageMove() {
    const std::array<QString, 3> numbers = PageNumberTexts(m_state);
    for (int i = 0; i < 3; ++i)
        m_show.Label7[static_cast<std::size_t>(i)]->setText(numbers[static_cast<std::size_t>(i)]);
    m_show.RepaintChart();
    SetPageNumbers(numbers);
    RepaintPlot();
}

GraphReportTexts GraphForm::PrintTexts() const {
    GraphReportTexts texts;
    for (int k = 0; k < 17; ++k) {
        const QLabel* source = k == 8 ? Label6 : Label8[static_cast<std::size_t>(k)];
        texts.axisNumbers[static_cast<std::size_t>(k)] = source->text();
    }
    for (int i = 0; i < 3; ++i)
        texts.pageNumbers[static_cast<std::size_t>(i)] =
            numlabel1[static_cast<std::size_t>(i)]->text();
    if (m_printing.clockText)
        texts.clock = m_printing.clockText();
    return texts;
}

void GraphForm::Command1_Click() {
    // Copies first: nothing of the window is touched once printing has begun.
    const GraphReportTexts texts = PrintTexts();
    PrintSetup setup = m_printing.setup;
    if (!setup.parent)
        setup.parent = this; // a slow hand-over shows its progress over this window
    PrintGraphReport(m_state, texts, m_boxes, setup);
}

void GraphForm::Picture1_MouseMove(QPointF at) {
    const QSize inner = Picture1->InnerSize();
    if (!PointerInside(at.x(), at.y(), inner.width(), inner.height())) {
        hideCursorReadout();
        return;
    }
    Line1->show();
    Label1->show();
    Label2->show();
    Label3->show();
    const GraphCursorLayout layout =
        LayoutGraphCursor(at.x(), at.y(), inner.width(), inner.height());
    Label1->move(layout.trh);
    Label3->move(layout.time);
    Label2->move(layout.value);
    Line1->MoveToX(layout.lineX);
    const CursorTexts texts = CursorReadoutTexts(m_state, at.x(), GraphChartGeometry());
    Label2->setText(texts.value);
    Label1->setText(texts.trh);
    Label3->setText(texts.time);
}

void GraphForm::hideCursorReadout() {
    Line1->hide();
    Label2->setText(QString());
    Label1->setText(QString());
    Label3->setText(QString());
    Label1->hide();
    Label2->hide();
    Label3->hide();
}
