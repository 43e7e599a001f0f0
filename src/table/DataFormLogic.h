#pragma once

#include "table/DataGridTexts.h"

#include <QString>

#include <functional>

class GVarMod;
class MessageBoxes;
class SaveDialog;

// What the data table asks of the rest of the program. Set once at start-up; a hook that is not
// set does nothing.
struct DataTableHooks {
    std::function<void()> ResumeReception;  // the link's resync request
    std::function<void()> PauseReception;   // stops frame events before printing
    std::function<void()> PrintDataReport;  // prints the data report (reports its own failures)
    std::function<void()> RepaintLiveChart; // clears the live chart to light grey and redraws it
    std::function<void()> ReadingsCleared = {}; // "new" emptied the table
};

inline constexpr char16_t kDataTableReportTitle[] = u"Brisel Data Logger";
inline constexpr char16_t kTextReportFilter[] = u"text files (*.txt)|*.txt";
inline constexpr char16_t kCsvExportFilter[] = u"csv files (*.csv)|*.csv";

// The data table without its widgets: the grid's texts, the record counter and the toolbar
// actions. The grid mirrors the reading table only through AppendReadingRow and ResetTable; the
// toolbar's save, export and print read the reading table, never the grid.
class DataFormLogic {
public:
    DataFormLogic(GVarMod& state, MessageBoxes& boxes, SaveDialog& dialog);

    DataGridTexts& Grid() { return m_grid; }
    const DataGridTexts& Grid() const { return m_grid; }

    // The record counter: the number of stored readings as plain digits, "0" at start.
    const QString& CounterText() const { return m_counter; }
    // Called whenever the counter text changes.
    std::function<void()> CounterChanged;

    DataTableHooks Hooks;

    // The start-up headings of columns 1 to 4, with their leading and trailing spaces.
    void WriteStartHeadings();

    // Shows reading ReadingCount (just stored) as the new top row and in the counter.
    void AppendReadingRow();

    // Empties the grid to its heading row and one empty row, plain headings, counter "0".
    void ResetTable();

    // Runs the toolbar button with this key: "new", "save", "to_xls" or "print", compared
    // exactly; any other key does nothing.
    void Toolbar1_ButtonClick(const QString& key);

private:
    void setCounter(const QString& text);
    void clearAll();
    void saveFile(bool csv);
    void print();
    static void run(const std::function<void()>& hook);

    GVarMod& m_state;
    MessageBoxes& m_boxes;
    SaveDialog& m_dialog;
    DataGridTexts m_grid;
    QString m_counter;
};
