#pragma once

#include "table/DataFormLogic.h"

#include <QPixmap>
#include <QWidget>

class DataGridView;
class DataToolbar;
class QLabel;

// The data table window: every stored reading as a grid row, newest first, the record counter
// against the limit of 50000, and the toolbar that clears, saves, exports and prints.
//
// It owns no reading data: the reception handler adds each reading with AppendReadingRow and the
// reset at the limit calls ResetTable; the toolbar's save, export and print read the reading
// table. What the window cannot do itself (resume or pause reception, print, repaint the live
// chart) it asks of the hooks set at start-up.
class DataForm : public QWidget {
    Q_OBJECT
public:
    // dialog is this window's own file dialog, shared by "save" and "to_xls".
    DataForm(GVarMod& state, MessageBoxes& boxes, SaveDialog& dialog, QWidget* parent = nullptr);
    ~DataForm() override;

    void SetHooks(DataTableHooks hooks) { m_logic.Hooks = std::move(hooks); }

    // Shows reading ReadingCount, just stored, as the new top row and in the counter.
    void AppendReadingRow();
    // Empties the grid to its heading row and one empty row, plain headings, counter "0".
    void ResetTable();
    // The toolbar's click: "new", "save", "to_xls" or "print"; any other key does nothing.
    void Toolbar1_ButtonClick(const QString& key);

    DataGridView& MSFlexGrid1() const { return *m_grid; }
    QLabel& Label2() const { return *m_label2; }
    QLabel& Label3() const { return *m_label3; }
    QLabel& Label4() const { return *m_label4; }
    DataToolbar& Toolbar1() const { return *m_toolbar; }

    // The window's background: white, light-blue bands across the top and the bottom.
    static QPixmap BackgroundPicture();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();

    DataFormLogic m_logic;
    QPixmap m_background;
    DataGridView* m_grid = nullptr;
    QLabel* m_label3 = nullptr;
    QLabel* m_label4 = nullptr;
    QLabel* m_label2 = nullptr;
    DataToolbar* m_toolbar = nullptr;
};
