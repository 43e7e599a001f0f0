#include "table/DataForm.h"
#include "reports/AtomicFileWriter.h"
#include "reports/CsvExportWriter.h"
#include "reports/TextReportWriter.h"
#include "seams/MessageBoxes.h"
#include "seams/SaveDialog.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"
#include "support/FullDisk.h"
#include "support/ScriptedSeams.h"
#include "support/TestFiles.h"
#include "table/DataGridView.h"
#include "table/DataToolbar.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// A form with its collaborators; the hooks write what they were asked into calls.
struct Fixture {
    GVarMod state;
    ScriptedMessages boxes;
    ScriptedSaveDialog dialog;
    DataForm form{state, boxes, dialog};
    QStringList calls;

    Fixture() {
        form.SetHooks({[this] { calls << "resume"; }, [this] { calls << "pause"; },
                       [this] { calls << "print"; },
                       [this] {
                           calls << "chart";
                       }});
    }

    // Stores a reading as the reception handler does and shows it.
    void add(const QString& trh, const QString& data, const QString& unit, const QString& time) {
        Reading& r = state.AppendRecord();
        r.TRH = trh;
        r.Data = data;
        r.Value = data.toDouble();
        r.Unit = unit;
        r.Time = time;
        form.AppendReadingRow();
    }
    void add(int i) {
        add(QStringLiteral(" %1.5\u00B0C 4%1.0%").arg(20 + i % 10), QString::number(i % 100),
            QStringLiteral("m/s"),
            QStringLiteral("06.05.14\\10:11:%1").arg(i % 60, 2, 10, QLatin1Char('0')));
    }

    DataGridView& grid() { return form.MSFlexGrid1(); }
    QStringList row(int r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << grid().TextMatrix(r, c);
        return cells;
    }
};

// What the window shows on screen now, as painted bit by bit, and as a fresh full paint.
QImage onScreen(QWidget& w) {
    return w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}
QImage freshPaint(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void showAndSettle(QWidget& w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QApplication::processEvents();
}

} // namespace

class DataFormTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void startState();
    void rowsNewestFirstWithEmptyRowBelow();
    void newClearsTableOnly();
    void otherKeysDoNothing();
    void emptyTableActionsDoNothing();
    void saveAndExportWriteTheWritersBytes();
    void cancelWritesNothingButResumes();
    void failedSaveKeepsOldFileAndSaysWhy();
    void failedExportSaysWhy();
    void printPausesPrintsResumes();
    void toolbarByKeyboard();
    void gridKeyboardAndScrolling();
    void newestRowDrawnAtTop();
    void incrementalPaintMatchesFullPaint();
    void timeColumnHoldsEveryStamp_data();
    void timeColumnHoldsEveryStamp();
};

void DataFormTest::startState() {
    Fixture f;
    QCOMPARE(f.form.size(), QSize(438, 600));
    QCOMPARE(f.form.pos(), QPoint(500, 0));
    QCOMPARE(f.grid().geometry(), QRect(24, 32, 409, 513));
    QCOMPARE(f.grid().Rows(), 2);
    QCOMPARE(f.grid().Cols(), 5);
    QCOMPARE(f.row(0), QStringList({"NO.", "     T&RH  ", "     DATA ", "     UNIT", "     TIME"}));
    QCOMPARE(f.row(1), QStringList({"", "", "", "", ""}));
    QCOMPARE(f.form.Label3().text(), QStringLiteral("DataNo."));
    QCOMPARE(f.form.Label4().text(), QStringLiteral("0"));
    QCOMPARE(f.form.Label2().text(), QStringLiteral("MAX:  50000"));
    QCOMPARE(f.form.Label2().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(f.form.Label4().geometry(), QRect(104, 552, 97, 25));
    QCOMPARE(f.form.Toolbar1().geometry(), QRect(336, 552, 94, 26));
    const QStringList keys{"new", "save", "to_xls", "print"};
    for (int i = 0; i < 4; ++i) {
        QToolButton* b = f.form.Toolbar1().Button(i);
        QCOMPARE(b->toolTip(), keys[i]);
        QVERIFY(b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly);
        QVERIFY(f.form.Toolbar1().geometry().contains(b->geometry().translated(336, 552)));
        QCOMPARE(b->icon().pixmap(16, 16).size(), QSize(16, 16));
    }
}

void DataFormTest::rowsNewestFirstWithEmptyRowBelow() {
    Fixture f;
    f.add(" 23.5\u00B0C 45.6%", "1.23", "m/s", "06.05.14\\10:11:12");
    f.add("DP-5.2\u00B0F 60.1", "1.25", "km/h", "06.05.14\\10:11:13");
    f.add("WB 7.0\u00B0C 70.0%", "12", "CFM", "06.05.14\\10:11:14");
    QCOMPARE(f.grid().Rows(), 5);
    QCOMPARE(f.row(1),
             QStringList({"3", "WB 7.0\u00B0C 70.0%", "12", "CFM", "06.05.14\\10:11:14"}));
    QCOMPARE(f.row(2),
             QStringList({"2", "DP-5.2\u00B0F 60.1", "1.25", "km/h", "06.05.14\\10:11:13"}));
    QCOMPARE(f.row(3),
             QStringList({"1", " 23.5\u00B0C 45.6%", "1.23", "m/s", "06.05.14\\10:11:12"}));
    QCOMPARE(f.row(4), QStringList({"", "", "", "", ""}));
    QCOMPARE(f.form.Label4().text(), QStringLiteral("3"));
    QCOMPARE(f.grid().Row(), 1);
    QCOMPARE(f.grid().Col(), 4);
    // The start-up headings stay until a reset.
    QCOMPARE(f.grid().TextMatrix(0, 1), QStringLiteral("     T&RH  "));
    QVERIFY(f.calls.isEmpty());
}

void DataFormTest::newClearsTableOnly() {
    Fixture f;
    // On an empty table "new" still rebuilds the grid.
    f.form.Toolbar1_ButtonClick("new");
    QCOMPARE(f.grid().Rows(), 2);
    QCOMPARE(f.row(0), QStringList({"NO.", "T&RH", "DATA", "UNIT", "TIME"}));

    for (int i = 1; i <= 150; ++i)
        f.add(i);
    f.state.ViewHeld = true;
    f.state.ViewStart = 101;
    f.state.ViewSpan = 50;
    f.calls.clear();
    f.form.Toolbar1_ButtonClick("new");
    QCOMPARE(f.state.ReadingCount, 0);
    QCOMPARE(f.state.ViewHeld, false);
    QCOMPARE(f.state.ViewStart, 101); // the page is left for the next reading to move
    QCOMPARE(f.state.ViewSpan, 50);
    QCOMPARE(f.state.Readings(150).No, 150); // records are kept until overwritten
    QCOMPARE(f.grid().Rows(), 2);
    QCOMPARE(f.row(0), QStringList({"NO.", "T&RH", "DATA", "UNIT", "TIME"}));
    QCOMPARE(f.row(1), QStringList({"", "", "", "", ""}));
    QCOMPARE(f.form.Label4().text(), QStringLiteral("0"));
    QCOMPARE(f.calls, QStringList{"chart"}); // no resync after "new"
    QVERIFY(f.dialog.asked.isEmpty());

    f.add(" 1.0\u00B0C 2.0%", "4", "m/s", "t");
    QCOMPARE(f.row(1), QStringList({"1", " 1.0\u00B0C 2.0%", "4", "m/s", "t"}));
    QCOMPARE(f.grid().Rows(), 3);
    QCOMPARE(f.form.Label4().text(), QStringLiteral("1"));

    // The reset at the limit goes through ResetTable alone.
    f.calls.clear();
    f.form.ResetTable();
    QCOMPARE(f.grid().Rows(), 2);
    QCOMPARE(f.form.Label4().text(), QStringLiteral("0"));
    QCOMPARE(f.state.ReadingCount, 1); // the caller empties the reading table itself
    QVERIFY(f.calls.isEmpty());
}

void DataFormTest::otherKeysDoNothing() {
    Fixture f;
    f.add(1);
    f.dialog.answers = {QDir::temp().filePath("never.txt")};
    for (const char* key : {"Save", "NEW", "To_xls", "PRINT", "", " save", "save "})
        f.form.Toolbar1_ButtonClick(QString::fromLatin1(key));
    QVERIFY(f.dialog.asked.isEmpty());
    QVERIFY(f.boxes.shown.isEmpty());
    QVERIFY(f.calls.isEmpty());
    QCOMPARE(f.grid().Rows(), 3);
    QCOMPARE(f.state.ReadingCount, 1);
}

void DataFormTest::emptyTableActionsDoNothing() {
    Fixture f;
    f.add(1);
    f.form.Toolbar1_ButtonClick("new");
    f.calls.clear();
    for (const char* key : {"save", "to_xls", "print"})
        f.form.Toolbar1_ButtonClick(QString::fromLatin1(key));
    QVERIFY(f.dialog.asked.isEmpty());
    QVERIFY(f.boxes.shown.isEmpty());
    QVERIFY(f.calls.isEmpty());
}

void DataFormTest::saveAndExportWriteTheWritersBytes() {
    QTemporaryDir dir;
    Fixture f;
    f.add(" 23.5\u00B0C 45.6%", "1,23", "m/s", "06.05.14\\10:11:12");
    f.add("DP-5.2\u00B0F 60.1", "1,25", "m/s", "06.05.14\\10:11:13");
    f.state.Readings(1).Value = 1.23;
    f.state.Readings(2).Value = 1.25;

    const QString txt = dir.filePath("report.txt");
    const QString csv = dir.filePath("export"); // used as typed, no extension added
    f.dialog.answers = {txt, csv};
    QVERIFY(WriteFileBytes(txt, QByteArray(10000, 'x'))); // an existing file is replaced whole

    const QDateTime before = QDateTime::currentDateTime();
    f.form.Toolbar1_ButtonClick("save");
    const QDateTime after = QDateTime::currentDateTime();
    const QByteArray saved = ReadFileBytes(txt);
    QVERIFY(saved == TextReportBytes(f.state, "Brisel Data Logger", before) ||
            saved == TextReportBytes(f.state, "Brisel Data Logger", after));
    QCOMPARE(f.calls, QStringList{"resume"});

    f.form.Toolbar1_ButtonClick("to_xls");
    QCOMPARE(ReadFileBytes(csv), CsvExportBytes(f.state));
    QCOMPARE(f.calls, QStringList({"resume", "resume"}));

    // One dialog for both: it asks with each filter and starts at the last chosen name.
    QCOMPARE(f.dialog.asked.size(), 2);
    QCOMPARE(f.dialog.asked[0].title, QStringLiteral("Save"));
    QCOMPARE(f.dialog.asked[0].description, QStringLiteral("text files (*.txt)"));
    QCOMPARE(f.dialog.asked[0].pattern, QStringLiteral("*.txt"));
    QVERIFY(f.dialog.asked[0].startName.isEmpty());
    QCOMPARE(f.dialog.asked[1].description, QStringLiteral("csv files (*.csv)"));
    QCOMPARE(f.dialog.asked[1].pattern, QStringLiteral("*.csv"));
    QCOMPARE(f.dialog.asked[1].startName, txt);
    QVERIFY(f.boxes.shown.isEmpty());
    QCOMPARE(f.grid().Rows(), 4); // the grid is not touched
}

void DataFormTest::cancelWritesNothingButResumes() {
    QTemporaryDir dir;
    Fixture f;
    f.add(1);
    f.form.Toolbar1_ButtonClick("save");
    f.form.Toolbar1_ButtonClick("to_xls");
    QCOMPARE(f.dialog.asked.size(), 2);
    QCOMPARE(f.calls, QStringList({"resume", "resume"}));
    QVERIFY(f.boxes.shown.isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());
}

void DataFormTest::failedSaveKeepsOldFileAndSaysWhy() {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.txt");
    QVERIFY(WriteFileBytes(path, "old contents"));
    Fixture f;
    for (int i = 1; i <= 1000; ++i)
        f.add(i);
    f.dialog.answers = {path};

    // The disk is "full" part-way through the report.
    QVERIFY(UnderFileSizeLimit(4096, [&] { f.form.Toolbar1_ButtonClick("save"); }));

    QCOMPARE(ReadFileBytes(path), QByteArray("old contents"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.txt"});
    QCOMPARE(f.boxes.shown.size(), 1);
    const QString prefix = FileWriteErrorText(path, QString());
    QVERIFY(f.boxes.shown[0].startsWith(prefix));
    QVERIFY(f.boxes.shown[0].size() > prefix.size()); // with the reason
    QCOMPARE(f.calls, QStringList{"resume"});
}

void DataFormTest::failedExportSaysWhy() {
    Fixture f;
    f.add(1);
    const QString path = QStringLiteral("/nonexistent-dir/x/export.csv");
    f.dialog.answers = {path};
    f.form.Toolbar1_ButtonClick("to_xls");
    QCOMPARE(f.boxes.shown.size(), 1);
    QVERIFY(f.boxes.shown[0].startsWith(FileWriteErrorText(path, QString())));
    QCOMPARE(f.calls, QStringList{"resume"});
}

void DataFormTest::printPausesPrintsResumes() {
    Fixture f;
    f.add(1);
    f.form.Toolbar1_ButtonClick("print");
    QCOMPARE(f.calls, QStringList({"pause", "print", "resume"}));
    QVERIFY(f.dialog.asked.isEmpty());

    // Without a printer hook reception still resumes; unset hooks do nothing.
    QStringList calls;
    f.form.SetHooks({[&calls] { calls << "resume"; }, {}, {}, {}});
    f.form.Toolbar1_ButtonClick("print");
    f.form.Toolbar1_ButtonClick("new");
    QCOMPARE(calls, QStringList{"resume"});
}

void DataFormTest::toolbarByKeyboard() {
    Fixture f;
    showAndSettle(f.form);
    f.add(1);
    f.add(2);
    f.form.activateWindow();
    f.grid().setFocus();
    QTRY_VERIFY(f.grid().hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.form.Toolbar1().Button(0)); // "new"
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.form.Toolbar1().Button(3)); // "print"
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(f.calls, QStringList({"pause", "print", "resume"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), f.form.Toolbar1().Button(0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(f.grid().Rows(), 2);
    QCOMPARE(f.form.Label4().text(), QStringLiteral("0"));
}

void DataFormTest::gridKeyboardAndScrolling() {
    Fixture f;
    showAndSettle(f.form);
    for (int i = 1; i <= 2000; ++i)
        f.add(i);
    QApplication::processEvents();
    DataGridView& g = f.grid();
    g.setFocus();
    QCOMPARE(g.TopRow(), 1);

    QTest::keyClick(&g, Qt::Key_Down);
    QTest::keyClick(&g, Qt::Key_Left);
    QCOMPARE(g.Row(), 2);
    QCOMPARE(g.Col(), 3);
    QTest::keyClick(&g, Qt::Key_Home);
    QCOMPARE(g.Col(), 1); // the fixed column is not a current cell
    QTest::keyClick(&g, Qt::Key_Left);
    QCOMPARE(g.Col(), 1);

    // The oldest reading and the empty row below it can be reached and are brought into view.
    QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(g.Row(), 2001);
    QCOMPARE(g.TextMatrix(2000, 0), QStringLiteral("1"));
    const int visible = (g.viewport()->height() - g.RowHeight()) / g.RowHeight();
    QCOMPARE(g.TopRow(), 2001 - visible + 1);
    QCOMPARE(g.verticalScrollBar()->value(), g.verticalScrollBar()->maximum());

    // Scrolled down, new readings do not move the rows in view.
    const QString shown = g.TextMatrix(g.TopRow(), 0);
    f.add(2001);
    f.add(2002);
    QCOMPARE(g.TextMatrix(g.TopRow(), 0), shown);

    QTest::keyClick(&g, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(g.Row(), 1);
    QCOMPARE(g.TopRow(), 1);
    QTest::keyClick(&g, Qt::Key_PageDown);
    QCOMPARE(g.Row(), 1 + visible);
    QVERIFY(g.TopRow() > 1);

    // A click selects a body cell.
    const QRect cell = g.CellRect(g.TopRow() + 1, 2);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(g.Row(), g.TopRow() + 1);
    QCOMPARE(g.Col(), 2);
}

void DataFormTest::newestRowDrawnAtTop() {
    // The same reading drawn alone and drawn as the newest of three must look the same in row 1,
    // and the oldest of three must look like row 1 of a table holding it alone.
    const auto rowImage = [](Fixture& f, int row) {
        return freshPaint(*f.grid().viewport())
            .copy(f.grid().CellRect(row, 0).united(f.grid().CellRect(row, 4)));
    };
    Fixture three;
    three.add(" 23.5\u00B0C 45.6%", "1.23", "m/s", "06.05.14\\10:11:12");
    three.add("DP-5.2\u00B0F 60.1", "4.5", "km/h", "06.05.14\\10:11:13");
    three.add("WB 7.0\u00B0C 70.0%", "12", "CFM", "06.05.14\\10:11:14");

    Fixture newest;
    newest.add(" 23.5\u00B0C 45.6%", "1.23", "m/s", "06.05.14\\10:11:12");
    newest.add("DP-5.2\u00B0F 60.1", "4.5", "km/h", "06.05.14\\10:11:13");
    newest.form.ResetTable();
    newest.state.ReadingCount = 2;
    newest.add("WB 7.0\u00B0C 70.0%", "12", "CFM", "06.05.14\\10:11:14");
    QCOMPARE(newest.grid().TextMatrix(1, 0), QStringLiteral("3"));

    Fixture oldest;
    oldest.add(" 23.5\u00B0C 45.6%", "1.23", "m/s", "06.05.14\\10:11:12");

    const QImage top = rowImage(three, 1);
    QCOMPARE(top, rowImage(newest, 1));
    QCOMPARE(rowImage(three, 3), rowImage(oldest, 1));
    QVERIFY(top != rowImage(three, 3));
    // The row is drawn: white body cells with dark text, grey fixed first cell.
    const QRect first = three.grid().CellRect(1, 0);
    QCOMPARE(QColor(top.pixel(first.width() - 4, 2)), DataGridView::kFixedColor);
    const QRect second = three.grid().CellRect(1, 1).translated(-first.left(), -first.top());
    QCOMPARE(QColor(top.pixel(second.right() - 3, 2)), QColor(Qt::white));
    int dark = 0;
    for (int x = second.left(); x < second.right(); ++x)
        for (int y = 0; y < second.height(); ++y)
            dark += qGray(top.pixel(x, y)) < 100;
    QVERIFY(dark > 20);
    // Under the empty row the grid shows its dark background.
    const QImage whole = freshPaint(*three.grid().viewport());
    QCOMPARE(QColor(whole.pixel(10, three.grid().CellRect(4, 0).bottom() + 5)),
             DataGridView::kBackgroundColor);
}

void DataFormTest::incrementalPaintMatchesFullPaint() {
    // Rows appear by moving pixels and painting the new row; the result must be what a full
    // paint gives, while the table grows, with the focus frame, scrolled down and after a reset.
    Fixture f;
    showAndSettle(f.form);
    const auto check = [&f](const char* when) {
        QApplication::processEvents();
        const QImage shown = onScreen(f.form);
        if (shown != freshPaint(f.form))
            QFAIL(when);
        // The scroll bar may take a longer range late, but only while that shows no difference.
        DataGridView& g = f.grid();
        g.SetTopRow(g.TopRow());
        const int visible = (g.viewport()->height() - g.RowHeight()) / g.RowHeight();
        QCOMPARE(g.verticalScrollBar()->maximum(), std::max(0, g.Rows() - 1 - visible));
        QApplication::processEvents();
        if (onScreen(f.form) != shown)
            QFAIL(when);
    };
    check("start");
    for (int i = 1; i <= 40; ++i) {
        f.add(i);
        QApplication::processEvents();
    }
    check("40 rows, scroll bar shown");
    f.form.activateWindow();
    f.grid().setFocus();
    QTRY_VERIFY(f.grid().hasFocus());
    for (int i = 41; i <= 700; ++i) {
        f.add(i);
        QApplication::processEvents();
    }
    check("700 rows with focus");
    for (int i = 701; i <= 705; ++i)
        f.add(i); // several rows before one paint
    check("rows added between paints");
    f.add(706);
    f.form.repaint(); // a paint forced before the rows moved
    check("forced repaint");
    f.add(707);
    f.grid().SetTopRow(3); // a scroll before the rows moved
    check("scrolled before the rows moved");
    f.grid().SetTopRow(1);
    f.grid().SetTopRow(50);
    check("scrolled");
    for (int i = 708; i <= 727; ++i) {
        f.add(i);
        QApplication::processEvents();
    }
    QCOMPARE(f.grid().TopRow(), 70);
    check("scrolled, rows added");
    f.form.Toolbar1_ButtonClick("new");
    check("after new");
    QCOMPARE(f.grid().TopRow(), 1);
    f.add(1);
    check("first row after new");
}

void DataFormTest::timeColumnHoldsEveryStamp_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("wider"); // than the classic 127 pixels
    QTest::newRow("German: classic width") << QLocale(QLocale::German, QLocale::Germany) << false;
    QTest::newRow("C: month names") << QLocale::c() << true;
    QTest::newRow("Thai: words for hours") << QLocale(QLocale::Thai, QLocale::Thailand) << true;
    QTest::newRow("Korean: half-day marks")
        << QLocale(QLocale::Korean, QLocale::SouthKorea) << true;
}

void DataFormTest::timeColumnHoldsEveryStamp() {
    // Every stamp of a year, each hour, fits between the cell's 3-pixel paddings and its grid
    // line: none is cut.
    QFETCH(QLocale, locale);
    QFETCH(bool, wider);
    QLocale::setDefault(locale);
    Fixture f;
    const int width = f.grid().ColumnWidth(4);
    QCOMPARE(width > 127, wider);
    const QFontMetricsF metrics(f.grid().font());
    const QString timeFormat = locale.timeFormat(QLocale::LongFormat).remove(u't').trimmed();
    for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(1)) {
        for (int hour = 0; hour < 24; ++hour) {
            const QString stamp = PlainText(locale.toString(d, QLocale::ShortFormat) + u'\\' +
                                            locale.toString(QTime(hour, 58, 58), timeFormat));
            if (metrics.horizontalAdvance(stamp) + 7 > width)
                QFAIL(qPrintable(stamp + QStringLiteral(" is cut at %1 pixels").arg(width)));
        }
    }
}

QTEST_MAIN(DataFormTest)
#include "DataFormTest.moc"
