// The alarm rules: how a rule is read, and when it raises and clears, at the edges of its
// threshold, hold time, hysteresis band and no-data silence.

#include "alarms/AlarmWatch.h"
#include "link/MeterFrame.h"

#include <QTest>

class AlarmRulesTest : public QObject {
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
    void raisingAndClearing_data();
    void raisingAndClearing();
};

namespace {

const QDateTime kStart =
    QDateTime::fromString(QStringLiteral("2026-12-10T08:00:00.000+01:00"), Qt::ISODateWithMs);

QString describe(const AlarmRule& r) {
    if (r.quantity == AlarmQuantity::NoData)
        return QStringLiteral("no-data %1ms").arg(r.holdMs);
    return QStringLiteral("%1 %2 %3 %4 hold %5ms band %6")
        .arg(r.QuantityText(), r.above ? QStringLiteral(">") : QStringLiteral("<"))
        .arg(r.threshold)
        .arg(r.UnitText())
        .arg(r.holdMs)
        .arg(r.band);
}

// A step of a run: "12.5 2.0 m/s" (a velocity or flow at 12.5 s), "12.5 t 21.3 °F" (a
// temperature), "12.5 rh 40", "12.5 tick", "12.5 closed" / "12.5 open" (readings expected or not).
std::vector<RunEvent> step(AlarmWatch& watch, const QString& text) {
    const QStringList w = text.split(u' ', Qt::SkipEmptyParts);
    const QDateTime at = kStart.addMSecs(qRound64(w[0].toDouble() * 1000));
    if (w[1] == u"tick")
        return watch.Tick(at);
    if (w[1] == u"open" || w[1] == u"closed") {
        watch.SetExpecting(w[1] == u"open", at);
        return {};
    }
    DecodedFrame f;
    f.kind = ReadingKind::Velocity;
    f.unit = MeterUnit::MetresPerSecond;
    f.value = 5;
    f.temperature = 20;
    f.temperatureUnit = QStringLiteral("°C");
    f.humidity = 50;
    if (w[1] == u"t") {
        f.temperature = w[2].toDouble();
        f.temperatureUnit = w[3];
    } else if (w[1] == u"rh") {
        f.humidity = w[2].toDouble();
    } else {
        f.value = w[1].toDouble();
        f.unit = std::nullopt;
        f.kind = ReadingKind::Unknown;
        for (const ReadingKind kind : {ReadingKind::Velocity, ReadingKind::Flow})
            if (const std::optional<MeterUnit> unit = UnitFromText(kind, w[2])) {
                f.unit = unit;
                f.kind = kind;
            }
    }
    return watch.Reading(f, at);
}

} // namespace

void AlarmRulesTest::reading_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read"); // describe() of the rule, or "error: " and part of why
    QTest::newRow("the example") << "velocity < 2.5 m/s for 30s hysteresis 0.2"
                                 << "velocity < 2.5 m/s hold 30000ms band 0.2";
    QTest::newRow("unit left out, no hold, no band") << "velocity > 12"
                                                     << "velocity > 12 m/s hold 0ms band 0";
    QTest::newRow("number and unit together, words, any case")
        << "Flow BELOW 300CFM hysteresis 20 cfm for 2m"
        << "flow < 300 CFM hold 120000ms band 20";
    QTest::newRow("flow defaults to CMS") << "flow>0.5"
                                          << "flow > 0.5 CMS hold 0ms band 0";
    QTest::newRow("a common name of a unit") << "velocity < 400 fpm"
                                             << "velocity < 400 ft/m hold 0ms band 0";
    QTest::newRow("temperature in F") << "temperature > 86 F hysteresis 2"
                                      << "temperature > 86 °F hold 0ms band 2";
    QTest::newRow("humidity, negative threshold accepted elsewhere")
        << "humidity > 70 % for 1h"
        << "humidity > 70 % hold 3600000ms band 0";
    QTest::newRow("times with their units apart") << "velocity < 2 kmh for 5 s"
                                                  << "velocity < 2 km/h hold 5000ms band 0";
    QTest::newRow("watchdog") << "no-data 60s"
                              << "no-data 60000ms";
    QTest::newRow("watchdog in minutes, unit apart") << " no-data   5 min "
                                                     << "no-data 300000ms";
    QTest::newRow("empty") << "  "
                           << "error: empty";
    QTest::newRow("unknown quantity") << "pressure < 3"
                                      << "error: not \"pressure\"";
    QTest::newRow("no operator") << "velocity 2.5"
                                 << "error: < or >";
    QTest::newRow("less-or-equal") << "velocity <= 2.5"
                                   << "error: not \"=\"";
    QTest::newRow("threshold no number") << "velocity < fast"
                                         << "error: not \"fast\"";
    QTest::newRow("unit of the other kind") << "velocity < 300 CFM"
                                            << "error: \"CFM\" is no velocity unit";
    QTest::newRow("hold not a time") << "velocity < 2 for ever"
                                     << "error: not \"ever\"";
    QTest::newRow("zero hold") << "velocity < 2 for 0s"
                               << "error: for wants a time above 0";
    QTest::newRow("negative band") << "velocity < 2 hysteresis -0.1"
                                   << "error: not below 0";
    QTest::newRow("band in another unit") << "velocity < 2 m/s hysteresis 1 km/h"
                                          << "error: threshold's unit";
    QTest::newRow("hold twice") << "velocity < 2 for 5s for 6s"
                                << "error: each once";
    QTest::newRow("watchdog without time") << "no-data"
                                           << "error: no-data wants a time";
    QTest::newRow("watchdog with a threshold") << "no-data 60s < 2"
                                               << "error: nothing may follow";
}

void AlarmRulesTest::reading() {
    QFETCH(QString, text);
    QFETCH(QString, read);
    QString why;
    const std::optional<AlarmRule> rule = ParseAlarmRule(text, &why);
    if (read.startsWith(u"error: ")) {
        QVERIFY2(!rule, qPrintable(describe(*rule)));
        QVERIFY2(why.contains(read.mid(7)), qPrintable(why));
        return;
    }
    QVERIFY2(rule, qPrintable(why));
    QCOMPARE(describe(*rule), read);
    QCOMPARE(rule->text, text.simplified());
}

void AlarmRulesTest::raisingAndClearing_data() {
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("run");    // steps (see step()) separated by ";"
    QTest::addColumn<QString>("events"); // "seconds raised|cleared value" separated by ";"

    // Below a threshold, with a hold time: raised by the first reading at the hold time.
    QTest::newRow("raised exactly at the hold time, not before")
        << "velocity < 2.5 m/s for 30s"
        << "0 2.4 m/s; 29.999 2.4 m/s; 30 2.3 m/s; 31 2.2 m/s"
        << "30 raised 2.3";
    QTest::newRow("a value back over the threshold restarts the hold")
        << "velocity < 2.5 m/s for 30s"
        << "0 2.4 m/s; 20 2.6 m/s; 25 2.4 m/s; 54.999 2.4 m/s; 55 2.4 m/s"
        << "55 raised 2.4";
    QTest::newRow("exactly at the threshold is not beyond it") << "velocity < 2.5 m/s"
                                                               << "0 2.5 m/s; 1 2.4999 m/s"
                                                               << "1 raised 2.4999";
    // Hysteresis: cleared only once the value is back past the threshold by the band.
    QTest::newRow("below: cleared exactly at threshold plus band")
        << "velocity < 2.5 m/s hysteresis 0.2"
        << "0 2 m/s; 1 2.6 m/s; 2 2.69 m/s; 3 2.7 m/s; 4 2.4 m/s"
        << "0 raised 2; 3 cleared 2.7; 4 raised 2.4";
    QTest::newRow("an edge whose sum is inexact still clears at it")
        << "velocity < 1.1 hysteresis 0.2"
        << "0 1 m/s; 1 1.3 m/s"
        << "0 raised 1; 1 cleared 1.3";
    QTest::newRow("above: cleared exactly at threshold minus band")
        << "velocity > 10 hysteresis 1.5"
        << "0 10 m/s; 1 10.1 m/s; 2 8.6 m/s; 3 8.5 m/s"
        << "1 raised 10.1; 3 cleared 8.5";
    QTest::newRow("no band: cleared as soon as the condition ends") << "velocity > 10"
                                                                    << "0 11 m/s; 1 10 m/s"
                                                                    << "0 raised 11; 1 cleared 10";
    // Readings in other units are converted to the rule's; another kind says nothing.
    QTest::newRow("km/h against m/s: 9 km/h is 2.5 m/s") << "velocity < 2.5 m/s"
                                                         << "0 9 km/h; 1 8.9 km/h"
                                                         << "1 raised 2.4722";
    QTest::newRow("ft/m against m/s, clearing converted too")
        << "velocity > 1 m/s hysteresis 0.1"
        << "0 200 ft/m; 1 180 ft/m; 2 177 ft/m"
        << "0 raised 1.016; 2 cleared 0.8992";
    QTest::newRow("CFM against CMM") << "flow > 10 CMM"
                                     << "0 353 CFM; 1 354 CFM"
                                     << "1 raised 10.0242";
    QTest::newRow("a flow reading breaks a velocity rule's hold, never clears it")
        << "velocity < 2.5 for 10s"
        << "0 2 m/s; 5 1 CMS; 12 2 m/s; 21.9 2 m/s; 22 2 m/s; 23 4 CMS"
        << "22 raised 2";
    QTest::newRow("temperature in °F against a rule in °C") << "temperature > 30 C"
                                                            << "0 t 86 °F; 1 t 86.2 °F"
                                                            << "1 raised 30.1111";
    QTest::newRow("humidity") << "humidity > 70 hysteresis 5"
                              << "0 rh 71; 1 rh 66; 2 rh 65"
                              << "0 raised 71; 2 cleared 65";
    // no-data: counted from the last reading, or from when readings were first expected.
    QTest::newRow("no-data raised exactly at its time, cleared by the next reading")
        << "no-data 60s"
        << "0 open; 10 3 m/s; 69.999 tick; 70 tick; 71 tick; 95 3 m/s; 154 tick; 155 tick"
        << "70 raised 60; 95 cleared 85; 155 raised 60";
    QTest::newRow("no-data counts from when readings are expected")
        << "no-data 60s"
        << "0 tick; 100 tick; 100 open; 159 tick; 160 tick"
        << "160 raised 60";
    QTest::newRow("no-data is silent while the meter is closed")
        << "no-data 30s"
        << "0 open; 1 2 m/s; 20 closed; 100 tick; 200 open; 229 tick; 230 tick"
        << "230 raised 30";
    QTest::newRow("a reading of any kind feeds no-data") << "no-data 5s"
                                                         << "0 open; 4 100 CFM; 8.5 tick; 9 tick"
                                                         << "9 raised 5";
}

void AlarmRulesTest::raisingAndClearing() {
    QFETCH(QString, rule);
    QFETCH(QString, run);
    QFETCH(QString, events);
    QString why;
    const std::optional<AlarmRule> parsed = ParseAlarmRule(rule, &why);
    QVERIFY2(parsed, qPrintable(why));
    AlarmWatch watch({*parsed});
    QStringList seen;
    for (const QString& text : run.split(u';')) {
        for (const RunEvent& e : step(watch, text.trimmed())) {
            QCOMPARE(e.rule, rule);
            QCOMPARE(e.ruleIndex, 0);
            QCOMPARE(watch.States()[0].raised, e.change == AlarmChange::Raised);
            seen << QStringLiteral("%1 %2 %3")
                        .arg(double(kStart.msecsTo(e.at)) / 1000)
                        .arg(e.ChangeText(), EventNumberText(*e.value));
        }
    }
    QCOMPARE(seen.join(QStringLiteral("; ")), events);
}

QTEST_GUILESS_MAIN(AlarmRulesTest)
#include "AlarmRulesTest.moc"
