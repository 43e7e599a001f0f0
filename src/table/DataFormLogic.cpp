#include "table/DataFormLogic.h"

#include "reports/AtomicFileWriter.h"
#include "reports/CsvExportWriter.h"
#include "reports/TextReportWriter.h"
#include "seams/MessageBoxes.h"
#include "seams/SaveDialog.h"
#include "state/GVarMod.h"

DataFormLogic::DataFormLogic(GVarMod& state, MessageBoxes& boxes, SaveDialog& dialog)
    : m_state(state)
    , m_boxes(boxes)
    , m_dialog(dialog)
    , m_counter(QStringLiteral("0")) {
    m_grid.SetTextMatrix(0, 0, QStringLiteral("NO."));
}

void DataFormLogic::run(const std::function<void()>& hook) {
    if (hook)
        hook();
}

void DataFormLogic::setCounter(const QString& text) {
    m_counter = text;
    run(CounterChanged);
}

void DataFormLogic::WriteStartHeadings() {
    m_grid.SetTextMatrix(0, 1, QStringLiteral("     T&RH  "));
    m_grid.SetTextMatrix(0, 2, QStringLiteral("     DATA "));
    m_grid.SetTextMatrix(0, 3, QStringLiteral("     UNIT"));
    m_grid.SetTextMatrix(0, 4, QStringLiteral("     TIME"));
}

void DataFormLogic::AppendReadingRow() {
    const std::int32_t n = m_state.ReadingCount;
    if (n < 1 || n > kReadingLimit)
        return;
    const Reading& r = m_state.Readings(n);
    // One digits text for the counter and the first cell; the other cells share the record's
    // texts.
    const QString digits = QString::number(n);
    setCounter(digits);
    m_grid.InsertRowAtTop(digits);
    m_grid.SetRow(1);
    m_grid.SetCol(1);
    m_grid.SetTextMatrix(1, 1, r.TRH);
    m_grid.SetCol(3);
    m_grid.SetTextMatrix(1, 3, r.Unit);
    m_grid.SetCol(2);
    m_grid.SetTextMatrix(1, 2, r.Data);
    m_grid.SetCol(4);
    m_grid.SetTextMatrix(1, 4, r.Time);
}

void DataFormLogic::ResetTable() {
    m_grid.Clear();
    m_grid.SetTextMatrix(0, 0, QStringLiteral("NO."));
    m_grid.SetTextMatrix(0, 1, QStringLiteral("T&RH"));
    m_grid.SetTextMatrix(0, 2, QStringLiteral("DATA"));
    m_grid.SetTextMatrix(0, 3, QStringLiteral("UNIT"));
    m_grid.SetTextMatrix(0, 4, QStringLiteral("TIME"));
    setCounter(QStringLiteral("0"));
}

void DataFormLogic::Toolbar1_ButtonClick(const QString& key) {
    if (key == u"new")
        clearAll();
    else if (key == u"save")
        saveFile(false);
    else if (key == u"to_xls")
        saveFile(true);
    else if (key == u"print")
        print();
}

void DataFormLogic::clearAll() {
    // The records stay as they are; new readings overwrite them.
    m_state.ResetReadings(); // count 0, the charts follow the newest readings again
    ResetTable();
    run(Hooks.RepaintLiveChart);
    run(Hooks.ReadingsCleared);
}

void DataFormLogic::saveFile(bool csv) {
    if (m_state.ReadingCount <= 0)
        return;
    const QString path =
        AskSavePath(m_dialog, QString::fromUtf16(csv ? kCsvExportFilter : kTextReportFilter));
    if (!path.isEmpty()) {
        QString error;
        const bool written =
            csv ? WriteCsvExport(m_state, path, &error)
                : WriteTextReport(m_state, path, QString::fromUtf16(kDataTableReportTitle), &error);
        if (!written)
            m_boxes.Message(FileWriteErrorText(path, error));
    }
    run(Hooks.ResumeReception);
}

void DataFormLogic::print() {
    if (m_state.ReadingCount <= 0)
        return;
    run(Hooks.PauseReception);
    run(Hooks.PrintDataReport);
    run(Hooks.ResumeReception);
}
