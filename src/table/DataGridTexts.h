#pragma once

#include <QHash>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// Told about every change of a DataGridTexts, so that a view repaints only what changed.
class DataGridObserver {
public:
    virtual ~DataGridObserver() = default;
    virtual void GridCleared() = 0;                 // every cell and the row count changed
    virtual void RowInsertedAtTop() = 0;            // a new row 1; the old rows moved down by one
    virtual void CellChanged(int row, int col) = 0; // one cell's text
    virtual void CurrentCellChanged(int oldRow, int oldCol) = 0;
};

// The cells of the data table's grid: five columns, a fixed heading row 0 and a fixed first
// column, and below the heading row the body rows 1 ... Rows() - 1, addressed like a classic grid
// (TextMatrix(row, col)).
//
// Rows are only ever added directly under the heading row, so the body is stored bottom first:
// adding a row is an append, whatever the size, and display row r lives at body index
// Rows() - 1 - r. The body is kept in fixed blocks, so it never moves or copies its texts, and
// texts are kept as given (implicitly shared, not copied). A first cell that holds a record
// number is kept as the number, which saves most of a row's memory.
class DataGridTexts {
public:
    static constexpr int kCols = 5;

    DataGridTexts(); // 2 rows, every cell empty, current cell (1, 1)
    ~DataGridTexts();
    DataGridTexts(const DataGridTexts&) = delete;
    DataGridTexts& operator=(const DataGridTexts&) = delete;

    int Rows() const { return m_bodyRows + 1; }
    int Cols() const { return kCols; }

    // The text of a cell; empty for a cell outside the grid.
    QString TextMatrix(int row, int col) const;
    // Sets the text of a cell; a cell outside the grid is ignored.
    void SetTextMatrix(int row, int col, const QString& text);

    // Inserts a new row 1 (directly under the heading row) with firstCell in column 0 and empty
    // cells elsewhere; every other body row moves down by one.
    void InsertRowAtTop(const QString& firstCell);

    // Empties every cell, headings included, and leaves the heading row and one empty row.
    void Clear();

    // The current cell. Row and column are kept as numbers: inserting a row does not move them.
    int Row() const { return m_row; }
    int Col() const { return m_col; }
    void SetRow(int row);
    void SetCol(int col);

    // The body row at body index i (0 is the bottom row). Stays the same row, at the same index,
    // while rows are added above it; used by views to key their caches.
    int BodyIndexOfRow(int row) const { return m_bodyRows - row; }
    QString BodyText(int bodyIndex, int col) const;

    void SetObserver(DataGridObserver* observer) { m_observer = observer; }

private:
    struct Cells {
        std::array<QString, kCols - 1> texts; // columns 1 to 4
        std::int32_t number = -1; // the first cell as a number; -1: see m_otherFirstCells
    };
    static constexpr int kBlockBits = 12; // 4096 rows to a block
    static constexpr int kBlockRows = 1 << kBlockBits;

    Cells& body(int index);
    const Cells& body(int index) const;
    Cells& appendBody();
    void setFirstCell(int bodyIndex, const QString& text);

    std::array<QString, kCols> m_heading;
    QHash<int, QString> m_otherFirstCells; // first cells that are not plain record numbers
    std::vector<std::unique_ptr<Cells[]>> m_blocks;
    int m_bodyRows = 0;
    int m_row = 1;
    int m_col = 1;
    DataGridObserver* m_observer = nullptr;
};
