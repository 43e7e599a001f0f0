#include "traverse/TraverseForm.h"

#include "link/MeterFrame.h"
#include "reports/AtomicFileWriter.h"
#include "reports/PrintTarget.h"
#include "seams/MessageBoxes.h"
#include "seams/SaveDialog.h"
#include "traverse/TraverseClock.h"
#include "traverse/TraversePrint.h"
#include "traverse/TraverseRanges.h"
#include "traverse/TraverseSettings.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor kCurrent(0, 90, 200);
const QColor kFlagged(200, 0, 0);
const QColor kPass(0, 130, 0);
const QString kCsvFilter = QStringLiteral("CSV files (*.csv)|*.csv");
const QString kPdfFilter = QStringLiteral("PDF files (*.pdf)|*.pdf");

// The chosen name, with the suffix added when it has none.
QString withSuffix(const QString& path, const QString& suffix) {
    return QFileInfo(path).suffix().isEmpty() ? path + u'.' + suffix : path;
}

// A box offering range: its decimals first, so that the bounds are not rounded by the old ones.
void setRange(QDoubleSpinBox* box, const SetupRange& range) {
    box->setDecimals(range.decimals);
    box->setRange(range.least, range.most);
}

void setRange(QSpinBox* box, const SetupRange& range) {
    box->setRange(int(range.least), int(range.most));
}

void setSizeRange(QDoubleSpinBox* box, LengthUnit unit) {
    setRange(box, SizeRange(unit));
    box->setSingleStep(unit == LengthUnit::Millimetres ? 10 : 0.5);
    box->setSuffix(u' ' + LengthUnitText(unit));
}

} // namespace

// ---- the drawing ----

TraverseSectionView::TraverseSectionView(const TraverseLogic& logic, QWidget* parent)
    : QWidget(parent)
    , m_logic(logic) {
    setMinimumSize(260, 260);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

QRectF TraverseSectionView::frame() const {
    const SectionDrawing drawing = SectionDrawingOf(m_logic.Setup());
    const QRectF room = QRectF(rect()).adjusted(16, 16, -40, -16);
    QSizeF size(room.width(), room.width() / drawing.aspect);
    if (size.height() > room.height())
        size = QSizeF(room.height() * drawing.aspect, room.height());
    return QRectF(room.topLeft() + QPointF((room.width() - size.width()) / 2,
                                           (room.height() - size.height()) / 2),
                  size);
}

QPointF TraverseSectionView::PointPosition(int index) const {
    const QRectF f = frame();
    const QPointF at = m_logic.Points()[std::size_t(index)].at;
    return {f.left() + at.x() * f.width(), f.top() + at.y() * f.height()};
}

void TraverseSectionView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const SectionDrawing drawing = SectionDrawingOf(m_logic.Setup());
    const QRectF f = frame();
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(245, 245, 245));
    if (drawing.round)
        p.drawEllipse(f);
    else
        p.drawRect(f);
    p.setPen(QPen(Qt::gray, 1, Qt::DotLine));
    for (const QLineF& g : drawing.guides)
        p.drawLine(QPointF(f.left() + g.x1() * f.width(), f.top() + g.y1() * f.height()),
                   QPointF(f.left() + g.x2() * f.width(), f.top() + g.y2() * f.height()));

    const TraverseResults results = m_logic.Results();
    const MeterUnit unit = m_logic.ResultUnit();
    const int count = int(m_logic.Points().size());
    // Values in a font small enough to stay clear of the next point, or none where even the
    // smallest would not (the table has them).
    double spacing = 1e9;
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j)
            spacing = std::min(spacing, QLineF(PointPosition(i), PointPosition(j)).length());
    QFont small = font();
    small.setPointSizeF(7.5);
    const double sample = QFontMetricsF(small).horizontalAdvance(QStringLiteral("00.00"));
    small.setPointSizeF(std::min(7.5, 7.5 * (spacing - 6) / sample));
    const bool values = small.pointSizeF() >= 5.5;
    p.setFont(small);
    for (int i = 0; i < count; ++i) {
        const QPointF at = PointPosition(i);
        const PointRecord& r = m_logic.Records()[std::size_t(i)];
        const bool flagged = results.flagged[std::size_t(i)];
        // Taken points filled, the others open.
        const QColor colour = r.skipped ? QColor(Qt::gray) : flagged ? kFlagged : QColor(Qt::black);
        p.setPen(r.taken ? Qt::NoPen : QPen(colour, 1.2));
        p.setBrush(r.taken ? QBrush(colour) : QBrush(Qt::white));
        p.drawEllipse(at, 3, 3);
        if (i == m_logic.Current()) {
            p.setPen(QPen(kCurrent, 2.5));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(at, 8, 8);
        }
        QString value;
        if (r.skipped)
            value = QStringLiteral("skip");
        else if (r.taken)
            value = VelocityText(r.taken->average, unit, QLocale());
        if (values && !value.isEmpty()) {
            p.setPen(flagged ? kFlagged : QColor(Qt::black));
            p.drawText(at + QPointF(5, -4), value);
        }
    }
}

void TraverseSectionView::mousePressEvent(QMouseEvent* event) {
    int nearest = -1;
    double best = 10;
    for (int i = 0; i < int(m_logic.Points().size()); ++i) {
        const double d = QLineF(PointPosition(i), event->position()).length();
        if (d <= best) {
            best = d;
            nearest = i;
        }
    }
    if (nearest >= 0)
        emit PointClicked(nearest);
}

// ---- the window ----

TraverseForm::TraverseForm(TraverseParts parts, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_parts(std::move(parts))
    , m_logic(m_parts.clock)
    , m_settings(TraverseSettingsOrganisation(), TraverseSettingsApplication()) {
    setWindowTitle(QStringLiteral("Traverse"));

    auto* top = new QHBoxLayout;
    top->addWidget(buildSetup(), 0);
    Section = new TraverseSectionView(m_logic, this);
    top->addWidget(Section, 1);
    top->addWidget(buildResults(), 0);

    PointTable = new QTableWidget(this);
    PointTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    PointTable->setSelectionMode(QAbstractItemView::SingleSelection);
    PointTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PointTable->verticalHeader()->hide();
    PointTable->verticalHeader()->setDefaultSectionSize(PointTable->fontMetrics().height() + 6);
    PointTable->setMinimumHeight(180);

    StatusLabel = new QLabel(this);
    StatusLabel->setTextFormat(Qt::PlainText);
    QFont statusFont = StatusLabel->font();
    statusFont.setPointSizeF(statusFont.pointSizeF() + 1);
    statusFont.setBold(true);
    StatusLabel->setFont(statusFont);

    NewButton = new QPushButton(QStringLiteral("New traverse"), this);
    TakeButton = new QPushButton(QStringLiteral("Take (Space)"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel (Esc)"), this);
    SkipButton = new QPushButton(QStringLiteral("Skip / include"), this);
    SaveButton = new QPushButton(QStringLiteral("Save"), this);
    PrintButton = new QPushButton(QStringLiteral("Print"), this);
    PdfButton = new QPushButton(QStringLiteral("PDF"), this);
    TakeButton->setToolTip(QStringLiteral("Average the readings of the take time at this point"));
    SkipButton->setToolTip(QStringLiteral("Leave this point out of the results, or take it back"));
    SaveButton->setToolTip(QStringLiteral("Save the traverse as a CSV file"));
    PrintButton->setToolTip(QStringLiteral("Print the traverse report on the default printer"));
    PdfButton->setToolTip(QStringLiteral("Write the traverse report to a PDF file"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {NewButton, TakeButton, CancelButton, SkipButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    for (QPushButton* b : {SaveButton, PrintButton, PdfButton})
        buttons->addWidget(b);

    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(PointTable, 1);
    page->addWidget(StatusLabel);
    page->addLayout(buttons);

    connect(NewButton, &QPushButton::clicked, this, &TraverseForm::NewTraverse);
    connect(TakeButton, &QPushButton::clicked, this, &TraverseForm::Take);
    connect(CancelButton, &QPushButton::clicked, this, &TraverseForm::CancelTake);
    connect(SkipButton, &QPushButton::clicked, this, &TraverseForm::Skip);
    connect(SaveButton, &QPushButton::clicked, this, &TraverseForm::Save);
    connect(PrintButton, &QPushButton::clicked, this, &TraverseForm::Print);
    connect(PdfButton, &QPushButton::clicked, this, &TraverseForm::SavePdf);
    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(space, &QShortcut::activated, this, &TraverseForm::Take);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TraverseForm::CancelTake);

    connect(PointTable, &QTableWidget::currentCellChanged, this,
            [this](int row) { m_logic.Select(row); });
    connect(Section, &TraverseSectionView::PointClicked, this,
            [this](int index) { m_logic.Select(index); });
    connect(&m_logic, &TraverseLogic::Changed, this, &TraverseForm::refresh);
    connect(&m_logic, &TraverseLogic::TakeProgress, this, &TraverseForm::refreshStatus);
    connect(&m_logic, &TraverseLogic::TakeEnded, this, &TraverseForm::takeEnded);

    const TraverseSetup remembered = LoadTraverseSetup(m_settings);
    showSetup(remembered);
    m_logic.NewTraverse(remembered);
    resize(1000, 720);
}

TraverseForm::~TraverseForm() = default;

QWidget* TraverseForm::buildSetup() {
    auto* box = new QGroupBox(QStringLiteral("Setup"), this);
    auto* form = new QFormLayout(box);

    ShapeBox = new QComboBox(box);
    for (TraverseShape s :
         {TraverseShape::RoundDuct, TraverseShape::RectangularDuct, TraverseShape::FaceGrid})
        ShapeBox->addItem(TraverseShapeText(s), int(s));
    LengthUnitBox = new QComboBox(box);
    LengthUnitBox->addItem(QStringLiteral("mm"), int(LengthUnit::Millimetres));
    LengthUnitBox->addItem(QStringLiteral("in"), int(LengthUnit::Inches));
    auto* shapeRow = new QHBoxLayout;
    shapeRow->addWidget(ShapeBox, 1);
    shapeRow->addWidget(LengthUnitBox);
    form->addRow(QStringLiteral("Cross-section"), shapeRow);

    DiameterBox = new QDoubleSpinBox(box);
    form->addRow(QStringLiteral("Inside diameter"), DiameterBox);
    WidthBox = new QDoubleSpinBox(box);
    HeightBox = new QDoubleSpinBox(box);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(WidthBox);
    sizeRow->addWidget(new QLabel(QStringLiteral("x"), box));
    sizeRow->addWidget(HeightBox);
    form->addRow(QStringLiteral("Width x height"), sizeRow);

    RoundPointsBox = new QComboBox(box);
    RoundPointsBox->addItem(QStringLiteral("8"), 8);
    RoundPointsBox->addItem(QStringLiteral("10"), 10);
    RoundPointsBox->setToolTip(QStringLiteral("Below 10 in (254 mm) a diameter has 6 points"));
    DiametersBox = new QComboBox(box);
    DiametersBox->addItem(QStringLiteral("2 (90\u00b0)"), 2);
    DiametersBox->addItem(QStringLiteral("3 (60\u00b0)"), 3);
    auto* roundRow = new QHBoxLayout;
    roundRow->addWidget(RoundPointsBox);
    roundRow->addWidget(new QLabel(QStringLiteral("diameters"), box));
    roundRow->addWidget(DiametersBox);
    form->addRow(QStringLiteral("Points / diameter"), roundRow);

    RowsBox = new QSpinBox(box);
    ColumnsBox = new QSpinBox(box);
    for (QSpinBox* b : {RowsBox, ColumnsBox})
        setRange(b, kFaceCellsRange);
    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(RowsBox);
    gridRow->addWidget(new QLabel(QStringLiteral("rows x columns"), box));
    gridRow->addWidget(ColumnsBox);
    form->addRow(QStringLiteral("Face grid"), gridRow);

    VelocityUnitBox = new QComboBox(box);
    VelocityUnitBox->addItem(QStringLiteral("the meter's"), -1);
    for (MeterUnit u : kVelocityUnits)
        VelocityUnitBox->addItem(UnitText(u), int(u));
    TakeTimeBox = new QSpinBox(box);
    setRange(TakeTimeBox, kTakeSecondsRange);
    TakeTimeBox->setSuffix(QStringLiteral(" s"));
    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(VelocityUnitBox, 1);
    unitRow->addWidget(new QLabel(QStringLiteral("take"), box));
    unitRow->addWidget(TakeTimeBox);
    form->addRow(QStringLiteral("Velocity unit"), unitRow);

    DesignBox = new QDoubleSpinBox(box);
    setRange(DesignBox, kDesignValueRange);
    DesignBox->setSpecialValueText(QStringLiteral("none"));
    DesignUnitBox = new QComboBox(box);
    for (FlowUnit u : kFlowUnits)
        DesignUnitBox->addItem(FlowUnitText(u), int(u));
    auto* designRow = new QHBoxLayout;
    designRow->addWidget(DesignBox, 1);
    designRow->addWidget(DesignUnitBox);
    form->addRow(QStringLiteral("Design value"), designRow);

    ToleranceBox = new QDoubleSpinBox(box);
    setRange(ToleranceBox, kTolerancePercentRange);
    ToleranceBox->setPrefix(QStringLiteral("+- "));
    ToleranceBox->setSuffix(QStringLiteral(" %"));
    FlagBox = new QDoubleSpinBox(box);
    setRange(FlagBox, kFaceFlagPercentRange);
    FlagBox->setSuffix(QStringLiteral(" %"));
    FlagBox->setToolTip(QStringLiteral("A face point further than this from the mean is flagged"));
    auto* toleranceRow = new QHBoxLayout;
    toleranceRow->addWidget(ToleranceBox);
    toleranceRow->addWidget(new QLabel(QStringLiteral("flag"), box));
    toleranceRow->addWidget(FlagBox);
    form->addRow(QStringLiteral("Tolerance"), toleranceRow);

    LocationBox = new QLineEdit(box);
    TechnicianBox = new QLineEdit(box);
    form->addRow(QStringLiteral("Location"), LocationBox);
    form->addRow(QStringLiteral("Technician"), TechnicianBox);
    SummaryLabel = new QLabel(box);
    SummaryLabel->setWordWrap(true);
    form->addRow(SummaryLabel);

    for (QComboBox* c : {ShapeBox, RoundPointsBox, DiametersBox, VelocityUnitBox, DesignUnitBox})
        connect(c, &QComboBox::currentIndexChanged, this, &TraverseForm::setupEdited);
    connect(LengthUnitBox, &QComboBox::currentIndexChanged, this, &TraverseForm::lengthUnitEdited);
    for (QDoubleSpinBox* b : {DiameterBox, WidthBox, HeightBox})
        connect(b, &QDoubleSpinBox::valueChanged, this, &TraverseForm::sizeEdited);
    for (QDoubleSpinBox* b : {DesignBox, ToleranceBox, FlagBox})
        connect(b, &QDoubleSpinBox::valueChanged, this, &TraverseForm::setupEdited);
    for (QSpinBox* b : {RowsBox, ColumnsBox, TakeTimeBox})
        connect(b, &QSpinBox::valueChanged, this, &TraverseForm::setupEdited);
    return box;
}

QWidget* TraverseForm::buildResults() {
    auto* box = new QGroupBox(QStringLiteral("Results"), this);
    auto* column = new QVBoxLayout(box);
    m_results = new QGridLayout;
    column->addLayout(m_results);
    column->addStretch(1);
    VerdictLabel = new QLabel(box);
    QFont big = VerdictLabel->font();
    big.setPointSizeF(24);
    big.setBold(true);
    VerdictLabel->setFont(big);
    VerdictLabel->setAlignment(Qt::AlignCenter);
    column->addWidget(VerdictLabel);
    box->setFixedWidth(310);
    return box;
}

void TraverseForm::showSetup(const TraverseSetup& s) {
    m_showing = true;
    ShapeBox->setCurrentIndex(ShapeBox->findData(int(s.shape)));
    LengthUnitBox->setCurrentIndex(LengthUnitBox->findData(int(s.lengthUnit)));
    m_shownUnit = s.lengthUnit;
    for (QDoubleSpinBox* b : {DiameterBox, WidthBox, HeightBox})
        setSizeRange(b, s.lengthUnit);
    DiameterBox->setValue(s.diameter);
    WidthBox->setValue(s.width);
    HeightBox->setValue(s.height);
    RoundPointsBox->setCurrentIndex(RoundPointsBox->findData(s.roundPoints == 10 ? 10 : 8));
    DiametersBox->setCurrentIndex(DiametersBox->findData(s.diameters == 3 ? 3 : 2));
    RowsBox->setValue(s.faceRows);
    ColumnsBox->setValue(s.faceColumns);
    VelocityUnitBox->setCurrentIndex(
        VelocityUnitBox->findData(s.resultUnit ? int(*s.resultUnit) : -1));
    TakeTimeBox->setValue(s.takeSeconds);
    DesignBox->setValue(s.designValue);
    DesignUnitBox->setCurrentIndex(DesignUnitBox->findData(int(s.designFlowUnit)));
    ToleranceBox->setValue(s.tolerancePercent);
    FlagBox->setValue(s.faceFlagPercent);
    m_showing = false;
}

TraverseSetup TraverseForm::setupFromControls() const {
    TraverseSetup s;
    s.shape = TraverseShape(ShapeBox->currentData().toInt());
    s.lengthUnit = LengthUnit(LengthUnitBox->currentData().toInt());
    s.diameter = DiameterBox->value();
    s.width = WidthBox->value();
    s.height = HeightBox->value();
    s.roundPoints = RoundPointsBox->currentData().toInt();
    s.diameters = DiametersBox->currentData().toInt();
    s.faceRows = RowsBox->value();
    s.faceColumns = ColumnsBox->value();
    const int unit = VelocityUnitBox->currentData().toInt();
    if (unit >= 0)
        s.resultUnit = MeterUnit(unit);
    s.takeSeconds = TakeTimeBox->value();
    s.designValue = DesignBox->value();
    s.designFlowUnit = FlowUnit(DesignUnitBox->currentData().toInt());
    s.tolerancePercent = ToleranceBox->value();
    s.faceFlagPercent = FlagBox->value();
    return s;
}

void TraverseForm::setupEdited() {
    if (m_showing)
        return;
    const TraverseSetup s = setupFromControls();
    m_logic.ChangeSetup(s);
    SaveTraverseSetup(m_settings, s);
}

void TraverseForm::sizeEdited() {
    if (m_showing)
        return;
    if (TraverseShape(ShapeBox->currentData().toInt()) == TraverseShape::FaceGrid) {
        // A new face size proposes its grid; the user may change it afterwards.
        const FaceGrid grid = ProposedFaceGrid(WidthBox->value(), HeightBox->value(),
                                               LengthUnit(LengthUnitBox->currentData().toInt()));
        m_showing = true;
        RowsBox->setValue(grid.rows);
        ColumnsBox->setValue(grid.columns);
        m_showing = false;
    }
    setupEdited();
}

void TraverseForm::lengthUnitEdited() {
    if (m_showing)
        return;
    // The same duct in the other unit.
    const LengthUnit to = LengthUnit(LengthUnitBox->currentData().toInt());
    const double factor = MetresPer(m_shownUnit) / MetresPer(to);
    m_showing = true;
    for (QDoubleSpinBox* b : {DiameterBox, WidthBox, HeightBox}) {
        const double converted = RoundToLengthStep(b->value() * factor, to);
        setSizeRange(b, to);
        b->setValue(converted);
    }
    m_shownUnit = to;
    m_showing = false;
    setupEdited();
}

void TraverseForm::refresh() {
    const TraverseSetup& s = m_logic.Setup();
    const bool taking = m_logic.Taking();
    const bool locked = m_logic.AnyRecorded() || taking;
    const bool round = s.shape == TraverseShape::RoundDuct;
    const bool face = s.shape == TraverseShape::FaceGrid;
    // The points are fixed once one is taken or skipped, until "New traverse".
    for (QWidget* w :
         std::initializer_list<QWidget*>{ShapeBox, LengthUnitBox, DiameterBox, WidthBox, HeightBox,
                                         DiametersBox, RowsBox, ColumnsBox})
        w->setEnabled(!locked);
    DiameterBox->setEnabled(!locked && round);
    WidthBox->setEnabled(!locked && !round);
    HeightBox->setEnabled(!locked && !round);
    RoundPointsBox->setEnabled(!locked && round && RoundPointsPerDiameter(s) != 6);
    DiametersBox->setEnabled(!locked && round);
    RowsBox->setEnabled(!locked && face);
    ColumnsBox->setEnabled(!locked && face);
    FlagBox->setEnabled(face);
    DesignUnitBox->setEnabled(!face);
    DesignBox->setToolTip(face ? QStringLiteral("Design face velocity, in the velocity unit")
                               : QStringLiteral("Design air flow"));
    SummaryLabel->setText(SetupSummary(s, QLocale()));

    for (QPushButton* b : {NewButton, SkipButton, SaveButton, PrintButton, PdfButton})
        b->setEnabled(!taking);
    TakeButton->setEnabled(!taking);
    CancelButton->setEnabled(taking);
    PointTable->setEnabled(!taking);
    refreshTable();
    refreshResults();
    refreshStatus();
    Section->update();
}

void TraverseForm::refreshTable() {
    const TraverseSetup& s = m_logic.Setup();
    const MeterUnit unit = m_logic.ResultUnit();
    const TraverseResults results = m_logic.Results();
    QStringList headings{QStringLiteral("Point")};
    headings << PositionHeadings(s);
    const QString v = QStringLiteral(" (") + UnitText(unit) + u')';
    headings << QStringLiteral("Average") + v << QStringLiteral("Minimum") + v
             << QStringLiteral("Maximum") + v << QStringLiteral("Count") << QString();
    const QSignalBlocker quiet(PointTable);
    PointTable->clear();
    PointTable->setColumnCount(int(headings.size()));
    PointTable->setHorizontalHeaderLabels(headings);
    PointTable->setRowCount(int(m_logic.Points().size()));
    const QLocale l;
    for (int i = 0; i < int(m_logic.Points().size()); ++i) {
        const TraversePoint& p = m_logic.Points()[std::size_t(i)];
        const PointRecord& r = m_logic.Records()[std::size_t(i)];
        QStringList cells{p.name};
        cells << PositionTexts(s, p, l);
        if (r.taken)
            cells << VelocityText(r.taken->average, unit, l)
                  << VelocityText(r.taken->minimum, unit, l)
                  << VelocityText(r.taken->maximum, unit, l) << QString::number(r.taken->count);
        else
            cells << QString() << QString() << QString() << QString();
        cells << (r.skipped                         ? QStringLiteral("skipped")
                  : results.flagged[std::size_t(i)] ? QStringLiteral("flagged")
                                                    : QString());
        for (int k = 0; k < cells.size(); ++k) {
            auto* item = new QTableWidgetItem(cells[k]);
            if (k > 0 && k < cells.size() - 1)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (results.flagged[std::size_t(i)])
                item->setForeground(kFlagged);
            else if (r.skipped)
                item->setForeground(Qt::gray);
            PointTable->setItem(i, k, item);
        }
    }
    PointTable->resizeColumnsToContents();
    PointTable->setCurrentCell(m_logic.Current(), 0);
}

void TraverseForm::refreshResults() {
    const TraverseReportData data = report();
    const std::vector<ResultLine> lines = ResultLines(data, QLocale());
    while (m_resultLabels.size() < qsizetype(2 * lines.size())) {
        auto* l = new QLabel(this);
        l->setTextFormat(Qt::PlainText);
        const int k = int(m_resultLabels.size());
        m_results->addWidget(l, k / 2, k % 2);
        m_resultLabels.append(l);
    }
    for (int k = 0; k < m_resultLabels.size(); ++k) {
        const std::size_t line = std::size_t(k / 2);
        QLabel* label = m_resultLabels[k];
        label->setVisible(line < lines.size());
        if (line < lines.size())
            label->setText(k % 2 == 0 ? lines[line].label : lines[line].text);
    }
    VerdictLabel->setText(VerdictText(data.results));
    QPalette p = VerdictLabel->palette();
    p.setColor(QPalette::WindowText, data.results.pass.value_or(false) ? kPass : kFlagged);
    VerdictLabel->setPalette(p);
}

QStringList TraverseForm::ResultTexts() const {
    QStringList texts;
    for (QLabel* l : m_resultLabels)
        if (!l->isHidden())
            texts << l->text();
    return texts;
}

void TraverseForm::refreshStatus() {
    if (m_logic.Points().empty())
        return;
    const TraversePoint& p = m_logic.Points()[std::size_t(m_logic.Current())];
    const TraverseSetup& s = m_logic.Setup();
    const QLocale l;
    const QString unit = LengthUnitText(s.lengthUnit);
    QString where;
    switch (s.shape) {
    case TraverseShape::RoundDuct:
        where = QStringLiteral("depth %1 %2").arg(LengthText(p.depth, s.lengthUnit, l), unit);
        break;
    case TraverseShape::RectangularDuct:
        where = QStringLiteral("line at %1 %3, depth %2 %3")
                    .arg(LengthText(p.across, s.lengthUnit, l),
                         LengthText(p.depth, s.lengthUnit, l), unit);
        break;
    case TraverseShape::FaceGrid:
        where = QStringLiteral("%1 %3 from the left, %2 %3 from the top")
                    .arg(LengthText(p.across, s.lengthUnit, l),
                         LengthText(p.depth, s.lengthUnit, l), unit);
        break;
    }
    if (m_logic.Taking()) {
        const int n = m_logic.TakeCount();
        StatusLabel->setText(
            QStringLiteral("Taking %1 (%2): %3 s left, %4 %5, average %6")
                .arg(p.name, where)
                .arg(m_logic.SecondsLeft())
                .arg(n)
                .arg(n == 1 ? QStringLiteral("reading") : QStringLiteral("readings"))
                .arg(n > 0 ? VelocityText(m_logic.TakeAverage(), m_logic.ResultUnit(), l) + u' ' +
                                 UnitText(m_logic.ResultUnit())
                           : QStringLiteral("-")));
        return;
    }
    StatusLabel->setText(QStringLiteral("Point %1: %2. Put the probe there and press Take (Space).")
                             .arg(p.name, where));
}

void TraverseForm::Take() {
    m_logic.StartTake();
    refresh();
}

void TraverseForm::CancelTake() {
    m_logic.CancelTake();
}

void TraverseForm::Skip() {
    m_logic.ToggleSkip();
}

void TraverseForm::takeEnded(TakeEnd end) {
    refresh();
    const QString why = TakeEndMessage(end);
    if (!why.isEmpty())
        m_parts.messages.Message(QStringLiteral("The take of point %1 stopped.\n")
                                     .arg(m_logic.Points()[std::size_t(m_logic.Current())].name) +
                                 why);
}

void TraverseForm::NewTraverse() {
    if (m_logic.Taking())
        return;
    if (m_logic.AnyRecorded() &&
        !m_parts.messages.Question(QStringLiteral(
            "Start a new traverse? The points taken so far are cleared (save them first).")))
        return;
    m_logic.NewTraverse(setupFromControls());
}

TraverseReportData TraverseForm::report() const {
    return MakeTraverseReport(m_logic, LocationBox->text(), TechnicianBox->text(), m_parts.now());
}

void TraverseForm::Save() {
    const QString chosen = AskSavePath(m_parts.dialog, kCsvFilter);
    if (chosen.isEmpty())
        return;
    const QString path = withSuffix(chosen, QStringLiteral("csv"));
    QString error;
    if (!WriteTraverseCsv(report(), path, &error))
        m_parts.messages.Message(FileWriteErrorText(path, error));
}

void TraverseForm::Print() {
    PrintSetup setup;
    setup.target = m_parts.printTarget;
    setup.parent = this;
    PrintTraverseReport(report(), m_parts.messages, setup);
}

void TraverseForm::SavePdf() {
    const QString chosen = AskSavePath(m_parts.dialog, kPdfFilter);
    if (chosen.isEmpty())
        return;
    PdfFileTarget file(withSuffix(chosen, QStringLiteral("pdf")));
    PrintSetup setup;
    setup.target = &file;
    setup.parent = this;
    PrintTraverseReport(report(), m_parts.messages, setup);
}

void TraverseForm::closeEvent(QCloseEvent* event) {
    m_logic.CancelTake();
    QWidget::closeEvent(event);
}
