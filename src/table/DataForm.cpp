#include "table/DataForm.h"

#include "widgets/WindowFonts.h"

#include "table/DataGridView.h"
#include "table/DataToolbar.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>

namespace {

constexpr int kWidth = 438;
constexpr int kHeight = 600;
constexpr int kTopBand = 22;
constexpr int kBottomBand = 25;
const QColor kBandBlue(150, 190, 235);

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& geometry, const QString& text,
                  Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFixedSize(geometry.size()); // a new text does not lay the form out again
    label->setAlignment(alignment);
    label->setTextFormat(Qt::PlainText);
    label->setFont(SansSerifFont(9.75));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

} // namespace

DataForm::DataForm(GVarMod& state, MessageBoxes& boxes, SaveDialog& dialog, QWidget* parent)
    : QWidget(parent)
    , m_logic(state, boxes, dialog)
    , m_background(BackgroundPicture()) {
    setObjectName(QStringLiteral("DataForm"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_grid = new DataGridView(m_logic.Grid(), this);
    m_grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    m_grid->setGeometry(24, 32, 409, 513);

    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignTop;
    m_label3 = makeLabel(this, QStringLiteral("Label3"), QRect(24, 552, 65, 25),
                         QStringLiteral("DataNo."), left);
    m_label4 = makeLabel(this, QStringLiteral("Label4"), QRect(104, 552, 97, 25),
                         m_logic.CounterText(), left);
    m_label2 = makeLabel(this, QStringLiteral("Label2"), QRect(208, 552, 105, 25),
                         QStringLiteral("MAX:  50000"), Qt::AlignHCenter | Qt::AlignTop);

    m_toolbar = new DataToolbar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setGeometry(336, 552, 94, 26);
    connect(m_toolbar, &DataToolbar::ButtonClick, this, &DataForm::Toolbar1_ButtonClick);

    m_logic.CounterChanged = [this] {
        m_label4->setText(m_logic.CounterText());
    };

    setTabOrder(m_grid, m_toolbar->Button(0));
    for (int i = 1; i < DataToolbar::kButtons; ++i)
        setTabOrder(m_toolbar->Button(i - 1), m_toolbar->Button(i));

    Form_Load();
}

DataForm::~DataForm() {
    m_logic.CounterChanged = nullptr;
    // The grid view watches the table's texts, which go before the child widgets would.
    delete m_grid;
}

void DataForm::Form_Load() {
    setFixedSize(kWidth, kHeight);
    move(500, 0);
    m_logic.WriteStartHeadings();
}

void DataForm::AppendReadingRow() {
    m_logic.AppendReadingRow();
}

void DataForm::ResetTable() {
    m_logic.ResetTable();
}

void DataForm::Toolbar1_ButtonClick(const QString& key) {
    m_logic.Toolbar1_ButtonClick(key);
}

QPixmap DataForm::BackgroundPicture() {
    QPixmap picture(kWidth, kHeight);
    picture.fill(Qt::white);
    QPainter p(&picture);
    QLinearGradient top(0, 0, 0, kTopBand);
    top.setColorAt(0, kBandBlue);
    top.setColorAt(1, Qt::white);
    p.fillRect(QRect(0, 0, kWidth, kTopBand), top);
    QLinearGradient bottom(0, kHeight - kBottomBand, 0, kHeight);
    bottom.setColorAt(0, Qt::white);
    bottom.setColorAt(1, kBandBlue);
    p.fillRect(QRect(0, kHeight - kBottomBand, kWidth, kBottomBand), bottom);
    return picture;
}

void DataForm::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawPixmap(event->rect(), m_background, event->rect());
}
