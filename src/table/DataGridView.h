#pragma once

#include "table/DataGridTexts.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QStaticText>

#include <array>
#include <vector>

// The data table's grid on screen: a fixed heading row and a fixed first column in grey, grid
// lines, white body cells and scroll bars as needed, over the texts of a DataGridTexts.
//
// It paints only what changed. A row added at the top while the grid shows its first rows moves
// the pixels of the rows below down by one row (just before the window's next repaint, for all
// rows added until then) and paints the new row alone; scrolled further
// down, the grid keeps showing the same readings and only its scroll bar changes. Cell texts are
// laid out once, when their row first comes into view, and drawn from that layout afterwards.
// The vertical scroll bar takes a longer range at once only when its slider would look
// different; otherwise the range is brought up to date as soon as anyone uses the scroll bar.
//
// State, besides the texts it shows:
// - m_rowsToMove > 0: rows were added at the top while the first rows were in view and their
//   pixels have not moved down yet. The first such row asks to move them before the window's
//   next repaint (BeforeNextRepaint); that step, a scroll or a paint (whichever comes first)
//   moves or repaints them and sets it back to 0.
// - m_rowRangeStale: the scroll bar's maximum lags behind the rows because the slider would look
//   the same. A press, wheel, key or context menu on the scroll bar (the event filter), or any
//   full update of the scroll bars, brings it up to date.
// - m_keepPixels: set only for the span of a scroll bar change the grid makes itself to follow
//   the data (after a reset, or to keep the same readings in view while scrolled down); the
//   resulting scroll moves no pixels.
class DataGridView : public QAbstractScrollArea, private DataGridObserver {
    Q_OBJECT
public:
    explicit DataGridView(DataGridTexts& texts, QWidget* parent = nullptr);
    ~DataGridView() override;

    // The grid read like a classic grid.
    int Rows() const { return m_texts.Rows(); }
    int Cols() const { return m_texts.Cols(); }
    QString TextMatrix(int row, int col) const { return m_texts.TextMatrix(row, col); }
    int Row() const { return m_texts.Row(); }
    int Col() const { return m_texts.Col(); }

    // The first body row in view (1 when scrolled to the top).
    int TopRow() const;
    void SetTopRow(int row);

    int RowHeight() const { return m_rowHeight; }
    int ColumnWidth(int col) const;
    // A cell's rectangle in viewport pixels at the current scroll position (it may lie partly or
    // wholly outside the viewport).
    QRect CellRect(int row, int col) const;

    static const QColor kFixedColor;      // heading row and first column
    static const QColor kBackgroundColor; // the area beyond the last row and column

protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A body row's texts laid out for drawing; direct-mapped by body index.
    struct PreparedRow {
        int key = -1; // body index, -1 when the slot is free
        std::array<QStaticText, DataGridTexts::kCols> texts;
        std::array<signed char, DataGridTexts::kCols> align{}; // 0 stale, 1 left, 2 right
    };
    static constexpr int kCacheSlots = 256; // more than the rows a screen can show

    void GridCleared() override;
    void RowInsertedAtTop() override;
    void CellChanged(int row, int col) override;
    void CurrentCellChanged(int oldRow, int oldCol) override;

    void moveRowsNow();
    void updateMetrics();
    void updateScrollBars();
    void growRowRange();
    void syncRowRange();
    int rowRangeMaximum() const;
    QRect sliderRect(int maximum) const;
    int visibleBodyRows() const;
    int contentWidth() const;
    QRect bodyArea() const;
    void updateCell(int row, int col);
    void invalidateCache();
    PreparedRow& prepared(int row);
    void prepareCell(PreparedRow& prepared, int col, const QString& text);
    void paintCell(QPainter& painter, const QRect& rect, int row, int col, PreparedRow& texts);
    void moveCurrentCell(int row, int col);
    void ensureVisible(int row, int col);

    DataGridTexts& m_texts;
    std::array<int, DataGridTexts::kCols> m_widths{};
    int m_rowHeight = 16;
    bool m_keepPixels = false;    // a scroll bar change that follows the data, not the view
    bool m_rowRangeStale = false; // the vertical range lags behind the rows (same slider)
    int m_rowsToMove = 0;         // rows added at the top whose pixels have not moved down yet
    std::vector<PreparedRow> m_cache;
    PreparedRow m_heading;
};
