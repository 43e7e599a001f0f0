#include "table/DataGridTexts.h"

#include <algorithm>

namespace {

// The value of a text that is exactly the plain digits of a number 0 ... 2147483647 (no sign, no
// leading zero, no blank), or -1.
std::int32_t plainNumber(const QString& text) {
    if (text.isEmpty() || text.size() > 10 || (text.size() > 1 && text[0] == u'0'))
        return -1;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= 2147483647 ? static_cast<std::int32_t>(value) : -1;
}

} // namespace

DataGridTexts::DataGridTexts() {
    appendBody(); // the empty row under the headings
}

DataGridTexts::~DataGridTexts() = default;

DataGridTexts::Cells& DataGridTexts::body(int index) {
    return m_blocks[static_cast<std::size_t>(index >> kBlockBits)][index & (kBlockRows - 1)];
}

const DataGridTexts::Cells& DataGridTexts::body(int index) const {
    return m_blocks[static_cast<std::size_t>(index >> kBlockBits)][index & (kBlockRows - 1)];
}

DataGridTexts::Cells& DataGridTexts::appendBody() {
    if (m_bodyRows == static_cast<int>(m_blocks.size()) * kBlockRows)
        m_blocks.push_back(std::make_unique<Cells[]>(kBlockRows));
    return body(m_bodyRows++);
}

QString DataGridTexts::BodyText(int bodyIndex, int col) const {
    const Cells& cells = body(bodyIndex);
    if (col > 0)
        return cells.texts[static_cast<std::size_t>(col - 1)];
    if (cells.number >= 0)
        return QString::number(cells.number);
    return m_otherFirstCells.value(bodyIndex);
}

void DataGridTexts::setFirstCell(int bodyIndex, const QString& text) {
    Cells& cells = body(bodyIndex);
    cells.number = plainNumber(text);
    if (cells.number < 0 && !text.isEmpty())
        m_otherFirstCells.insert(bodyIndex, text);
    else
        m_otherFirstCells.remove(bodyIndex);
}

QString DataGridTexts::TextMatrix(int row, int col) const {
    if (col < 0 || col >= kCols || row < 0 || row >= Rows())
        return QString();
    return row == 0 ? m_heading[static_cast<std::size_t>(col)] : BodyText(BodyIndexOfRow(row), col);
}

void DataGridTexts::SetTextMatrix(int row, int col, const QString& text) {
    if (col < 0 || col >= kCols || row < 0 || row >= Rows())
        return;
    if (row == 0)
        m_heading[static_cast<std::size_t>(col)] = text;
    else if (col == 0)
        setFirstCell(BodyIndexOfRow(row), text);
    else
        body(BodyIndexOfRow(row)).texts[static_cast<std::size_t>(col - 1)] = text;
    if (m_observer)
        m_observer->CellChanged(row, col);
}

void DataGridTexts::InsertRowAtTop(const QString& firstCell) {
    appendBody();
    setFirstCell(m_bodyRows - 1, firstCell);
    if (m_observer)
        m_observer->RowInsertedAtTop();
}

void DataGridTexts::Clear() {
    m_heading = {};
    m_otherFirstCells.clear();
    // Keep the first block for the one row that remains; give the others' memory back.
    m_blocks.resize(1);
    for (int i = 0; i < std::min(m_bodyRows, kBlockRows); ++i)
        m_blocks[0][i] = Cells{};
    m_bodyRows = 1;
    m_row = 1;
    m_col = 1;
    if (m_observer)
        m_observer->GridCleared();
}

void DataGridTexts::SetRow(int row) {
    if (row < 0 || row >= Rows() || row == m_row)
        return;
    const int old = m_row;
    m_row = row;
    if (m_observer)
        m_observer->CurrentCellChanged(old, m_col);
}

void DataGridTexts::SetCol(int col) {
    if (col < 0 || col >= kCols || col == m_col)
        return;
    const int old = m_col;
    m_col = col;
    if (m_observer)
        m_observer->CurrentCellChanged(m_row, old);
}
