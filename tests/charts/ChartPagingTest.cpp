#include "charts/ChartPaging.h"
#include "state/GVarMod.h"

#include <QTest>

namespace {
// A table of n readings with the page following the newest, as the reception handler leaves it.
void fill(GVarMod& s, int n) {
    for (int i = 0; i < n; ++i)
        s.AppendRecord();
    s.ApplyLivePage();
}
struct Page {
    int start;
    int span;
    bool held;
    bool operator==(const Page&) const = default;
};
Page page(const GVarMod& s) {
    return {s.ViewStart, s.ViewSpan, s.ViewHeld};
}
} // namespace

namespace QTest {
template <> char* toString(const Page& p) {
    return qstrdup(QByteArray::number(p.start) + "+" + QByteArray::number(p.span) +
                   (p.held ? " held" : " following"));
}
} // namespace QTest

class ChartPagingTest : public QObject {
    Q_OBJECT
private slots:
    void noReadingsNothingMoves();
    void hundredReadings();
    void walkThrough250();
    void nextFrom201();
    void newestOfAFullTable();
    void pageNumbers();
};

void ChartPagingTest::noReadingsNothingMoves() {
    GVarMod s;
    QVERIFY(!MoveToFirstPage(s));
    QVERIFY(!MoveToPreviousPage(s));
    QVERIFY(!MoveToNextPage(s));
    QVERIFY(!MoveToNewestPage(s));
    QCOMPARE(page(s), (Page{1, 0, false}));

    // After the table is emptied the page still describes the old one; nothing moves either.
    fill(s, 350);
    QVERIFY(MoveToPreviousPage(s));
    s.ResetReadings();
    const Page before = page(s);
    QVERIFY(!MoveToFirstPage(s));
    QVERIFY(!MoveToPreviousPage(s));
    QVERIFY(!MoveToNextPage(s));
    QVERIFY(!MoveToNewestPage(s));
    QCOMPARE(page(s), before);
}

void ChartPagingTest::hundredReadings() {
    GVarMod s;
    fill(s, 100);
    QVERIFY(!MoveToFirstPage(s));
    QVERIFY(!MoveToPreviousPage(s));
    QVERIFY(!MoveToNextPage(s));
    QVERIFY(MoveToNewestPage(s)); // moves (to where it already is) and repaints
    QCOMPARE(page(s), (Page{1, 100, false}));
    QCOMPARE(PageNumberTexts(s), (std::array<QString, 3>{"1", "50", "100"}));
}

void ChartPagingTest::walkThrough250() {
    GVarMod s;
    fill(s, 250);
    QCOMPARE(page(s), (Page{201, 50, false}));
    QVERIFY(MoveToFirstPage(s));
    QCOMPARE(page(s), (Page{1, 100, true}));
    QVERIFY(!MoveToPreviousPage(s));
    QVERIFY(MoveToNextPage(s));
    QCOMPARE(page(s), (Page{101, 100, true}));
    QVERIFY(MoveToNextPage(s));
    QCOMPARE(page(s), (Page{201, 50, false})); // reached the newest: following again
    QVERIFY(!MoveToNextPage(s));
    QCOMPARE(page(s), (Page{201, 50, false}));
    QVERIFY(MoveToPreviousPage(s));
    QCOMPARE(page(s), (Page{101, 100, true}));
    QVERIFY(MoveToPreviousPage(s));
    QCOMPARE(page(s), (Page{1, 100, true}));
    QVERIFY(MoveToNewestPage(s));
    QCOMPARE(page(s), (Page{201, 50, false}));
}

void ChartPagingTest::nextFrom201() {
    GVarMod s;
    fill(s, 201);
    QVERIFY(MoveToFirstPage(s));
    QVERIFY(MoveToNextPage(s));
    QCOMPARE(page(s), (Page{101, 100, true})); // 101 readings remain: a full page, held
    QVERIFY(!MoveToNextPage(s));               // 201 - 101 = 100
    QVERIFY(MoveToNewestPage(s));
    QCOMPARE(page(s), (Page{201, 1, false}));
    QCOMPARE(PageNumberTexts(s), (std::array<QString, 3>{"201", "250", "300"}));
}

void ChartPagingTest::newestOfAFullTable() {
    GVarMod s;
    fill(s, kReadingLimit);
    QVERIFY(MoveToFirstPage(s));
    QVERIFY(MoveToNewestPage(s));
    QCOMPARE(page(s), (Page{49901, 100, false}));
    QVERIFY(!MoveToNextPage(s));
}

void ChartPagingTest::pageNumbers() {
    GVarMod s;
    fill(s, 237);
    QCOMPARE(PageNumbers(s), (std::array<std::int32_t, 3>{201, 250, 300}));
    QVERIFY(MoveToPreviousPage(s));
    QCOMPARE(PageNumberTexts(s), (std::array<QString, 3>{"101", "150", "200"}));
}

QTEST_GUILESS_MAIN(ChartPagingTest)
#include "ChartPagingTest.moc"
