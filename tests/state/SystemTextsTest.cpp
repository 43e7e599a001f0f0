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
    void plainFormsForFiles_data();
    void plainFormsForFiles();
    void localClockHasTheZonesOffset();
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

void SystemTextsTest::plainFormsForFiles_data() {
    // Locales whose texts hold characters that Windows-1252 lacks; files get the plain forms.
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("Swedish minus sign") << "sv_SE"
                                        << "number"
                                        << "-5,2";
    QTest::newRow("Norwegian minus sign") << "nb_NO"
                                          << "number"
                                          << "-5,2";
    QTest::newRow("Persian digits, marks and minus") << "fa_IR"
                                                     << "number"
                                                     << "-5.2";
    QTest::newRow("Arabic digits and separators") << "ar_EG"
                                                  << "date"
                                                  << "6/5/2014";
    QTest::newRow("Bengali digits") << "bn_BD"
                                    << "time"
                                    << "10:01:02 PM";
    QTest::newRow("Finnish time") << "fi_FI"
                                  << "time"
                                  << "22.01.02";
    QTest::newRow("narrow no-break space before PM")
        << "" << QString::fromUtf16(u"10:01:02\u202FPM") << "10:01:02 PM";
    QTest::newRow("thin space, figure space")
        << "" << QString::fromUtf16(u"1\u20092\u20073") << "1 2 3";
}

void SystemTextsTest::plainFormsForFiles() {
    QFETCH(QString, locale);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(locale));
    const QDateTime at(QDate(2014, 5, 6), QTime(22, 1, 2));
    if (kind == QStringLiteral("number"))
        QCOMPARE(NumberText(-5.2), text);
    else if (kind == QStringLiteral("date"))
        QCOMPARE(ShortDateText(at.date()), text);
    else if (kind == QStringLiteral("time"))
        QCOMPARE(TimeOfDayText(at.time()), text);
    else
        QCOMPARE(PlainText(kind), text);
}

void SystemTextsTest::localClockHasTheZonesOffset() {
    // A zone half an hour off the whole hours and without summer time: 5 h 30 min ahead of UTC.
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", "Asia/Kolkata");
    ::tzset();
    const QDateTime utcBefore = QDateTime::currentDateTimeUtc();
    const QDateTime now = LocalNow();
    QCOMPARE(now.offsetFromUtc(), 5 * 3600 + 30 * 60);
    const qint64 after = utcBefore.msecsTo(now); // the same instant, whatever the offset
    QVERIFY2(after >= 0 && after < 60000, qPrintable(QString::number(after)));
    QCOMPARE(QDateTime(now.date(), now.time(), Qt::UTC).secsTo(utcBefore.addMSecs(after)),
             -(5 * 3600 + 30 * 60));
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
    ::tzset();
}

QTEST_GUILESS_MAIN(SystemTextsTest)
#include "SystemTextsTest.moc"
