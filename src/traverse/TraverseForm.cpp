#include "traverse/TraverseForm.h"

#include "link/MeterFrame.h"
#include "reports/AtomicFileWriter.h"
#include "reports/PrintTarget.h"
#include "seams/MessageBoxes.h"
#include "seams/SaveDialog.h"
#include "traverse/TraverseClock.h"
#include "traverse/TraversePrint.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor kCurrent(0, 90, 200);
const QColor kFlagged(200, 0, 0);
const QColor kPass(0, 130, 0);
const QColor kIncomplete(90, 90, 90);
const QString kCsvFilter = QStringLiteral("CSV files (*.csv)|*.csv");
const QString kPdfFilter = QStringLiteral("PDF files (*.pdf)|*.pdf");

// The chosen name, with the suffix added when it has none.
QString withSuffix(const QString& path, const QString& suffix) {
    return QFileInfo(path).suffix().isEmpty() ? path + u'.' + suffix : path;
}

// A size box takes any number, so that one out of range is refused with the range shown instead
// of being clamped while it is typed; it reports a value when the typing is done.
void setSizeUnit(QDoubleSpinBox* box, LengthUnit unit) {
    box->setDecimals(LengthDecimals(unit));
    box->setRange(-1e7, 1e7);
    box->setSingleStep(unit == LengthUnit::Millimetres ? 10 : 0.5);
    box->setSuffix(u' ' + LengthUnitText(unit));
}

QDoubleSpinBox* numberBox(QWidget* parent, double least, double most, int decimals,
                          const QString& suffix = {}) {
    auto* box = new QDoubleSpinBox(parent);
    box->setRange(least, most);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    box->setKeyboardTracking(false);
    return box;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
    auto* r = new QHBoxLayout;
    for (QWidget* w : widgets)
        r->addWidget(w);
    return r;
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
    // (A size of 0 or less would be a warning on standard error for every paint.)
    const double size = 7.5 * (spacing - 6) / sample;
    const bool values = size >= 5.5;
    small.setPointSizeF(std::clamp(size, 5.5, 7.5));
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
    m_logic.SetWallClock(m_parts.now);

    // The test type at the top, what it is below it.
    TypeBox = new QComboBox(this);
    for (TestType t : kTestTypes)
        TypeBox->addItem(TestTypeText(t), int(t));
    TypeBox->setToolTip(QStringLiteral("The kind of air-flow test"));
    SummaryLabel = new QLabel(this);
    SummaryLabel->setTextFormat(Qt::PlainText);
    NoteLabel = new QLabel(this);
    NoteLabel->setTextFormat(Qt::PlainText);
    QFont noteFont = NoteLabel->font();
    noteFont.setBold(true);
    NoteLabel->setFont(noteFont);
    auto* typeLabel = new QLabel(QStringLiteral("&Test"), this);
    typeLabel->setBuddy(TypeBox);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(typeLabel);
    typeRow->addWidget(TypeBox);
    typeRow->addWidget(SummaryLabel, 1);
    typeRow->addWidget(NoteLabel);

    SetupTabs = new QTabWidget(this);
    SetupTabs->addTab(buildTestTab(), QStringLiteral("Setup"));
    SetupTabs->addTab(buildAirTab(), QStringLiteral("Air"));
    SetupTabs->addTab(buildJobTab(), QStringLiteral("Job && instrument"));
    SetupTabs->setFixedWidth(370);

    auto* top = new QHBoxLayout;
    top->addWidget(SetupTabs, 0);
    Section = new TraverseSectionView(m_logic, this);
    top->addWidget(Section, 1);
    top->addWidget(buildResults(), 0);

    PointTable = new QTableWidget(this);
    PointTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    PointTable->setSelectionMode(QAbstractItemView::SingleSelection);
    PointTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PointTable->setTabKeyNavigation(false); // Tab leaves the list
    PointTable->verticalHeader()->hide();
    PointTable->verticalHeader()->setDefaultSectionSize(PointTable->fontMetrics().height() + 6);
    PointTable->setMinimumHeight(150);

    StatusLabel = new QLabel(this);
    StatusLabel->setTextFormat(Qt::PlainText);
    QFont statusFont = StatusLabel->font();
    statusFont.setPointSizeF(statusFont.pointSizeF() + 1);
    statusFont.setBold(true);
    StatusLabel->setFont(statusFont);

    NewButton = new QPushButton(QStringLiteral("&New"), this);
    TakeButton = new QPushButton(QStringLiteral("&Take (Space)"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel (Esc)"), this);
    SkipButton = new QPushButton(QStringLiteral("S&kip / include"), this);
    SaveButton = new QPushButton(QStringLiteral("&Save CSV"), this);
    PrintButton = new QPushButton(QStringLiteral("P&rint"), this);
    PdfButton = new QPushButton(QStringLiteral("P&DF"), this);
    JobButton = new QPushButton(QStringLiteral("&Job..."), this);
    JobButton->setToolTip(QStringLiteral("The job this test belongs to: its tests, the design "
                                         "schedule and the job report (Alt+J)"));
    NewButton->setToolTip(QStringLiteral("Start a new test (Alt+N)"));
    TakeButton->setToolTip(QStringLiteral("Average the readings of the take time at this point"));
    SkipButton->setToolTip(QStringLiteral("Leave this point out of the results, or take it back "
                                          "(Alt+K)"));
    SaveButton->setToolTip(QStringLiteral("Save the test as a CSV file (Ctrl+S)"));
    PrintButton->setToolTip(QStringLiteral("Print the report on the default printer"));
    PdfButton->setToolTip(QStringLiteral("Write the report to a PDF file (Alt+D)"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {NewButton, TakeButton, CancelButton, SkipButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    for (QPushButton* b : {JobButton, SaveButton, PrintButton, PdfButton})
        buttons->addWidget(b);

    auto* page = new QVBoxLayout(this);
    page->addLayout(typeRow);
    page->addLayout(top, 3);
    page->addWidget(PointTable, 2);
    page->addWidget(StatusLabel);
    page->addLayout(buttons);

    connect(NewButton, &QPushButton::clicked, this, &TraverseForm::NewTraverse);
    connect(TakeButton, &QPushButton::clicked, this, &TraverseForm::Take);
    connect(CancelButton, &QPushButton::clicked, this, &TraverseForm::CancelTake);
    connect(SkipButton, &QPushButton::clicked, this, &TraverseForm::Skip);
    connect(SaveButton, &QPushButton::clicked, this, &TraverseForm::Save);
    connect(PrintButton, &QPushButton::clicked, this, &TraverseForm::Print);
    connect(PdfButton, &QPushButton::clicked, this, &TraverseForm::SavePdf);
    connect(JobButton, &QPushButton::clicked, this, &TraverseForm::JobRequested);
    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(space, &QShortcut::activated, this, &TraverseForm::spacePressed);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TraverseForm::CancelTake);
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, &TraverseForm::Save);

    connect(PointTable, &QTableWidget::currentCellChanged, this,
            [this](int row) { m_logic.Select(row); });
    connect(Section, &TraverseSectionView::PointClicked, this,
            [this](int index) { m_logic.Select(index); });
    connect(&m_logic, &TraverseLogic::Changed, this, &TraverseForm::refresh);
    connect(&m_logic, &TraverseLogic::TakeProgress, this, &TraverseForm::refreshStatus);
    connect(&m_logic, &TraverseLogic::TakeEnded, this, &TraverseForm::takeEnded);
    // Made before any other connection, so that one keeping the point elsewhere (a job) comes
    // after it and may mark the test saved.
    connect(&m_logic, &TraverseLogic::PointRecorded, this, [this] { m_unsaved = true; });

    m_instruments = LoadInstruments(m_settings);
    m_showing = true;
    for (const Instrument& i : m_instruments.instruments)
        InstrumentBox->addItem(i.Name());
    InstrumentBox->setCurrentIndex(m_instruments.chosen);
    TechnicianBox->setText(LoadTechnician(m_settings));
    m_showing = false;
    showInstrument();

    const TraverseSetup remembered = LoadTraverseSetup(m_settings);
    showSetup(remembered);
    m_logic.NewTraverse(remembered);
    resize(1180, 760);
}

TraverseForm::~TraverseForm() = default;

QWidget* TraverseForm::buildTestTab() {
    auto* box = new QWidget(this);
    auto* form = new QFormLayout(box);

    ShapeBox = new QComboBox(box);
    for (TraverseShape s : {TraverseShape::RoundDuct, TraverseShape::RectangularDuct})
        ShapeBox->addItem(TraverseShapeText(s), int(s));
    LengthUnitBox = new QComboBox(box);
    LengthUnitBox->addItem(QStringLiteral("mm"), int(LengthUnit::Millimetres));
    LengthUnitBox->addItem(QStringLiteral("in"), int(LengthUnit::Inches));
    form->addRow(QStringLiteral("Duct"), row({ShapeBox, LengthUnitBox}));
    MethodBox = new QComboBox(box);
    for (DuctMethod m : {DuctMethod::LogTchebycheff, DuctMethod::EqualArea})
        MethodBox->addItem(DuctMethodText(m), int(m));
    form->addRow(QStringLiteral("Method"), MethodBox);

    DiameterBox = new QDoubleSpinBox(box);
    form->addRow(QStringLiteral("Inside diameter"), DiameterBox);
    WidthBox = new QDoubleSpinBox(box);
    HeightBox = new QDoubleSpinBox(box);
    for (QDoubleSpinBox* b : {DiameterBox, WidthBox, HeightBox})
        b->setKeyboardTracking(false);
    form->addRow(QStringLiteral("Width x height"),
                 row({WidthBox, new QLabel(QStringLiteral("x"), box), HeightBox}));

    RoundPointsBox = new QComboBox(box);
    RoundPointsBox->setToolTip(QStringLiteral("Log-Tchebycheff: below 10 in (254 mm) a diameter "
                                              "has 6 points"));
    DiametersBox = new QComboBox(box);
    DiametersBox->addItem(QStringLiteral("2 (90\u00b0)"), 2);
    DiametersBox->addItem(QStringLiteral("3 (60\u00b0)"), 3);
    form->addRow(QStringLiteral("Points / diameter"),
                 row({RoundPointsBox, new QLabel(QStringLiteral("diameters"), box), DiametersBox}));

    RowsBox = new QSpinBox(box);
    ColumnsBox = new QSpinBox(box);
    for (QSpinBox* b : {RowsBox, ColumnsBox})
        b->setRange(1, kMaxFaceCells);
    form->addRow(QStringLiteral("Face grid"),
                 row({RowsBox, new QLabel(QStringLiteral("rows x columns"), box), ColumnsBox}));

    ReadingsBox = new QSpinBox(box);
    ReadingsBox->setRange(kMinGrilleReadings, kMaxGrilleReadings);
    AkBox = numberBox(box, 0, 1000, 4);
    AkBox->setSpecialValueText(QStringLiteral("not given"));
    AkUnitBox = new QComboBox(box);
    AkUnitBox->addItem(QStringLiteral("m2"), int(AreaUnit::SquareMetres));
    AkUnitBox->addItem(QStringLiteral("ft2"), int(AreaUnit::SquareFeet));
    form->addRow(QStringLiteral("Readings, Ak"), row({ReadingsBox, AkBox, AkUnitBox}));
    AkSourceBox = new QLineEdit(box);
    AkSourceBox->setPlaceholderText(QStringLiteral("the maker's data sheet for Ak"));
    form->addRow(QStringLiteral("Ak source"), AkSourceBox);

    VelocityUnitBox = new QComboBox(box);
    VelocityUnitBox->addItem(QStringLiteral("the meter's"), -1);
    for (MeterUnit u : kVelocityUnits)
        VelocityUnitBox->addItem(UnitText(u), int(u));
    TakeTimeBox = new QSpinBox(box);
    TakeTimeBox->setRange(kMinTakeSeconds, kMaxTakeSeconds);
    TakeTimeBox->setSuffix(QStringLiteral(" s"));
    form->addRow(QStringLiteral("Velocity unit"),
                 row({VelocityUnitBox, new QLabel(QStringLiteral("take"), box), TakeTimeBox}));

    DesignBox = numberBox(box, 0, kMostDesignValue, 2);
    DesignBox->setSpecialValueText(QStringLiteral("none"));
    DesignUnitBox = new QComboBox(box);
    DesignStandardBox = new QCheckBox(QStringLiteral("std"), box);
    DesignStandardBox->setToolTip(QStringLiteral("The design value is at standard air"));
    form->addRow(QStringLiteral("Design value"),
                 row({DesignBox, DesignUnitBox, DesignStandardBox}));

    ToleranceBox = numberBox(box, 0.1, 100, 1, QStringLiteral(" %"));
    ToleranceBox->setPrefix(QStringLiteral("+- "));
    FlagBox = numberBox(box, 1, 100, 0, QStringLiteral(" %"));
    FlagBox->setPrefix(QStringLiteral("+- "));
    FlagBox->setToolTip(QStringLiteral("Every face point within this of the mean"));
    form->addRow(QStringLiteral("Tolerance"),
                 row({ToleranceBox, new QLabel(QStringLiteral("uniformity"), box), FlagBox}));
    BandLowBox = numberBox(box, 0, 100000, 2);
    BandHighBox = numberBox(box, 0, 100000, 2);
    BandUnitBox = new QComboBox(box);
    for (MeterUnit u : kVelocityUnits)
        BandUnitBox->addItem(UnitText(u), int(u));
    form->addRow(
        QStringLiteral("Hood band"),
        row({BandLowBox, new QLabel(QStringLiteral("to"), box), BandHighBox, BandUnitBox}));
    MaxCvBox = numberBox(box, 0.1, 100, 1, QStringLiteral(" %"));
    form->addRow(QStringLiteral("Largest CV"), MaxCvBox);

    for (QComboBox* c : {ShapeBox, MethodBox, RoundPointsBox, DiametersBox, VelocityUnitBox,
                         AkUnitBox, BandUnitBox})
        connect(c, &QComboBox::currentIndexChanged, this, &TraverseForm::setupEdited);
    connect(TypeBox, &QComboBox::currentIndexChanged, this, &TraverseForm::typeEdited);
    connect(LengthUnitBox, &QComboBox::currentIndexChanged, this, &TraverseForm::lengthUnitEdited);
    connect(DesignUnitBox, &QComboBox::currentIndexChanged, this, &TraverseForm::designUnitEdited);
    for (QDoubleSpinBox* b : {DiameterBox, WidthBox, HeightBox})
        connect(b, &QDoubleSpinBox::valueChanged, this, &TraverseForm::sizeEdited);
    for (QDoubleSpinBox* b :
         {AkBox, DesignBox, ToleranceBox, FlagBox, BandLowBox, BandHighBox, MaxCvBox})
        connect(b, &QDoubleSpinBox::valueChanged, this, &TraverseForm::setupEdited);
    for (QSpinBox* b : {RowsBox, ColumnsBox, TakeTimeBox, ReadingsBox})
        connect(b, &QSpinBox::valueChanged, this, &TraverseForm::setupEdited);
    connect(DesignStandardBox, &QCheckBox::toggled, this, &TraverseForm::setupEdited);
    connect(AkSourceBox, &QLineEdit::textEdited, this, &TraverseForm::setupEdited);
    return box;
}

QWidget* TraverseForm::buildAirTab() {
    auto* box = new QWidget(this);
    auto* form = new QFormLayout(box);
    PressureSourceBox = new QComboBox(box);
    PressureSourceBox->addItem(QStringLiteral("not given (101.325 kPa)"),
                               int(PressureOrigin::Assumed));
    PressureSourceBox->addItem(QStringLiteral("barometric pressure"),
                               int(PressureOrigin::Measured));
    PressureSourceBox->addItem(QStringLiteral("the site's altitude"),
                               int(PressureOrigin::Altitude));
    form->addRow(QStringLiteral("Pressure from"), PressureSourceBox);
    PressureBox = numberBox(box, 0.001, 1e6, 3);
    PressureUnitBox = new QComboBox(box);
    for (PressureUnit u : kPressureUnits)
        PressureUnitBox->addItem(PressureUnitText(u), int(u));
    form->addRow(QStringLiteral("Barometer"), row({PressureBox, PressureUnitBox}));
    AltitudeBox = numberBox(box, -500, 30000, 0);
    AltitudeUnitBox = new QComboBox(box);
    AltitudeUnitBox->addItem(QStringLiteral("m"), int(AltitudeUnit::Metres));
    AltitudeUnitBox->addItem(QStringLiteral("ft"), int(AltitudeUnit::Feet));
    form->addRow(QStringLiteral("Altitude"), row({AltitudeBox, AltitudeUnitBox}));
    TypedAirBox = new QCheckBox(QStringLiteral("use these, not the meter's"), box);
    TypedAirBox->setToolTip(QStringLiteral(
        "Without this the meter's own temperature and humidity are used when it shows plain "
        "temperature; in dew-point or wet-bulb mode these are used"));
    form->addRow(QStringLiteral("Typed air"), TypedAirBox);
    TemperatureBox = numberBox(box, -40, 120, 1, QStringLiteral(" \u00b0C"));
    HumidityBox = numberBox(box, 0, 100, 0, QStringLiteral(" % RH"));
    form->addRow(QStringLiteral("Temperature, RH"), row({TemperatureBox, HumidityBox}));
    StandardAirBox = new QComboBox(box);
    StandardAirBox->addItem(StandardAirText(StandardAir::Metric), int(StandardAir::Metric));
    StandardAirBox->addItem(StandardAirText(StandardAir::UsStandard), int(StandardAir::UsStandard));
    form->addRow(QStringLiteral("Standard air"), StandardAirBox);

    for (QComboBox* c : {PressureSourceBox, PressureUnitBox, AltitudeUnitBox, StandardAirBox})
        connect(c, &QComboBox::currentIndexChanged, this, &TraverseForm::setupEdited);
    for (QDoubleSpinBox* b : {PressureBox, AltitudeBox, TemperatureBox, HumidityBox})
        connect(b, &QDoubleSpinBox::valueChanged, this, &TraverseForm::setupEdited);
    connect(TypedAirBox, &QCheckBox::toggled, this, &TraverseForm::setupEdited);
    return box;
}

QWidget* TraverseForm::buildJobTab() {
    auto* box = new QWidget(this);
    auto* form = new QFormLayout(box);
    ProjectBox = new QLineEdit(box);
    TagBox = new QLineEdit(box);
    LocationBox = new QLineEdit(box);
    TechnicianBox = new QLineEdit(box);
    NotesBox = new QPlainTextEdit(box);
    NotesBox->setTabChangesFocus(true);
    NotesBox->setFixedHeight(54);
    form->addRow(QStringLiteral("Project"), ProjectBox);
    form->addRow(QStringLiteral("System / tag"), TagBox);
    form->addRow(QStringLiteral("Location"), LocationBox);
    form->addRow(QStringLiteral("Notes"), NotesBox);
    form->addRow(QStringLiteral("Technician"), TechnicianBox);

    InstrumentBox = new QComboBox(box);
    AddInstrumentButton = new QPushButton(QStringLiteral("Add"), box);
    RemoveInstrumentButton = new QPushButton(QStringLiteral("Remove"), box);
    auto* pick = new QHBoxLayout;
    pick->addWidget(InstrumentBox, 1);
    pick->addWidget(AddInstrumentButton);
    pick->addWidget(RemoveInstrumentButton);
    form->addRow(QStringLiteral("Instrument"), pick);
    MakeBox = new QLineEdit(box);
    ModelBox = new QLineEdit(box);
    SerialBox = new QLineEdit(box);
    form->addRow(QStringLiteral("Make, model"), row({MakeBox, ModelBox}));
    ProbeBox = new QComboBox(box);
    ProbeBox->addItem(QStringLiteral("vane (actual velocity)"), int(ProbeType::Vane));
    ProbeBox->addItem(QStringLiteral("thermal (standard velocity)"), int(ProbeType::Thermal));
    form->addRow(QStringLiteral("Serial number"), SerialBox);
    form->addRow(QStringLiteral("Probe"), ProbeBox);
    CalibratedBox = new QDateEdit(box);
    DueBox = new QDateEdit(box);
    for (QDateEdit* d : {CalibratedBox, DueBox}) {
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        d->setCalendarPopup(true);
    }
    form->addRow(QStringLiteral("Calibrated, due"), row({CalibratedBox, DueBox}));
    CalibrationLabel = new QLabel(box);
    CalibrationLabel->setTextFormat(Qt::PlainText);
    QPalette warn = CalibrationLabel->palette();
    warn.setColor(QPalette::WindowText, kFlagged);
    CalibrationLabel->setPalette(warn);
    form->addRow(CalibrationLabel);

    connect(InstrumentBox, &QComboBox::currentIndexChanged, this, &TraverseForm::instrumentPicked);
    connect(AddInstrumentButton, &QPushButton::clicked, this, &TraverseForm::addInstrument);
    connect(RemoveInstrumentButton, &QPushButton::clicked, this, &TraverseForm::removeInstrument);
    for (QLineEdit* e : {MakeBox, ModelBox, SerialBox})
        connect(e, &QLineEdit::textEdited, this, &TraverseForm::instrumentEdited);
    connect(ProbeBox, &QComboBox::currentIndexChanged, this, &TraverseForm::instrumentEdited);
    for (QDateEdit* d : {CalibratedBox, DueBox})
        connect(d, &QDateEdit::dateChanged, this, &TraverseForm::instrumentEdited);
    connect(TechnicianBox, &QLineEdit::textEdited, this,
            [this](const QString& text) { SaveTechnician(m_settings, text); });
    for (QLineEdit* e : {ProjectBox, TagBox, LocationBox, TechnicianBox}) {
        connect(e, &QLineEdit::textEdited, this, &TraverseForm::refreshResults);
        connect(e, &QLineEdit::textEdited, this, &TraverseForm::Edited);
    }
    connect(NotesBox, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_showing)
            emit Edited();
    });
    return box;
}

QWidget* TraverseForm::buildResults() {
    auto* box = new QGroupBox(QStringLiteral("Results"), this);
    auto* column = new QVBoxLayout(box);
    m_results = new QGridLayout;
    m_results->setVerticalSpacing(1);
    column->addLayout(m_results);
    column->addStretch(1);
    VerdictLabel = new QLabel(box);
    QFont big = VerdictLabel->font();
    big.setPointSizeF(20);
    big.setBold(true);
    VerdictLabel->setFont(big);
    VerdictLabel->setAlignment(Qt::AlignCenter);
    column->addWidget(VerdictLabel);
    ReasonsLabel = new QLabel(box);
    ReasonsLabel->setTextFormat(Qt::PlainText);
    ReasonsLabel->setWordWrap(true);
    column->addWidget(ReasonsLabel);
    box->setFixedWidth(370);
    return box;
}

void TraverseForm::fillDesignUnits(bool flow) {
    const QSignalBlocker quiet(DesignUnitBox);
    DesignUnitBox->clear();
    if (flow)
        for (FlowUnit u : kFlowUnits)
            DesignUnitBox->addItem(FlowUnitText(u), int(u));
    else
        for (MeterUnit u : kVelocityUnits)
            DesignUnitBox->addItem(UnitText(u), int(u));
    m_designFlow = flow;
}

void TraverseForm::fillRoundPoints(const TraverseSetup& s) {
    // The box offers what the method allows and shows what is used.
    const QSignalBlocker quiet(RoundPointsBox);
    RoundPointsBox->clear();
    if (s.method == DuctMethod::EqualArea) {
        for (int n = 10; n <= 20; n += 2)
            RoundPointsBox->addItem(QString::number(n), n);
    } else if (RoundPointsPerDiameter(s) == 6) {
        RoundPointsBox->addItem(QStringLiteral("6"), 6);
    } else {
        RoundPointsBox->addItem(QStringLiteral("8"), 8);
        RoundPointsBox->addItem(QStringLiteral("10"), 10);
    }
    RoundPointsBox->setCurrentIndex(RoundPointsBox->findData(RoundPointsPerDiameter(s)));
}

void TraverseForm::showSetup(const TraverseSetup& s) {
    m_showing = true;
    TypeBox->setCurrentIndex(TypeBox->findData(int(s.type)));
    if (s.type == TestType::DuctTraverse)
        ShapeBox->setCurrentIndex(ShapeBox->findData(int(s.shape)));
    MethodBox->setCurrentIndex(MethodBox->findData(int(s.method)));
    LengthUnitBox->setCurrentIndex(LengthUnitBox->findData(int(s.lengthUnit)));
    m_shownUnit = s.lengthUnit;
    for (QDoubleSpinBox* b : {DiameterBox, WidthBox, HeightBox})
        setSizeUnit(b, s.lengthUnit);
    DiameterBox->setValue(s.diameter);
    WidthBox->setValue(s.width);
    HeightBox->setValue(s.height);
    const double m = MetresPer(s.lengthUnit);
    m_exact[0] = s.diameter * m;
    m_exact[1] = s.width * m;
    m_exact[2] = s.height * m;
    fillRoundPoints(s);
    DiametersBox->setCurrentIndex(DiametersBox->findData(s.diameters == 3 ? 3 : 2));
    RowsBox->setValue(s.faceRows);
    ColumnsBox->setValue(s.faceColumns);
    ReadingsBox->setValue(s.grilleReadings);
    AkBox->setValue(s.akValue);
    AkUnitBox->setCurrentIndex(AkUnitBox->findData(int(s.akUnit)));
    AkSourceBox->setText(s.akSource);
    VelocityUnitBox->setCurrentIndex(
        VelocityUnitBox->findData(s.resultUnit ? int(*s.resultUnit) : -1));
    TakeTimeBox->setValue(s.takeSeconds);
    fillDesignUnits(DesignIsFlow(s.type));
    m_shownDesignUnit = m_designFlow ? int(s.designFlowUnit) : int(s.designVelocityUnit);
    DesignUnitBox->setCurrentIndex(DesignUnitBox->findData(m_shownDesignUnit));
    DesignBox->setDecimals(m_designFlow ? std::max(FlowDecimals(s.designFlowUnit), 1)
                                        : VelocityDecimals(s.designVelocityUnit) + 1);
    DesignBox->setValue(s.designValue);
    DesignStandardBox->setChecked(s.designStandard);
    ToleranceBox->setValue(s.tolerancePercent);
    FlagBox->setValue(s.faceFlagPercent);
    BandUnitBox->setCurrentIndex(BandUnitBox->findData(int(s.bandUnit)));
    BandLowBox->setValue(s.bandLow);
    BandHighBox->setValue(s.bandHigh);
    MaxCvBox->setValue(s.maxVariationPercent);
    const AirInputs& a = s.air;
    PressureSourceBox->setCurrentIndex(PressureSourceBox->findData(int(a.pressureOrigin)));
    PressureUnitBox->setCurrentIndex(PressureUnitBox->findData(int(a.pressureUnit)));
    PressureBox->setValue(a.pressure);
    AltitudeUnitBox->setCurrentIndex(AltitudeUnitBox->findData(int(a.altitudeUnit)));
    AltitudeBox->setValue(a.altitude);
    TypedAirBox->setChecked(a.typedAir);
    TemperatureBox->setValue(a.typedTemperatureC);
    HumidityBox->setValue(a.typedHumidity);
    StandardAirBox->setCurrentIndex(StandardAirBox->findData(int(a.standard)));
    m_showing = false;
}

TraverseSetup TraverseForm::setupFromControls() const {
    TraverseSetup s;
    s.type = TestType(TypeBox->currentData().toInt());
    s.shape = ShapeOf(s.type, TraverseShape(ShapeBox->currentData().toInt()));
    s.method = DuctMethod(MethodBox->currentData().toInt());
    s.lengthUnit = LengthUnit(LengthUnitBox->currentData().toInt());
    s.diameter = DiameterBox->value();
    s.width = WidthBox->value();
    s.height = HeightBox->value();
    s.roundPoints = RoundPointsBox->currentData().toInt();
    s.diameters = DiametersBox->currentData().toInt();
    s.faceRows = RowsBox->value();
    s.faceColumns = ColumnsBox->value();
    s.grilleReadings = ReadingsBox->value();
    s.akValue = AkBox->value();
    s.akUnit = AreaUnit(AkUnitBox->currentData().toInt());
    s.akSource = AkSourceBox->text();
    const int unit = VelocityUnitBox->currentData().toInt();
    if (unit >= 0)
        s.resultUnit = MeterUnit(unit);
    s.takeSeconds = TakeTimeBox->value();
    s.designValue = DesignBox->value();
    if (m_designFlow)
        s.designFlowUnit = FlowUnit(DesignUnitBox->currentData().toInt());
    else
        s.designVelocityUnit = MeterUnit(DesignUnitBox->currentData().toInt());
    const TraverseSetup& was = m_logic.Setup();
    if (m_designFlow)
        s.designVelocityUnit = was.designVelocityUnit;
    else
        s.designFlowUnit = was.designFlowUnit;
    s.designStandard = DesignStandardBox->isChecked();
    s.tolerancePercent = ToleranceBox->value();
    s.faceFlagPercent = FlagBox->value();
    s.bandLow = BandLowBox->value();
    s.bandHigh = BandHighBox->value();
    s.bandUnit = MeterUnit(BandUnitBox->currentData().toInt());
    s.maxVariationPercent = MaxCvBox->value();
    AirInputs& a = s.air;
    a.pressureOrigin = PressureOrigin(PressureSourceBox->currentData().toInt());
    a.pressure = PressureBox->value();
    a.pressureUnit = PressureUnit(PressureUnitBox->currentData().toInt());
    a.altitude = AltitudeBox->value();
    a.altitudeUnit = AltitudeUnit(AltitudeUnitBox->currentData().toInt());
    a.typedAir = TypedAirBox->isChecked();
    a.typedTemperatureC = TemperatureBox->value();
    a.typedHumidity = HumidityBox->value();
    a.standard = StandardAir(StandardAirBox->currentData().toInt());
    if (const std::optional<Instrument> i = chosenInstrument())
        a.probe = i->probe;
    return s;
}

void TraverseForm::setupEdited() {
    if (m_showing)
        return;
    TraverseSetup s = setupFromControls();
    // The points-per-diameter box follows the method and the size.
    if (s.shape == TraverseShape::RoundDuct) {
        fillRoundPoints(s);
        s.roundPoints = RoundPointsBox->currentData().toInt();
    }
    m_logic.ChangeSetup(s);
    SaveTraverseSetup(m_settings, s);
    emit Edited();
}

void TraverseForm::typeEdited() {
    if (m_showing)
        return;
    TraverseSetup from = m_logic.Setup();
    const TraverseSetup s = WithTestType(from, TestType(TypeBox->currentData().toInt()));
    showSetup(s);
    m_logic.ChangeSetup(s);
    SaveTraverseSetup(m_settings, s);
    emit Edited();
}

void TraverseForm::sizeRefused(QDoubleSpinBox* box) {
    const LengthUnit unit = LengthUnit(LengthUnitBox->currentData().toInt());
    const QLocale l;
    const QString refused = LengthText(box->value(), unit, l);
    const TraverseSetup& s = m_logic.Setup();
    const double previous = box == DiameterBox ? s.diameter : box == WidthBox ? s.width : s.height;
    m_showing = true;
    box->setValue(previous);
    m_showing = false;
    m_parts.messages.Message(
        QStringLiteral("%1 %2 is not a size this window takes: sizes are %3 to %4 %2.\n"
                       "The size stays %5 %2.")
            .arg(refused, LengthUnitText(unit), LengthText(LeastSize(unit), unit, l),
                 LengthText(MostSize(unit), unit, l), LengthText(previous, unit, l)));
}

void TraverseForm::sizeEdited() {
    if (m_showing)
        return;
    const LengthUnit unit = LengthUnit(LengthUnitBox->currentData().toInt());
    QDoubleSpinBox* boxes[3] = {DiameterBox, WidthBox, HeightBox};
    for (int k = 0; k < 3; ++k) {
        const double v = boxes[k]->value();
        if (v < LeastSize(unit) || v > MostSize(unit)) {
            sizeRefused(boxes[k]);
            return;
        }
        if (std::abs(RoundToLengthStep(m_exact[k] / MetresPer(unit), unit) - v) > 1e-9)
            m_exact[k] = v * MetresPer(unit);
    }
    const TestType type = TestType(TypeBox->currentData().toInt());
    if (ShapeOf(type, TraverseShape::RectangularDuct) == TraverseShape::FaceGrid) {
        // A new face size proposes its grid; the user may change it afterwards.
        const FaceGrid grid = ProposedFaceGrid(WidthBox->value(), HeightBox->value(), unit,
                                               LargestCellSquareMetres(type));
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
    // The same duct in the other unit, from the sizes as given: 600 mm stays 600 mm.
    const LengthUnit to = LengthUnit(LengthUnitBox->currentData().toInt());
    m_showing = true;
    QDoubleSpinBox* boxes[3] = {DiameterBox, WidthBox, HeightBox};
    for (int k = 0; k < 3; ++k) {
        setSizeUnit(boxes[k], to);
        boxes[k]->setValue(RoundToLengthStep(m_exact[k] / MetresPer(to), to));
    }
    m_shownUnit = to;
    m_showing = false;
    setupEdited();
}

void TraverseForm::designUnitEdited() {
    if (m_showing)
        return;
    // The design value keeps its meaning in the new unit.
    const int to = DesignUnitBox->currentData().toInt();
    const double value = DesignBox->value();
    const double converted =
        m_designFlow ? FlowInUnit(value, FlowUnit(m_shownDesignUnit), FlowUnit(to))
                     : VelocityInUnit(value, MeterUnit(m_shownDesignUnit), MeterUnit(to));
    m_shownDesignUnit = to;
    m_showing = true;
    DesignBox->setDecimals(m_designFlow ? std::max(FlowDecimals(FlowUnit(to)), 1)
                                        : VelocityDecimals(MeterUnit(to)) + 1);
    DesignBox->setValue(converted);
    m_showing = false;
    setupEdited();
}

std::optional<Instrument> TraverseForm::chosenInstrument() const {
    const int i = InstrumentBox->currentIndex();
    if (i < 0 || i >= int(m_instruments.instruments.size()))
        return std::nullopt;
    return m_instruments.instruments[std::size_t(i)];
}

void TraverseForm::showInstrument() {
    const std::optional<Instrument> i = chosenInstrument();
    m_showing = true;
    MakeBox->setText(i ? i->make : QString());
    ModelBox->setText(i ? i->model : QString());
    SerialBox->setText(i ? i->serial : QString());
    ProbeBox->setCurrentIndex(ProbeBox->findData(int(i ? i->probe : ProbeType::Vane)));
    CalibratedBox->setDate(i && i->calibrated.isValid() ? i->calibrated : QDate(2000, 1, 1));
    DueBox->setDate(i && i->calibrationDue.isValid() ? i->calibrationDue : QDate(2000, 1, 1));
    m_showing = false;
    for (QWidget* w : std::initializer_list<QWidget*>{
             MakeBox, ModelBox, SerialBox, ProbeBox, CalibratedBox, DueBox, RemoveInstrumentButton})
        w->setEnabled(i.has_value());
    const QString warning = i ? CalibrationWarning(*i, m_parts.now().date()) : QString();
    CalibrationLabel->setText(i ? warning : QStringLiteral("No instrument: add one with Add."));
}

void TraverseForm::instrumentPicked() {
    if (m_showing)
        return;
    m_instruments.chosen = InstrumentBox->currentIndex();
    SaveInstruments(m_settings, m_instruments);
    showInstrument();
    setupEdited(); // the probe type
}

void TraverseForm::instrumentEdited() {
    if (m_showing)
        return;
    const int k = InstrumentBox->currentIndex();
    if (k < 0 || k >= int(m_instruments.instruments.size()))
        return;
    Instrument& i = m_instruments.instruments[std::size_t(k)];
    i.make = MakeBox->text();
    i.model = ModelBox->text();
    i.serial = SerialBox->text();
    i.probe = ProbeType(ProbeBox->currentData().toInt());
    i.calibrated = CalibratedBox->date();
    i.calibrationDue = DueBox->date();
    m_showing = true;
    InstrumentBox->setItemText(k, i.Name());
    m_showing = false;
    SaveInstruments(m_settings, m_instruments);
    const QString warning = CalibrationWarning(i, m_parts.now().date());
    CalibrationLabel->setText(warning);
    setupEdited();
}

void TraverseForm::addInstrument() {
    Instrument i;
    i.make = QStringLiteral("New");
    i.model = QStringLiteral("instrument");
    i.calibrated = m_parts.now().date();
    i.calibrationDue = i.calibrated.addYears(1);
    m_instruments.instruments.push_back(i);
    m_instruments.chosen = int(m_instruments.instruments.size()) - 1;
    m_showing = true;
    InstrumentBox->addItem(i.Name());
    InstrumentBox->setCurrentIndex(m_instruments.chosen);
    m_showing = false;
    SaveInstruments(m_settings, m_instruments);
    showInstrument();
    MakeBox->setFocus();
    MakeBox->selectAll();
}

void TraverseForm::removeInstrument() {
    const int k = InstrumentBox->currentIndex();
    if (k < 0 || k >= int(m_instruments.instruments.size()))
        return;
    if (!m_parts.messages.Question(QStringLiteral("Remove the instrument %1 from the list?")
                                       .arg(InstrumentBox->currentText())))
        return;
    m_instruments.instruments.erase(m_instruments.instruments.begin() + k);
    m_showing = true;
    InstrumentBox->removeItem(k);
    m_showing = false;
    m_instruments.chosen = InstrumentBox->currentIndex();
    SaveInstruments(m_settings, m_instruments);
    showInstrument();
    setupEdited();
}

TestPeople TraverseForm::people() const {
    return {ProjectBox->text(), TagBox->text(), LocationBox->text(), NotesBox->toPlainText(),
            TechnicianBox->text()};
}

void TraverseForm::refresh() {
    const TraverseSetup& s = m_logic.Setup();
    const bool taking = m_logic.Taking();
    const bool locked = m_logic.AnyRecorded() || taking;
    const bool duct = s.type == TestType::DuctTraverse;
    const bool round = s.shape == TraverseShape::RoundDuct;
    const bool face = s.shape == TraverseShape::FaceGrid;
    const bool grille = s.shape == TraverseShape::Grille;
    // The points are fixed once one is taken or skipped, until "New".
    TypeBox->setEnabled(!locked);
    ShapeBox->setEnabled(!locked && duct);
    MethodBox->setEnabled(!locked && duct);
    LengthUnitBox->setEnabled(!locked && !grille);
    DiameterBox->setEnabled(!locked && round);
    WidthBox->setEnabled(!locked && !round && !grille);
    HeightBox->setEnabled(!locked && !round && !grille);
    RoundPointsBox->setEnabled(!locked && round && RoundPointsBox->count() > 1);
    DiametersBox->setEnabled(!locked && round);
    RowsBox->setEnabled(!locked && face);
    ColumnsBox->setEnabled(!locked && face);
    ReadingsBox->setEnabled(!locked && grille);
    AkBox->setEnabled(grille);
    AkUnitBox->setEnabled(grille);
    AkSourceBox->setEnabled(grille);
    FlagBox->setEnabled(face);
    BandLowBox->setEnabled(s.type == TestType::FumeHood);
    BandHighBox->setEnabled(s.type == TestType::FumeHood);
    BandUnitBox->setEnabled(s.type == TestType::FumeHood);
    MaxCvBox->setEnabled(s.type == TestType::CleanAirUnit);
    PressureBox->setEnabled(s.air.pressureOrigin == PressureOrigin::Measured);
    PressureUnitBox->setEnabled(s.air.pressureOrigin == PressureOrigin::Measured);
    AltitudeBox->setEnabled(s.air.pressureOrigin == PressureOrigin::Altitude);
    AltitudeUnitBox->setEnabled(s.air.pressureOrigin == PressureOrigin::Altitude);
    DesignBox->setToolTip(DesignIsFlow(s.type) ? QStringLiteral("Design air flow")
                                               : QStringLiteral("Design face velocity"));
    SummaryLabel->setText(SetupSummary(s, QLocale()));
    NoteLabel->setText(MeasuringNote(s.type));

    // The Take button and the points list stay enabled during a take (the take ignores them):
    // disabling the focused one would move the focus to the next button, and the next Space
    // would press that one.
    for (QPushButton* b : {NewButton, SkipButton, SaveButton, PrintButton, PdfButton})
        b->setEnabled(!taking);
    CancelButton->setEnabled(taking);
    refreshTable();
    refreshResults();
    refreshStatus();
    Section->update();
}

void TraverseForm::refreshTable() {
    const TraverseReportData data = Report();
    const bool takeTimes = TakeTimesDiffer(data.records);
    QStringList headings{QStringLiteral("Point")};
    headings << PositionHeadings(data.setup);
    const QString v = QStringLiteral(" (") + UnitText(data.unit) + u')';
    headings << QStringLiteral("Average") + v << QStringLiteral("Minimum") + v
             << QStringLiteral("Maximum") + v << QStringLiteral("Count");
    if (takeTimes)
        headings << QStringLiteral("Take (s)");
    headings << QStringLiteral("Taken") << QString();
    const QSignalBlocker quiet(PointTable);
    const int rows = int(data.points.size());
    PointTable->setUpdatesEnabled(false);
    if (PointTable->columnCount() != headings.size())
        PointTable->setColumnCount(int(headings.size()));
    PointTable->setHorizontalHeaderLabels(headings);
    PointTable->setRowCount(rows);
    const QLocale l;
    for (int i = 0; i < rows; ++i) {
        const PointRow r = PointRowOf(data, std::size_t(i), l);
        QStringList cells{r.name};
        cells << r.positions << r.average << r.minimum << r.maximum
              << (r.average.isEmpty() ? QString() : r.count);
        if (takeTimes)
            cells << r.takeSeconds;
        cells << r.takenAt << r.note;
        for (int k = 0; k < cells.size(); ++k) {
            QTableWidgetItem* item = PointTable->item(i, k);
            if (!item) {
                item = new QTableWidgetItem;
                PointTable->setItem(i, k, item);
            }
            item->setText(cells[k]);
            if (k > 0 && k < cells.size() - 1)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setForeground(r.flagged   ? QBrush(kFlagged)
                                : r.skipped ? QBrush(Qt::gray)
                                            : palette().text());
        }
    }
    PointTable->resizeColumnsToContents();
    PointTable->setCurrentCell(m_logic.Current(), 0);
    PointTable->setUpdatesEnabled(true);
}

TraverseReportData TraverseForm::Report() const {
    return MakeTraverseReport(m_logic, people(), chosenInstrument(), m_parts.now());
}

void TraverseForm::refreshResults() {
    const TraverseReportData data = Report();
    std::vector<ResultLine> lines = ResultLines(data, QLocale());
    const std::vector<ResultLine> density = DensityLines(data, QLocale());
    lines.insert(lines.end(), density.begin(), density.begin() + 3);
    while (m_resultLabels.size() < qsizetype(2 * lines.size())) {
        auto* l = new QLabel(this);
        l->setTextFormat(Qt::PlainText);
        const int k = int(m_resultLabels.size());
        l->setWordWrap(k % 2 == 1); // long texts (the air's origin) go on a second line
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
    const TraverseVerdict verdict = Verdict(data, QLocale());
    VerdictLabel->setText(verdict.Headline());
    QPalette p = VerdictLabel->palette();
    p.setColor(QPalette::WindowText, verdict.state == VerdictState::Pass   ? kPass
                                     : verdict.state == VerdictState::Fail ? kFlagged
                                                                           : kIncomplete);
    VerdictLabel->setPalette(p);
    QStringList reasons;
    for (const Criterion& c : verdict.criteria)
        reasons << (c.pass ? QStringLiteral("\u2713 ") : QStringLiteral("\u2717 ")) + c.text;
    if (!verdict.skipped.isEmpty())
        reasons << QStringLiteral("skipped: ") + verdict.skipped.join(QStringLiteral(", "));
    ReasonsLabel->setText(reasons.join(u'\n'));
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
    case TraverseShape::Grille:
        where = QStringLiteral("where the maker's data says");
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
                .arg(n > 0 ? VelocityWithUnit(m_logic.TakeAverage(), m_logic.ResultUnit(), l)
                           : QStringLiteral("-")));
        return;
    }
    if (m_logic.AllRecorded()) {
        const TraverseResults r = m_logic.Results();
        StatusLabel->setText(
            QStringLiteral("All %1 points are taken%2. To take one again, pick it first.")
                .arg(r.pointCount)
                .arg(r.skipped > 0 ? QStringLiteral(" or skipped (%1 skipped)").arg(r.skipped)
                                   : QString()));
        return;
    }
    StatusLabel->setText(QStringLiteral("Point %1: %2. Put the probe there and press Take (Space).")
                             .arg(p.name, where));
}

void TraverseForm::spacePressed() {
    // Space on a focused button presses that button; elsewhere it takes.
    if (auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        button && isAncestorOf(button)) {
        button->click();
        return;
    }
    Take();
}

void TraverseForm::Take() {
    const TakeStart start = m_logic.StartTake();
    refresh();
    const QString why = TakeStartMessage(start);
    // Space once more after the last point only says so on the status line; an offline meter
    // is a message.
    if (start == TakeStart::AlreadyTaken)
        StatusLabel->setText(why);
    else if (!why.isEmpty())
        m_parts.messages.Message(why);
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
    if (m_logic.AnyRecorded() && !(m_kept && !m_unsaved) &&
        !m_parts.messages.Question(QStringLiteral(
            "Start a new test? The points taken so far are cleared (save them first).")))
        return;
    emit TestClosing();
    // A new test: the job's own fields go; the technician and the instrument stay.
    m_showing = true;
    for (QLineEdit* e : {ProjectBox, TagBox, LocationBox})
        e->clear();
    NotesBox->clear();
    m_showing = false;
    m_unsaved = false;
    m_logic.NewTraverse(setupFromControls());
    emit NewTestStarted();
}

void TraverseForm::LoadTest(const TraverseSetup& setup, std::vector<PointRecord> records,
                            std::optional<MeterUnit> unit, const TestPeople& people) {
    m_showing = true;
    ProjectBox->setText(people.project);
    TagBox->setText(people.tag);
    LocationBox->setText(people.location);
    NotesBox->setPlainText(people.notes);
    if (!people.technician.isEmpty())
        TechnicianBox->setText(people.technician);
    m_showing = false;
    showSetup(setup);
    m_unsaved = false;
    m_logic.Restore(setup, std::move(records), unit);
}

bool TraverseForm::confirmReplace(const QString& path) {
    return !QFileInfo::exists(path) ||
           m_parts.messages.Question(
               QStringLiteral("%1 already exists. Replace it?").arg(QFileInfo(path).fileName()));
}

bool TraverseForm::Save() {
    const QString chosen = AskSavePath(m_parts.dialog, kCsvFilter);
    if (chosen.isEmpty())
        return false;
    const QString path = withSuffix(chosen, QStringLiteral("csv"));
    if (!confirmReplace(path))
        return false;
    QString error;
    if (!WriteTraverseCsv(Report(), path, &error)) {
        m_parts.messages.Message(FileWriteErrorText(path, error));
        return false;
    }
    m_unsaved = false;
    return true;
}

void TraverseForm::Print() {
    PrintSetup setup;
    setup.target = m_parts.printTarget;
    setup.parent = this;
    PrintTraverseReport(Report(), m_parts.messages, setup);
}

void TraverseForm::SavePdf() {
    const QString chosen = AskSavePath(m_parts.dialog, kPdfFilter);
    if (chosen.isEmpty())
        return;
    const QString path = withSuffix(chosen, QStringLiteral("pdf"));
    if (!confirmReplace(path))
        return;
    PdfFileTarget file(path);
    PrintSetup setup;
    setup.target = &file;
    setup.parent = this;
    if (PrintTraverseReport(Report(), m_parts.messages, setup) == PrintOutcome::Printed)
        m_unsaved = false;
}

void TraverseForm::closeEvent(QCloseEvent* event) {
    m_logic.CancelTake();
    QWidget::closeEvent(event);
}
