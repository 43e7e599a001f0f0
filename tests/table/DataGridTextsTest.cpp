#include "table/DataGridTexts.h"

#include <QStringList>
#include <QTest>

namespace {
// Records what the grid reported.
class Recorder : public DataGridObserver {
public:
    QStringList events;
    void GridCleared() override { events << "cleared"; }
    void RowInsertedAtTop() override { events << "inserted"; }
    void CellChanged(int row, int col) override {
        events << QStringLiteral("cell %1 %2").arg(row).arg(col);
    }
    void CurrentCellChanged(int oldRow, int oldCol) override {
        events << QStringLiteral("current from %1 %2").arg(oldRow).arg(oldCol);
    }
};
} // namespace

class DataGridTextsTest : public QObject {
    Q_OBJECT
private slots:
    void insertsAtTopAcrossBlocks();
    void firstCellsKeepTheirExactText();
    void outsideCellsAreEmptyAndIgnored();
    void clearLeavesNothingBehind();
    void reportsChanges();
};

void DataGridTextsTest::insertsAtTopAcrossBlocks() {
    DataGridTexts g;
    QCOMPARE(g.Rows(), 2);
    constexpr int n = 10000; // more than two storage blocks
    for (int i = 1; i <= n; ++i) {
        g.InsertRowAtTop(QString::number(i));
        g.SetTextMatrix(1, 4, QStringLiteral("t%1").arg(i));
    }
    QCOMPARE(g.Rows(), n + 2);
    for (int row : {1, 2, 4096, 4097, 5000, 8192, 9999, 10000}) {
        const int expected = n + 1 - row;
        QCOMPARE(g.TextMatrix(row, 0), QString::number(expected));
        QCOMPARE(g.TextMatrix(row, 4), QStringLiteral("t%1").arg(expected));
    }
    QVERIFY(g.TextMatrix(n + 1, 0).isEmpty()); // the empty row stays at the bottom
    QVERIFY(g.TextMatrix(n + 1, 4).isEmpty());
    g.SetTextMatrix(5000, 2, QStringLiteral("x"));
    g.InsertRowAtTop(QStringLiteral("new"));
    QCOMPARE(g.TextMatrix(5001, 2), QStringLiteral("x")); // the row moved down with its text
    QVERIFY(g.TextMatrix(1, 2).isEmpty());
}

void DataGridTextsTest::firstCellsKeepTheirExactText() {
    DataGridTexts g;
    const QStringList texts{"0",   "7", "007", "-1",         "+3",         " 5",          "5 ",
                            "abc", "",  "1.5", "2147483647", "2147483648", "99999999999", "50000"};
    for (const QString& t : texts)
        g.InsertRowAtTop(t);
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(g.TextMatrix(int(texts.size()) - i, 0), texts[i]);
    // Overwriting a first cell replaces a number with a text and the other way round.
    g.SetTextMatrix(1, 0, QStringLiteral("abc"));
    QCOMPARE(g.TextMatrix(1, 0), QStringLiteral("abc"));
    g.SetTextMatrix(1, 0, QStringLiteral("12"));
    QCOMPARE(g.TextMatrix(1, 0), QStringLiteral("12"));
    g.SetTextMatrix(1, 0, QString());
    QVERIFY(g.TextMatrix(1, 0).isEmpty());
}

void DataGridTextsTest::outsideCellsAreEmptyAndIgnored() {
    DataGridTexts g;
    Recorder r;
    g.SetObserver(&r);
    for (auto [row, col] : {std::pair{-1, 0}, {2, 0}, {0, 5}, {1, -1}}) {
        g.SetTextMatrix(row, col, QStringLiteral("x"));
        QVERIFY(g.TextMatrix(row, col).isEmpty());
    }
    g.SetRow(2);
    g.SetCol(5);
    QCOMPARE(g.Row(), 1);
    QCOMPARE(g.Col(), 1);
    QVERIFY(r.events.isEmpty());
}

void DataGridTextsTest::clearLeavesNothingBehind() {
    DataGridTexts g;
    g.SetTextMatrix(0, 1, QStringLiteral("head"));
    for (int i = 0; i < 5000; ++i) {
        g.InsertRowAtTop(i % 2 ? QStringLiteral("n%1").arg(i) : QString::number(i));
        for (int c = 1; c < 5; ++c)
            g.SetTextMatrix(1, c, QStringLiteral("c%1").arg(c));
    }
    g.SetRow(7);
    g.SetCol(3);
    g.Clear();
    QCOMPARE(g.Rows(), 2);
    QCOMPARE(g.Row(), 1);
    QCOMPARE(g.Col(), 1);
    for (int row = 0; row < 2; ++row)
        for (int c = 0; c < 5; ++c)
            QVERIFY(g.TextMatrix(row, c).isEmpty());
    // Rows added after a clear start empty, although their storage held texts before.
    for (int i = 0; i < 5000; ++i)
        g.InsertRowAtTop(QString());
    for (int row : {1, 2, 4096, 5000, 5001})
        for (int c = 0; c < 5; ++c)
            QVERIFY(g.TextMatrix(row, c).isEmpty());
}

void DataGridTextsTest::reportsChanges() {
    DataGridTexts g;
    Recorder r;
    g.SetObserver(&r);
    g.InsertRowAtTop(QStringLiteral("1"));
    g.SetTextMatrix(1, 3, QStringLiteral("u"));
    g.SetRow(1); // unchanged: no report
    g.SetCol(4);
    g.SetRow(2);
    g.Clear();
    QCOMPARE(r.events, QStringList({"inserted", "cell 1 3", "current from 1 1", "current from 1 4",
                                    "cleared"}));
    g.SetObserver(nullptr);
    g.InsertRowAtTop(QStringLiteral("2"));
    QCOMPARE(r.events.size(), 5);
}

QTEST_GUILESS_MAIN(DataGridTextsTest)
#include "DataGridTextsTest.moc"
