#include "charts/ChartScaleRules.h"

#include <QLocale>
#include <QTest>

class ChartScaleRulesTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void scaleOfText_data();
    void scaleOfText();
    void commaLocaleAcceptsBothSeparators();
    void zoomSteps();
    void liveCaptions();
    void graphCaptions();
    void captionsAtThe32BitLimits();
    void captionsFollowTheLocale();
};

void ChartScaleRulesTest::scaleOfText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("scale");
    // Every list text gives its own value.
    for (const char16_t* listed : kScaleListTexts)
        QTest::addRow("list %s", qPrintable(QString::fromUtf16(listed)))
            << QString::fromUtf16(listed) << QStringView(listed).toInt();
    QTest::newRow("typed 50") << "50" << 50;
    QTest::newRow("blanks around") << " \t50  " << 50;
    QTest::newRow("plus sign") << "+75" << 75;
    QTest::newRow("negative") << "-40" << -40;
    QTest::newRow("leading zeros") << "0000000000000000000000000000040" << 40;
    QTest::newRow("fraction down") << "12.4" << 12;
    QTest::newRow("fraction up") << "12.6" << 13;
    QTest::newRow("half to even down") << "2.5" << 2;
    QTest::newRow("half to even up") << "3.5" << 4;
    QTest::newRow("negative half") << "-2.5" << -2;
    QTest::newRow("just above half") << "2.50000000000000000000001" << 3;
    QTest::newRow("trailing point") << "7." << 7;
    QTest::newRow("leading point") << ".6" << 1;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("largest negative") << "-2147483647" << -2147483647;
    QTest::newRow("rounds to largest") << "2147483646.5" << 2147483646;
    // No usable scale: the start scale.
    QTest::newRow("zero") << "0" << 400;
    QTest::newRow("negative zero") << "-0" << 400;
    QTest::newRow("rounds to zero") << "0.5" << 400;
    QTest::newRow("point alone") << "." << 400;
    QTest::newRow("sign alone") << "-" << 400;
    QTest::newRow("empty") << "" << 400;
    QTest::newRow("blanks") << "   " << 400;
    QTest::newRow("letters") << "abc" << 400;
    QTest::newRow("trailing letters") << "50abc" << 400;
    QTest::newRow("inner blank") << "5 0" << 400;
    QTest::newRow("exponent") << "1e3" << 400;
    QTest::newRow("hex") << "0x10" << 400;
    QTest::newRow("two points") << "1.2.3" << 400;
    QTest::newRow("group separator") << "1,000" << 400;
    QTest::newRow("inf") << "inf" << 400;
    QTest::newRow("nan") << "nan" << 400;
    QTest::newRow("beyond 32 bits") << "2147483648" << 400;
    QTest::newRow("rounds beyond 32 bits") << "2147483647.5" << 400;
    QTest::newRow("beyond 32 bits negative") << "-2147483648" << 400;
    QTest::newRow("long digit string") << QString(400, u'9') << 400;
    QTest::newRow("full-width digits") << QString::fromUtf16(u"\uFF15\uFF10") << 400;
}

void ChartScaleRulesTest::scaleOfText() {
    QFETCH(QString, text);
    QTEST(static_cast<int>(ScaleFromText(text)), "scale");
}

void ChartScaleRulesTest::commaLocaleAcceptsBothSeparators() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(ScaleFromText("12,6"), 13);
    QCOMPARE(ScaleFromText("12.6"), 13);
    QCOMPARE(ScaleFromText("2,5"), 2);
    QCOMPARE(ScaleFromText("1.000"), 1); // a full stop is always the decimal separator
    QCOMPARE(ScaleFromText("1,2,3"), 400);
}

void ChartScaleRulesTest::zoomSteps() {
    // Walking in from the largest scale visits the whole list and stops at "10".
    QString text = "4000";
    QStringList visited{text};
    while (const std::optional<QString> next = ZoomInText(text)) {
        text = *next;
        visited << text;
        QVERIFY(visited.size() <= 9);
    }
    QCOMPARE(visited, QStringList({"4000", "2000", "1000", "400", "200", "100", "40", "20", "10"}));

    // And back out again, stopping at "4000".
    QStringList back{text};
    while (const std::optional<QString> next = ZoomOutText(text)) {
        text = *next;
        back.prepend(text);
        QVERIFY(back.size() <= 9);
    }
    QCOMPARE(back, visited);

    QCOMPARE(ZoomOutText("40"), QString("100"));
    QCOMPARE(ZoomInText("400"), QString("200"));
    // A text not in the list comes back unchanged (to be applied as it is).
    QCOMPARE(ZoomInText("50"), QString("50"));
    QCOMPARE(ZoomOutText(" 40"), QString(" 40"));
    QCOMPARE(ZoomOutText(""), QString(""));
}

void ChartScaleRulesTest::liveCaptions() {
    const auto captions = [](int scale) {
        const std::array<QString, 8> c = LiveAxisCaptions(scale);
        return QStringList(c.begin(), c.end());
    };
    QCOMPARE(captions(10), QStringList({"10", "7.5", "5", "2.5", "-2.5", "-5", "-7.5", "-10"}));
    QCOMPARE(captions(4000),
             QStringList({"4000", "3000", "2000", "1000", "-1000", "-2000", "-3000", "-4000"}));
    QCOMPARE(captions(40), QStringList({"40", "30", "20", "10", "-10", "-20", "-30", "-40"}));
    QCOMPARE(captions(50),
             QStringList({"50", "37.5", "25", "12.5", "-12.5", "-25", "-37.5", "-50"}));
    QCOMPARE(captions(-40), QStringList({"-40", "-30", "-20", "-10", "10", "20", "30", "40"}));
}

void ChartScaleRulesTest::graphCaptions() {
    const auto captions = [](int scale) {
        const std::array<QString, 17> c = GraphAxisCaptions(scale);
        QStringList list(c.begin(), c.end());
        list.removeAt(8);
        return list;
    };
    QCOMPARE(captions(10),
             QStringList({"10", "8.75", "7.5", "6.25", "5", "3.75", "2.5", "1.25", "-1.25", "-2.5",
                          "-3.75", "-5", "-6.25", "-7.5", "-8.75", "-10"}));
    QCOMPARE(captions(50),
             QStringList({"50", "43.75", "37.5", "31.25", "25", "18.75", "12.5", "6.25", "-6.25",
                          "-12.5", "-18.75", "-25", "-31.25", "-37.5", "-43.75", "-50"}));
    QCOMPARE(captions(400),
             QStringList({"400", "350", "300", "250", "200", "150", "100", "50", "-50", "-100",
                          "-150", "-200", "-250", "-300", "-350", "-400"}));
    QVERIFY(GraphAxisCaptions(400)[8].isEmpty()); // the title is not the scale's

    // The write order covers every caption but the title once, top and bottom alternating.
    std::array<int, 17> seen{};
    for (const int k : kGraphCaptionOrder)
        ++seen[static_cast<std::size_t>(k)];
    for (int k = 0; k <= 16; ++k)
        QCOMPARE(seen[static_cast<std::size_t>(k)], k == 8 ? 0 : 1);
    QCOMPARE(kGraphCaptionOrder[0], 0);
    QCOMPARE(kGraphCaptionOrder[1], 16);
    QCOMPARE(kGraphCaptionOrder[15], 9);
}

void ChartScaleRulesTest::captionsAtThe32BitLimits() {
    const std::array<QString, 17> top = GraphAxisCaptions(2147483647);
    QCOMPARE(top[0], QString("2147483647"));
    QCOMPARE(top[1], QString("1879048191.125"));
    QCOMPARE(top[3], QString("1342177279.375"));
    QCOMPARE(top[7], QString("268435455.875"));
    QCOMPARE(top[15], QString("-1879048191.125"));
    QCOMPARE(top[16], QString("-2147483647"));
    const std::array<QString, 17> bottom = GraphAxisCaptions(-2147483647);
    QCOMPARE(bottom[0], QString("-2147483647"));
    QCOMPARE(bottom[16], QString("2147483647"));
    const std::array<QString, 8> live = LiveAxisCaptions(2147483647);
    QCOMPARE(live[1], QString("1610612735.25"));
    QCOMPARE(live[7], QString("-2147483647"));
}

void ChartScaleRulesTest::captionsFollowTheLocale() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(LiveAxisCaptions(10)[1], QString("7,5"));
    QCOMPARE(GraphAxisCaptions(10)[1], QString("8,75"));
    QCOMPARE(GraphAxisCaptions(4000)[0], QString("4000")); // no group separator
}

QTEST_GUILESS_MAIN(ChartScaleRulesTest)
#include "ChartScaleRulesTest.moc"
