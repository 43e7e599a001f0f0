#include "state/SystemTexts.h"

#include <QLocale>
#include <QTest>

#include <ctime>

class SystemTextsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void numberTextFullStop_data();
    void numberTextFullStop();
    void numberTextFollowsLocale();
    void datesAndTimesFollowLocale();
    void plainFormsForFiles();
    void localClockHasTheZonesOffset();
    void windowsPathsKeepTheirSeparators();
};

void SystemTextsTest::numberTextFullStop_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 25.0 << "25";
    QTest::newRow("tenths") << 23.5 << "23.5";
    QTest::newRow("hundredths, leading zero") << 0.05 << "0.05";
    QTest::newRow("binary inexact") << 123 / 100.0 << "1.23";
    QTest::newRow("thousandths") << 65535 / 1000.0 << "65.535";
    QTest::newRow("no grouping") << 1234567.0 << "1234567";
    QTest::newRow("negative") << -5.2 << "-5.2";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("15 digits") << 2147483647 / 8.0 * 7 << "1879048191.125";
    QTest::newRow("rounded to 15 significant") << 1.0 / 3 << "0.333333333333333";
}

void SystemTextsTest::numberTextFullStop() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QFETCH(double, value);
    QTEST(NumberText(value), "text");
}

void SystemTextsTest::numberTextFollowsLocale() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(NumberText(1.23), QStringLiteral("1,23"));
    QCOMPARE(NumberText(12345.5), QStringLiteral("12345,5"));
    QCOMPARE(NumberText(-0.0), QStringLiteral("0"));
}

void SystemTextsTest::datesAndTimesFollowLocale() {
    const QDateTime at(QDate(2014, 5, 6), QTime(10, 11, 12));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(ShortDateText(at.date()), QStringLiteral("06.05.14"));
    QCOMPARE(TimeOfDayText(at.time()), QStringLiteral("10:11:12"));
    QCOMPARE(ReadingTimeText(at), QStringLiteral("06.05.14\\10:11:12"));
    QCOMPARE(ClockText(at), QStringLiteral("06.05.14 10:11:12"));

    // Seconds are kept and the time zone is left out, also in a 12-hour locale.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(TimeOfDayText(QTime(22, 1, 2)), QStringLiteral("10:01:02 PM"));
    QCOMPARE(ReadingTimeText(at), QStringLiteral("5/6/14\\10:11:12 AM"));
}

void SystemTextsTest::plainFormsForFiles() {
    // Locales whose texts hold characters that Windows-1252 lacks: minus signs, direction marks,
    // digits and separators of other scripts. Files get the plain forms.
    const QDateTime at(QDate(2014, 5, 6), QTime(22, 1, 2));
    const struct {
        const char* locale;
        char kind; // n: -5.2, d: the date, t: the time of day
        const char* plain;
    } cases[] = {{"sv_SE", 'n', "-5,2"},        {"nb_NO", 'n', "-5,2"},
                 {"fa_IR", 'n', "-5.2"},        {"ar_EG", 'd', "6/5/2014"},
                 {"bn_BD", 't', "10:01:02 PM"}, {"fi_FI", 't', "22.01.02"}};
    for (const auto& c : cases) {
        QLocale::setDefault(QLocale(QString::fromLatin1(c.locale)));
        const QString text = c.kind == 'n'   ? NumberText(-5.2)
                             : c.kind == 'd' ? ShortDateText(at.date())
                                             : TimeOfDayText(at.time());
        QVERIFY2(text == QLatin1String(c.plain), qPrintable(c.locale + (": " + text)));
    }
    // Narrow no-break space (newer English time formats), thin and figure spaces.
    QCOMPARE(PlainText(QString::fromUtf16(u"10:01:02\u202FPM 1\u20092\u20073")),
             QStringLiteral("10:01:02 PM 1 2 3"));
}

void SystemTextsTest::localClockHasTheZonesOffset() {
#ifdef Q_OS_WIN
    QSKIP("Windows takes the zone from its own settings, which TZ does not change");
#endif
    qputenv("TZ", "Asia/Kolkata"); // 5 h 30 min ahead of UTC all year
    ::tzset();
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    const QDateTime now = LocalNow();
    QCOMPARE(now.offsetFromUtc(), 5 * 3600 + 30 * 60);
    QVERIFY(utc.msecsTo(now) >= 0 && utc.msecsTo(now) < 60000); // the same instant
}

void SystemTextsTest::windowsPathsKeepTheirSeparators() {
#ifndef Q_OS_WIN
    QSKIP("a Windows rule: elsewhere a backslash in a name is escaped (the logger's tests)");
#endif
    QCOMPARE(QuotedPath(QStringLiteral("C:\\Jobs\\it's\tnew.csv")),
             QStringLiteral("'C:\\Jobs\\it\\'s\\tnew.csv'"));
}

QTEST_GUILESS_MAIN(SystemTextsTest)
#include "SystemTextsTest.moc"
