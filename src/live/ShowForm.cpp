#include "live/ShowForm.h"

#include "charts/ChartArea.h"
#include "charts/ChartCursor.h"
#include "charts/ChartGeometry.h"
#include "charts/ChartPaging.h"
#include "charts/ChartPainter.h"
#include "charts/ChartScaleRules.h"
#include "charts/ChartWindowControls.h"
#include "charts/DottedLine.h"
#include "live/AlarmsButton.h"
#include "live/GraphPeer.h"
#include "live/LineControl.h"
#include "live/RecordingButton.h"
#include "live/ShowFormBackground.h"
#include "live/TraverseButton.h"
#include "state/GVarMod.h"
#include "state/ReadoutRules.h"
#include "widgets/ButtonFaces.h"
#include "widgets/ImageButton.h"
#include "widgets/PickOnlyComboBox.h"
#include "widgets/WindowFonts.h"
#include "widgets/WindowLayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int kAxisLabelTops[8] = {313, 339, 364, 389, 439, 464, 489, 514};
const QColor kYellow(255, 255, 0);

// A label sized to its text.
QLabel* autoSizeLabel(QWidget* parent, QPoint at, const QString& text, const QFont& font) {
    QLabel* l = MakeLabel(parent, QRect(at, QSize(1, 1)), text, font);
    l->setFixedSize(l->sizeHint());
    return l;
}

} // namespace

ShowForm::ShowForm(GVarMod& state, RunningExtremes& extremes, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_extremes(extremes)
    , m_background(ShowFormBackground()) {
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(500, 600);
    buildReadoutPanel();
    buildChartArea();
}

ShowForm::~ShowForm() = default;

void ShowForm::buildReadoutPanel() {
    Label5 = MakeLabel(this, {32, 72, 425, 113}, QStringLiteral("OFFLINE"), ArialFont(72, true));
    Label4 = MakeLabel(this, {16, 56, 441, 97}, QStringLiteral("0.0000"), ArialFont(72, true),
                       palette().color(QPalette::WindowText), Qt::AlignHCenter | Qt::AlignTop);
    Label3 = MakeLabel(this, {432, 112, 89, 17}, QStringLiteral("UNIT"), SansSerifFont(9.75, true));
    Label2 = MakeLabel(this, {0, 24, 297, 41}, QString(), SansSerifFont(13.5), kYellow);
    rangelabel = MakeLabel(this, {272, 24, 225, 33}, QString(), SansSerifFont(13.5), kYellow);
    Label1 = MakeLabel(this, {96, 51, 57, 17}, QString(), SansSerifFont(9.75));
    Label4->hide();
    Label3->hide();
    Label2->hide();

    for (int i = 0; i <= 40; ++i) {
        const int bottom = i % 10 == 0 ? 184 : (i % 10 == 5 ? 180 : 176);
        Lineshow[i] = new LineControl(this, Qt::black, 2);
        Lineshow[i]->SetLine({72 + 8 * i, 168}, {72 + 8 * i, bottom});
        Lineshow[i]->hide();
    }
    const int lineLeft[5] = {69, 148, 228, 307, 387};
    for (int i = 0; i < 5; ++i) {
        labelline[i] =
            autoSizeLabel(this, {lineLeft[i], 192}, QString::number(i * 10), SansSerifFont(8.25));
        labelline[i]->hide();
    }
    for (int i = 0; i < 4; ++i) {
        Shapeline[i] = new RectangleShape(this, QRect(111 + 80 * i, 192, 4, 17));
        Shapeline[i]->hide();
    }
    LineHH = new LineControl(this, Qt::black, 2);
    LineHH->SetLine({50, 173}, {64, 173});
    LineHH->hide();

    Label10 = autoSizeLabel(this, {40, 243}, QStringLiteral("MIN:"), SansSerifFont(9.75));
    TextMIN = new QLineEdit(QStringLiteral("0"), this);
    TextMIN->setGeometry(72, 240, 113, 19);
    Label11 = autoSizeLabel(this, {200, 243}, QStringLiteral("MAX:"), SansSerifFont(9.75));
    TextMAX = new QLineEdit(QStringLiteral("0"), this);
    TextMAX->setGeometry(232, 240, 113, 19);
    for (QLineEdit* box : {TextMIN, TextMAX})
        box->setFont(SansSerifFont(8.25));
    Command1 = new QPushButton(QStringLiteral("RESET"), this);
    Command1->setGeometry(360, 240, 65, 20);
    Command1->setFont(SansSerifFont(9.75));
    connect(Command1, &QPushButton::clicked, this, &ShowForm::Command1_Click);
}

void ShowForm::buildChartArea() {
    const QFont axisFont = SansSerifFont(8.25, true);
    Label8[8] = MakeLabel(this, {16, 264, 17, 17}, QStringLiteral("Y:"), SansSerifFont(9.75, true));

    Combo1 = MakeScaleBox(this, {40, 264});
    // Only picking an entry of the list applies it; typing and Enter apply nothing.
    connect(Combo1, &PickOnlyComboBox::Picked, this, &ShowForm::Combo1_Click);

    const std::array<ImageButton*, 5> paging =
        MakePagingButtons(this, {120, 184, 248, 312, 376}, 264, PagingLook::HighlightOnHover,
                          m_state, [this] { ShowCurrentPage(); });
    Picture2 = paging[0];
    Picture3 = paging[1];
    Picture4 = paging[2];
    Picture5 = paging[3];
    Picture6 = paging[4];

    Picture1 = new ChartArea(LiveChartGeometry(), this);
    Picture1->move(40, 296);
    Picture1->setCursor(Qt::CrossCursor);
    connect(Picture1, &ChartArea::PaintRequested, this, &ShowForm::RepaintChart);
    connect(Picture1, &ChartArea::MouseMoved, this, &ShowForm::Picture1_MouseMove);
    connect(Picture1, &ChartArea::MouseLeft, this, &ShowForm::hideCursorReadout);

    const QStringList startCaptions{"40", "30", "20", "10", "-10", "-20", "-30", "-40"};
    for (int k = 0; k < 8; ++k)
        Label8[k] = MakeLabel(this, {0, kAxisLabelTops[k], 41, 17}, startCaptions[k], axisFont,
                              Qt::black, Qt::AlignHCenter | Qt::AlignTop);
    Label6 = MakeLabel(this, {24, 413, 9, 17}, QStringLiteral("0"), axisFont);
    Label7[0] = MakeLabel(this, {40, 544, 57, 17}, QStringLiteral("1"), axisFont);
    Label7[1] = MakeLabel(this, {240, 544, 57, 17}, QStringLiteral("50"), axisFont);
    Label7[2] = MakeLabel(this, {400, 544, 49, 17}, QStringLiteral("100"), axisFont, Qt::black,
                          Qt::AlignRight | Qt::AlignTop);

    Image1 = MakeImageButton(this, {452, 336}, MagnifierFace(), QStringLiteral("graph"));
    connect(Image1, &ImageButton::Click, this, &ShowForm::Image1_Click);
    Image2 = MakeZoomButton(this, {452, 384}, ZoomDirection::In);
    connect(Image2, &ImageButton::Click, this, &ShowForm::Image2_Click);
    Image3 = MakeZoomButton(this, {452, 432}, ZoomDirection::Out);
    connect(Image3, &ImageButton::Click, this, &ShowForm::Image3_Click);
    Image4 = MakeTraverseButton(this, {452, 480});
    connect(Image4, &ImageButton::Click, this, &ShowForm::TraverseRequested);
    Image5 = MakeRecordingButton(this, {452, 288});
    connect(Image5, &ImageButton::Click, this, &ShowForm::RecordingRequested);
    Image6 = MakeAlarmsButton(this, {452, 240});
    connect(Image6, &ImageButton::Click, this, &ShowForm::AlarmsRequested);

    Label12 = new QLabel(QStringLiteral("0000"), Picture1->Inside());
    Label12->setGeometry(32, 96, kLiveTagWidth, kLiveTagHeight);
    Label12->setFont(SansSerifFont(13.5));
    Label12->setAutoFillBackground(true);
    QPalette tag = Label12->palette();
    tag.setColor(QPalette::Window, palette().color(QPalette::Base));
    tag.setColor(QPalette::WindowText, Qt::black);
    Label12->setPalette(tag);
    Label12->setFrameShape(QFrame::Box);
    Label12->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label12->hide();
    Line1 = new VerticalDottedLine(QColor(0, 0, 192), 0, 248, Picture1->Inside());
    Line1->MoveToX(272);
    Line1->hide();

    Label9 = autoSizeLabel(this, {24, 560}, QStringLiteral("T_RH:"), SansSerifFont(9.75));
    Label13 = autoSizeLabel(this, {264, 560}, QStringLiteral("TIME:"), SansSerifFont(9.75));
    Label14 = MakeLabel(this, {72, 560, 209, 17}, QString(), SansSerifFont(9.75));
    Label15 = MakeLabel(this, {304, 560, 185, 17}, QString(), SansSerifFont(9.75));
}

void ShowForm::Form_Load() {
    move(0, 0);
    setFixedSize(500, 600);
    // The box, the captions and ChartScale agree from the start: the box's start text is applied.
    m_state.ChartScale = ScaleFromText(Combo1->currentText());
    RepaintChart();
    for (int k = 0; k < 8; ++k)
        Label8[k]->move(0, kAxisLabelTops[k]);
    Label6->move(24, 413);
    FillScaleList(Combo1);
}

void ShowForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_background);
}

void ShowForm::Picture1_Paint() {
    PaintChart(*Picture1, LiveChartGeometry(), m_state);
}

void ShowForm::RepaintChart() {
    Picture1->SetBackColor(kChartBackground);
    Picture1_Paint();
}

void ShowForm::applyScaleText() {
    m_state.ChartScale = ScaleFromText(Combo1->currentText());
    const std::array<QString, 8> captions = LiveAxisCaptions(m_state.ChartScale);
    for (int k = 0; k < 8; ++k)
        Label8[k]->setText(captions[k]);
    RepaintChart();
}

void ShowForm::Combo1_Click() {
    applyScaleText();
    if (GraphPeer* graph = m_graphs ? m_graphs->VisibleGraph() : nullptr) {
        graph->SetScaleText(Combo1->currentText());
        graph->Combo1_Clicktwo();
    }
}

void ShowForm::Combo1_Clicktwo() {
    applyScaleText();
}

void ShowForm::Image2_Click() {
    StepZoom(Combo1, ZoomInText, [this] { Combo1_Click(); });
}

void ShowForm::Image3_Click() {
    StepZoom(Combo1, ZoomOutText, [this] { Combo1_Click(); });
}

void ShowForm::ShowCurrentPage() {
    const std::array<QString, 3> numbers = PageNumberTexts(m_state);
    for (int i = 0; i < 3; ++i)
        Label7[i]->setText(numbers[i]);
    RepaintChart();
    if (GraphPeer* graph = m_graphs ? m_graphs->VisibleGraph() : nullptr) {
        graph->SetPageNumbers(numbers);
        graph->RepaintPlot();
    }
}

void ShowForm::Image1_Click() {
    if (!m_graphs)
        return;
    GraphPeer* graph = m_graphs->OpenGraph();
    if (!graph)
        return;
    const QString text = Combo1->currentText();
    graph->SetScaleText(text);
    m_state.ChartScale = ScaleFromText(text);
    graph->SetAxisCaptions(m_state.ChartScale);
    graph->SetPageNumbers(PageNumberTexts(m_state));
    // A typed text that was never applied here would leave this chart's numbers and drawing at
    // the old scale: bring both windows in line with the scale just set.
    const std::array<QString, 8> captions = LiveAxisCaptions(m_state.ChartScale);
    for (int k = 0; k < 8; ++k)
        Label8[k]->setText(captions[k]);
    RepaintChart();
    graph->RepaintPlot();
}

void ShowForm::Command1_Click() {
    TextMAX->setText(QStringLiteral("0"));
    TextMIN->setText(QStringLiteral("0"));
    m_extremes.Reset();
}

void ShowForm::Picture1_MouseMove(QPointF at) {
    const QSize inner = Picture1->InnerSize();
    if (!PointerInside(at.x(), at.y(), inner.width(), inner.height())) {
        hideCursorReadout();
        return;
    }
    Line1->show();
    Label12->show();
    const LiveCursorLayout layout = LayoutLiveCursor(at.x(), at.y(), inner.width(), inner.height());
    Label12->move(layout.tag);
    Line1->MoveToX(layout.lineX);
    const CursorTexts texts = CursorReadoutTexts(m_state, at.x(), LiveChartGeometry());
    Label12->setText(texts.value);
    Label14->setText(texts.trh);
    Label15->setText(texts.time);
}

void ShowForm::hideCursorReadout() {
    Line1->hide();
    Label12->setText(QString());
    Label14->setText(QString());
    Label15->setText(QString());
    Label12->hide();
}

void ShowForm::ShowLinkOnline() {
    Label5->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{Label2, rangelabel, Label3, Label4, Label10,
                                                      Label11, TextMAX, TextMIN, Label1, Command1})
        w->show();
    for (QLabel* l : labelline)
        l->show();
    for (RectangleShape* s : Shapeline)
        s->show();
    for (LineControl* l : Lineshow)
        l->show();
}

void ShowForm::ShowLinkOffline() {
    Label5->show();
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label2, rangelabel, Label1, Label3, Label4, LineHH})
        w->hide();
    for (QLabel* l : labelline)
        l->hide();
    for (RectangleShape* s : Shapeline)
        s->hide();
    for (LineControl* l : Lineshow)
        l->hide();
}
