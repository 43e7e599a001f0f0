#include "table/DataGridView.h"

#include "state/SystemTexts.h"
#include "widgets/BeforeNextRepaint.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>

const QColor DataGridView::kFixedColor(212, 208, 200);
const QColor DataGridView::kBackgroundColor(128, 128, 128);

namespace {

const QColor kGridLineColor(192, 192, 192);
const QColor kFixedShadowColor(128, 128, 128);
constexpr int kTextPadding = 3;

// Column widths in pixels: the record number, the temperature-and-humidity text, the value, the
// unit and the time stamp all fit beside a vertical scroll bar. The time column grows when the
// locale's time stamps need more room (see timeColumnWidth).
constexpr std::array<int, DataGridTexts::kCols> kColumnWidths{42, 108, 57, 54, 127};
constexpr int kTimeColumn = 4;

// The time column wide enough for the widest stamp the locale writes in this font, with the
// text's padding on both sides and the grid line, and never narrower than its classic width.
int timeColumnWidth(const QFont& font) {
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& text : ReadingTimeSamples())
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return std::max(kColumnWidths[kTimeColumn], int(std::ceil(widest)) + 2 * kTextPadding + 1);
}

// A cell that holds a number is right-aligned, any other text left-aligned, as a classic grid
// aligns by content: digits with an optional sign and one decimal separator.
bool looksNumeric(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        ++i;
    bool digits = false;
    bool separator = false;
    for (; i < t.size(); ++i) {
        if (t[i].isDigit()) {
            digits = true;
        } else if ((t[i] == u'.' || t[i] == u',') && !separator) {
            separator = true;
        } else {
            return false;
        }
    }
    return digits;
}

} // namespace

DataGridView::DataGridView(DataGridTexts& texts, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_texts(texts)
    , m_widths(kColumnWidths)
    , m_cache(kCacheSlots) {
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    // The grid paints every pixel itself, which lets Qt move pixels when rows shift.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    QFont gridFont;
    gridFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    gridFont.setStyleHint(QFont::SansSerif);
    gridFont.setPointSizeF(9.75);
    gridFont.setItalic(true);
    setFont(gridFont);
    updateMetrics();
    verticalScrollBar()->installEventFilter(this);
    m_texts.SetObserver(this);
}

DataGridView::~DataGridView() {
    m_texts.SetObserver(nullptr);
}

int DataGridView::ColumnWidth(int col) const {
    return col >= 0 && col < DataGridTexts::kCols ? m_widths[col] : 0;
}

int DataGridView::contentWidth() const {
    int width = 0;
    for (int w : m_widths)
        width += w;
    return width;
}

int DataGridView::TopRow() const {
    return verticalScrollBar()->value() + 1;
}

void DataGridView::SetTopRow(int row) {
    syncRowRange();
    verticalScrollBar()->setValue(row - 1);
}

int DataGridView::visibleBodyRows() const {
    return std::max(0, (viewport()->height() - m_rowHeight) / m_rowHeight);
}

QRect DataGridView::bodyArea() const {
    return QRect(0, m_rowHeight, viewport()->width(),
                 std::max(0, viewport()->height() - m_rowHeight));
}

QRect DataGridView::CellRect(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols())
        return {};
    const int y = row == 0 ? 0 : (row - TopRow() + 1) * m_rowHeight;
    int x = 0;
    if (col > 0) {
        for (int c = 0; c < col; ++c)
            x += m_widths[c];
        x -= horizontalScrollBar()->value();
    }
    return QRect(x, y, m_widths[col], m_rowHeight);
}

void DataGridView::updateMetrics() {
    m_rowHeight = std::max(16, fontMetrics().height() + 3);
    m_widths[kTimeColumn] = timeColumnWidth(font());
    invalidateCache();
    updateScrollBars();
    viewport()->update();
}

int DataGridView::rowRangeMaximum() const {
    return std::max(0, Rows() - 1 - visibleBodyRows());
}

QRect DataGridView::sliderRect(int maximum) const {
    const QScrollBar* v = verticalScrollBar();
    QStyleOptionSlider option;
    option.initFrom(v);
    option.subControls = QStyle::SC_All;
    option.orientation = Qt::Vertical;
    option.minimum = 0;
    option.maximum = maximum;
    option.sliderPosition = v->value();
    option.sliderValue = v->value();
    option.singleStep = v->singleStep();
    option.pageStep = v->pageStep();
    option.upsideDown = v->invertedAppearance();
    return v->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, v);
}

void DataGridView::growRowRange() {
    // Repainting the scroll bar costs more than painting the new row; skip it while the slider
    // stays where it is, at the top with its smallest length.
    QScrollBar* v = verticalScrollBar();
    const int maximum = rowRangeMaximum();
    if (v->value() == 0 && v->maximum() > 0 && maximum > v->maximum() &&
        sliderRect(maximum) == sliderRect(v->maximum())) {
        m_rowRangeStale = true;
        return;
    }
    v->setMaximum(maximum);
    m_rowRangeStale = false;
}

void DataGridView::syncRowRange() {
    if (!m_rowRangeStale)
        return;
    m_rowRangeStale = false;
    verticalScrollBar()->setMaximum(rowRangeMaximum());
}

bool DataGridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == verticalScrollBar()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::ContextMenu:
            syncRowRange();
            break;
        default:
            break;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void DataGridView::updateScrollBars() {
    const int visible = visibleBodyRows();
    QScrollBar* v = verticalScrollBar();
    m_rowRangeStale = false;
    v->setRange(0, rowRangeMaximum());
    v->setPageStep(std::max(1, visible));
    v->setSingleStep(1);
    QScrollBar* h = horizontalScrollBar();
    const int width = viewport()->width();
    h->setRange(0, std::max(0, contentWidth() - width));
    h->setPageStep(std::max(1, width - m_widths[0]));
    h->setSingleStep(m_widths[0] / 2);
}

void DataGridView::invalidateCache() {
    for (PreparedRow& p : m_cache)
        p.key = -1;
    m_heading.align.fill(0);
}

void DataGridView::prepareCell(PreparedRow& p, int col, const QString& text) {
    QStaticText& st = p.texts[col];
    st.setTextFormat(Qt::PlainText);
    st.setText(text);
    st.prepare(QTransform(), font());
    p.align[col] = looksNumeric(text) ? 2 : 1;
}

DataGridView::PreparedRow& DataGridView::prepared(int row) {
    if (row == 0) {
        for (int c = 0; c < DataGridTexts::kCols; ++c) {
            if (m_heading.align[c] == 0)
                prepareCell(m_heading, c, m_texts.TextMatrix(0, c));
        }
        return m_heading;
    }
    const int key = m_texts.BodyIndexOfRow(row);
    PreparedRow& p = m_cache[static_cast<std::size_t>(key % kCacheSlots)];
    if (p.key != key) {
        p.key = key;
        p.align.fill(0);
    }
    for (int c = 0; c < DataGridTexts::kCols; ++c) {
        if (p.align[c] == 0)
            prepareCell(p, c, m_texts.BodyText(key, c));
    }
    return p;
}

void DataGridView::paintCell(QPainter& painter, const QRect& rect, int row, int col,
                             PreparedRow& texts) {
    const bool fixed = row == 0 || col == 0;
    const QRect inner = rect.adjusted(0, 0, -1, -1);
    painter.fillRect(inner, fixed ? kFixedColor : QColor(Qt::white));
    if (fixed) {
        painter.setPen(Qt::white);
        painter.drawLine(inner.topLeft(), inner.topRight());
        painter.drawLine(inner.topLeft(), inner.bottomLeft());
        painter.setPen(kFixedShadowColor);
    } else {
        painter.setPen(kGridLineColor);
    }
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());

    const QStaticText& text = texts.texts[col];
    if (!text.text().isEmpty()) {
        const QSizeF size = text.size();
        const int room = rect.width() - 2 * kTextPadding;
        const qreal x = texts.align[col] == 2 ? rect.right() - kTextPadding - size.width()
                                              : rect.left() + kTextPadding;
        const qreal y = rect.top() + (rect.height() - size.height()) / 2;
        painter.setPen(Qt::black);
        if (size.width() > room) {
            painter.save();
            painter.setClipRect(inner.adjusted(1, 0, -1, 0), Qt::IntersectClip);
            painter.drawStaticText(QPointF(x, y), text);
            painter.restore();
        } else {
            painter.drawStaticText(QPointF(x, y), text);
        }
    }
    if (!fixed && hasFocus() && row == Row() && col == Col()) {
        QPen focus(Qt::black, 1, Qt::DotLine);
        painter.setPen(focus);
        painter.drawRect(inner.adjusted(1, 1, -1, -1));
    }
}

void DataGridView::paintEvent(QPaintEvent* event) {
    if (m_rowsToMove > 0) {
        // Painted before the added rows could move their pixels (a forced repaint): paint this
        // region as it is now and the rest of the grid afresh, instead of moving old pixels.
        m_rowsToMove = 0;
        viewport()->update();
    }
    QPainter painter(viewport());
    painter.setFont(font());
    const QRect clip = event->rect();
    const int vw = viewport()->width();
    const int vh = viewport()->height();
    const int top = TopRow();
    const int lastRow = Rows() - 1;

    // The rows the paint needs: the heading row, then the body rows that meet the clip.
    std::vector<int> rows;
    if (clip.top() < m_rowHeight)
        rows.push_back(0);
    const int firstBody = top + std::max(0, (clip.top() - m_rowHeight) / m_rowHeight);
    const int lastBody =
        std::min(lastRow, top + std::max(0, clip.bottom() - m_rowHeight) / m_rowHeight);
    for (int r = firstBody; r <= lastBody; ++r)
        rows.push_back(r);

    // The scrolling columns first, clipped off the fixed column; the fixed column over them.
    const QRect scrolling(m_widths[0], 0, std::max(0, vw - m_widths[0]), vh);
    painter.setClipRect(scrolling);
    for (int r : rows) {
        PreparedRow& texts = prepared(r);
        for (int c = 1; c < DataGridTexts::kCols; ++c) {
            const QRect rect = CellRect(r, c);
            if (rect.intersects(clip) && rect.intersects(scrolling))
                paintCell(painter, rect, r, c, texts);
        }
    }
    painter.setClipping(false);
    for (int r : rows) {
        const QRect rect = CellRect(r, 0);
        if (rect.intersects(clip))
            paintCell(painter, rect, r, 0, prepared(r));
    }

    // Beyond the last column and under the last row.
    const int right = contentWidth() - horizontalScrollBar()->value();
    const int bottom = (lastRow - top + 2) * m_rowHeight;
    if (right < vw)
        painter.fillRect(QRect(right, 0, vw - right, vh), kBackgroundColor);
    if (bottom < vh)
        painter.fillRect(QRect(0, bottom, std::min(vw, right), vh - bottom), kBackgroundColor);
}

void DataGridView::moveRowsNow() {
    if (m_rowsToMove == 0)
        return;
    const int rows = m_rowsToMove;
    m_rowsToMove = 0;
    viewport()->scroll(0, rows * m_rowHeight, bodyArea());
}

void DataGridView::scrollContentsBy(int dx, int dy) {
    if (m_keepPixels)
        return;
    moveRowsNow(); // rows added before this scroll move first
    if (dy != 0) {
        // Body rows and their fixed first cells move; the heading row stays.
        viewport()->scroll(0, dy * m_rowHeight, bodyArea());
    }
    if (dx != 0) {
        const QRect scrolling(m_widths[0], 0, std::max(0, viewport()->width() - m_widths[0]),
                              viewport()->height());
        viewport()->scroll(dx, 0, scrolling);
    }
}

void DataGridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void DataGridView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateMetrics();
}

void DataGridView::updateCell(int row, int col) {
    QRect rect = CellRect(row, col);
    if (row > 0 && m_rowsToMove > 0) {
        // The rows still to move: new rows at the top are painted whole once they are moved in;
        // any other row is marked where it is now, and the mark moves down with it.
        if (row <= m_rowsToMove)
            return;
        rect.translate(0, -m_rowsToMove * m_rowHeight);
    }
    if (row > 0)
        rect &= bodyArea();
    if (!rect.isEmpty())
        viewport()->update(rect);
}

void DataGridView::GridCleared() {
    invalidateCache();
    m_rowsToMove = 0;
    {
        // Every pixel is painted again below; the scroll position only follows.
        m_keepPixels = true;
        updateScrollBars();
        verticalScrollBar()->setValue(0);
        m_keepPixels = false;
    }
    viewport()->update();
}

void DataGridView::RowInsertedAtTop() {
    QScrollBar* v = verticalScrollBar();
    const int value = v->value();
    if (value == 0) {
        // The rows in view move down by one and only the new row 1 is painted. The pixels move
        // just before the next paint, once for all rows added until then (a paced window paints
        // far less often than readings come, and each move costs the display server a copy).
        if (m_rowsToMove++ == 0)
            BeforeNextRepaint(*viewport(), [this] { moveRowsNow(); });
        growRowRange();
    } else {
        // Scrolled down: keep the same readings in view; nothing moves on screen.
        updateScrollBars();
        m_keepPixels = true;
        v->setValue(value + 1);
        m_keepPixels = false;
    }
    if (hasFocus() && Row() > 0) {
        // The focus frame moved down with the pixels of its old row.
        updateCell(Row() + 1, Col());
    }
}

void DataGridView::CellChanged(int row, int col) {
    if (row == 0) {
        m_heading.align[col] = 0;
    } else {
        const int key = m_texts.BodyIndexOfRow(row);
        PreparedRow& p = m_cache[static_cast<std::size_t>(key % kCacheSlots)];
        if (p.key == key)
            p.align[col] = 0;
    }
    updateCell(row, col);
}

void DataGridView::CurrentCellChanged(int oldRow, int oldCol) {
    if (!hasFocus())
        return;
    updateCell(oldRow, oldCol);
    updateCell(Row(), Col());
}

void DataGridView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    updateCell(Row(), Col());
}

void DataGridView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    updateCell(Row(), Col());
}

void DataGridView::ensureVisible(int row, int col) {
    const int visible = std::max(1, visibleBodyRows());
    if (row < TopRow())
        SetTopRow(row);
    else if (row >= TopRow() + visible)
        SetTopRow(row - visible + 1);
    QScrollBar* h = horizontalScrollBar();
    const QRect cell = CellRect(row, col);
    if (cell.left() < m_widths[0])
        h->setValue(h->value() - (m_widths[0] - cell.left()));
    else if (cell.right() >= viewport()->width())
        h->setValue(h->value() + cell.right() - viewport()->width() + 1);
}

void DataGridView::moveCurrentCell(int row, int col) {
    row = std::clamp(row, 1, Rows() - 1);
    col = std::clamp(col, 1, Cols() - 1);
    m_texts.SetRow(row);
    m_texts.SetCol(col);
    ensureVisible(row, col);
}

void DataGridView::keyPressEvent(QKeyEvent* event) {
    syncRowRange();
    const int page = std::max(1, visibleBodyRows());
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    int row = Row();
    int col = Col();
    switch (event->key()) {
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Left:
        --col;
        break;
    case Qt::Key_Right:
        ++col;
        break;
    case Qt::Key_PageUp:
        row -= page;
        break;
    case Qt::Key_PageDown:
        row += page;
        break;
    case Qt::Key_Home:
        (ctrl ? row : col) = 1;
        break;
    case Qt::Key_End:
        (ctrl ? row : col) = ctrl ? Rows() - 1 : Cols() - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    moveCurrentCell(row, col);
    event->accept();
}

void DataGridView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    setFocus(Qt::MouseFocusReason);
    if (pos.y() < m_rowHeight || pos.x() < m_widths[0])
        return; // fixed cells are not selectable
    const int row = TopRow() + (pos.y() - m_rowHeight) / m_rowHeight;
    if (row >= Rows())
        return;
    for (int c = 1; c < Cols(); ++c) {
        const QRect cell = CellRect(row, c);
        if (pos.x() >= cell.left() && pos.x() <= cell.right()) {
            moveCurrentCell(row, c);
            return;
        }
    }
}
