#include "reports/DataReportLayout.h"
#include "reports/GraphReportLayout.h"
#include "state/GVarMod.h"
#include "support/PrintFixtures.h"

#include <QLocale>
#include <QTest>

namespace {

const QDate kDay(2014, 5, 6); // "06.05.14" in the pinned locale
constexpr double kA4Width = 11906;

QStringList describe(const PrintPage& page) {
    QStringList lines;
    for (const PrintStep& step : page)
        lines << DescribeStep(step);
    return lines;
}

void fill(GVarMod& s, int count) {
    FillPrintReadings(s, count, [](Reading& r, int) {
        r.TRH = QStringLiteral("T%1").arg(r.No);
        r.Value = r.No;
    });
}

// The row texts of a page as "y:No|TRH", in order.
QStringList rows(const PrintPage& page) {
    QStringList out;
    for (const PrintStep& step : page) {
        const auto* t = std::get_if<TextStep>(&step);
        if (t && t->x == 1100 && t->y > 1200 && t->y < 16000)
            out << QStringLiteral("%1:%2").arg(t->y).arg(t->text);
    }
    return out;
}

const QStringList kPageHead{
    "page A4 portrait",
    "text 2200,400 \"Brisel Data Report\" Arial 24 bold",
    "text 1100,1200 \"NO.\" Arial 15 bold",
    "text 2100,1200 \"T&RH\" Arial 15 bold",
    "text 5100,1200 \"DATA\" Arial 15 bold",
    "text 6600,1200 \"UNIT\" Arial 15 bold",
    "text 7600,1200 \"TIME\" Arial 15 bold",
};

} // namespace

class PrintLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void dataReportOfOneReading();
    void dataReportPageBreaks();
    void dataReportFooterFollowsSheetAndRestarts();
    void graphReportFrameAndTexts();
    void graphReportFullPage();
    void graphReportSingleAndEmpty();
};

void PrintLayoutTest::dataReportOfOneReading() {
    GVarMod s;
    fill(s, 1);
    s.Readings(1).TRH = QString::fromUtf8("DP 23.5°C 45.6%");
    const DataReportLayout layout(s, 1, kDay, kA4Width);
    QCOMPARE(layout.PageCount(), 1);
    const QStringList expected =
        kPageHead + QStringList{"text 1100,1600 \" 1 \" Arial 12",
                                QString::fromUtf8("text 2100,1600 \"DP 23.5°C 45.6%\" Arial 12"),
                                "text 5100,1600 \"D1\" Arial 12",
                                "text 6600,1600 \"m/s\" Arial 12",
                                "text 7600,1600 \"06.05.14\\10:11:12\" Arial 12",
                                "text 3953,16000 \"Page 1   (06.05.14)\" Arial 12"};
    QCOMPARE(describe(layout.Page(1)), expected);
}

void PrintLayoutTest::dataReportPageBreaks() {
    GVarMod s;
    fill(s, 50000);

    // 36 readings: a full page, then a page with only title, headings and footer.
    const DataReportLayout full(s, 36, kDay, kA4Width);
    QCOMPARE(full.PageCount(), 2);
    const QStringList first = rows(full.Page(1));
    QCOMPARE(first.size(), 36);
    QCOMPARE(first.first(), QStringLiteral("1600: 1 "));
    QCOMPARE(first.last(), QStringLiteral("15600: 36 "));
    const QStringList trailing =
        kPageHead + QStringList{"text 3953,16000 \"Page 2   (06.05.14)\" Arial 12"};
    QCOMPARE(describe(full.Page(2)), trailing);

    // 37 readings: the 37th alone at the top of page 2.
    const DataReportLayout spill(s, 37, kDay, kA4Width);
    QCOMPARE(spill.PageCount(), 2);
    QCOMPARE(rows(spill.Page(1)), first);
    QCOMPARE(rows(spill.Page(2)), QStringList{"1600: 37 "});
    const QStringList second = describe(spill.Page(2));
    QCOMPARE(second.mid(0, 7), kPageHead);
    QCOMPARE(second.size(), 7 + 5 + 1);
    QCOMPARE(second[8], QStringLiteral("text 2100,1600 \"T37\" Arial 12"));
    QCOMPARE(second.last(), QStringLiteral("text 3953,16000 \"Page 2   (06.05.14)\" Arial 12"));

    // Only the count given is printed, even when more readings are stored.
    const DataReportLayout all(s, 50000, kDay, kA4Width);
    QCOMPARE(all.PageCount(), 1389);
    QCOMPARE(rows(all.Page(1389)).size(), 50000 - 1388 * 36);
    QCOMPARE(rows(all.Page(1389)).last(), QStringLiteral("%1: 50000 ").arg(1200 + 400 * 32));
    QCOMPARE(all.FooterText(1389), QStringLiteral("Page 1389   (06.05.14)"));
    QCOMPARE(rows(all.Page(1000)).first(), QStringLiteral("1600: 35965 "));
}

void PrintLayoutTest::dataReportFooterFollowsSheetAndRestarts() {
    GVarMod s;
    fill(s, 80);
    // Half the sheet is taken without rounding.
    const DataReportLayout odd(s, 80, kDay, 11905.5);
    const PrintPage last = odd.Page(3);
    const auto* footer = std::get_if<TextStep>(&last.back());
    QVERIFY(footer);
    QCOMPARE(footer->x, 3952.75);
    QCOMPARE(footer->text, QStringLiteral("Page 3   (06.05.14)"));

    // Every print numbers its pages from 1 and writes the date of the locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const DataReportLayout again(s, 80, kDay, kA4Width);
    QCOMPARE(again.FooterText(1), QStringLiteral("Page 1   (5/6/14)"));
}

void PrintLayoutTest::graphReportFrameAndTexts() {
    GVarMod s; // empty table: no curve, PlotPoints untouched
    s.PlotPoints[0] = {7, 8, 9};
    const QStringList steps = describe(GraphReportPage(s, PrintGraphTexts("101", "150", "200")));
    QCOMPARE(steps.size(), 1 + 1 + 17 + 3 + 1 + 5 + 100 + 17);
    QCOMPARE(steps[0], QStringLiteral("page A4 landscape"));
    QCOMPARE(steps[1], QStringLiteral("text 5300,800 \"Brisel Graph Report\" Arial 24 bold"));
    QCOMPARE(steps[2], QStringLiteral("text 2500,2834 \"40\" Arial 10"));
    QCOMPARE(steps[10], QStringLiteral("text 2500,6146 \"0\" Arial 10"));
    QCOMPARE(steps[18], QStringLiteral("text 2500,9458 \"-40\" Arial 10"));
    QCOMPARE(steps.mid(19, 4),
             (QStringList{"text 3105,10000 \"101\" Arial 10", "text 8230,10000 \"150\" Arial 10",
                          "text 13470,10000 \"200\" Arial 10",
                          "text 7000,1500 \"06.05.14 10:11:12\" Arial 10"}));
    QCOMPARE(steps.mid(23, 5),
             (QStringList{"line 3000,2500 13605,2500 solid", "line 3000,9940 13605,9940 solid",
                          "line 3000,2500 3000,9940 solid", "line 13605,2500 13605,9940 solid",
                          "line 3000,6226 13605,6226 solid"}));
    QCOMPARE(steps[28], QStringLiteral("line 3105,9880 3105,9940 solid"));
    QCOMPARE(steps[127], QStringLiteral("line 13500,9880 13500,9940 solid"));
    QCOMPARE(steps[128], QStringLiteral("line 3000,2914 13605,2914 dotted"));
    QCOMPARE(steps[136], QStringLiteral("line 3000,6226 13605,6226 dotted")); // over the zero line
    QCOMPARE(steps.last(), QStringLiteral("line 3000,9538 13605,9538 dotted"));
    QCOMPARE(s.PlotPoints[0].record, 7);
    QCOMPARE(s.PlotPoints[0].y, 9);
}

void PrintLayoutTest::graphReportFullPage() {
    GVarMod s;
    fill(s, 250);
    s.ChartScale = 40;
    s.Readings(101).Value = 40;  // positive full scale: pixel 31
    s.Readings(102).Value = 0;   // zero: pixel 247, 21 twips above the printed zero line
    s.Readings(103).Value = 2.5; // 247 - 13.5 rounds to the even 234
    s.Readings(200).Value = 5;
    s.ViewStart = 101;
    s.ViewSpan = 100;
    const PrintPage page = GraphReportPage(s, PrintGraphTexts("101", "150", "200"));
    const QStringList curve = describe(page).mid(145);
    QCOMPARE(curve.size(), 99 * 3);
    QCOMPARE(curve.mid(0, 6), (QStringList{"line 3210,6205 3105,2965 solid", "dot 3210,6205 r30",
                                           "dot 3105,2965 r30", "line 3315,6010 3210,6205 solid",
                                           "dot 3315,6010 r30", "dot 3210,6205 r30"}));
    // The last point sits inside the right frame line at 13605.
    QCOMPARE(curve[curve.size() - 2], QStringLiteral("dot 13500,5800 r30"));
    QCOMPARE(curve.last().left(10), QStringLiteral("dot 13395,"));
    // The window's pixel points are filled again, as the graph window does.
    QCOMPARE(s.PlotPoints[0].record, 101);
    QCOMPARE(s.PlotPoints[0].x, 7);
    QCOMPARE(s.PlotPoints[0].y, 31);
    QCOMPARE(s.PlotPoints[99].record, 200);
    QCOMPARE(s.PlotPoints[99].y, 220);
}

void PrintLayoutTest::graphReportSingleAndEmpty() {
    GVarMod s;
    fill(s, 101);
    s.ChartScale = 400;
    s.Readings(101).Value = 800; // twice the scale: above the frame, drawn where it falls
    s.ApplyLivePage();           // page 101 ... 101
    const QStringList one =
        describe(GraphReportPage(s, PrintGraphTexts("101", "150", "200"))).mid(145);
    QCOMPARE(one, QStringList{"dot 3105,-275 r30"});

    // After a reset the old page is still described, but nothing is plotted.
    s.ResetReadings();
    QCOMPARE(describe(GraphReportPage(s, PrintGraphTexts("101", "150", "200"))).size(), 145);
}

QTEST_GUILESS_MAIN(PrintLayoutTest)
#include "PrintLayoutTest.moc"
