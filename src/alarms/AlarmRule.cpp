#include "alarms/AlarmRule.h"

#include "state/Durations.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace {

struct UnitName {
    const char16_t* text; // lower case
    MeterUnit unit;
};
// Besides the meter's own texts, the names people commonly type.
constexpr UnitName kUnitNames[] = {
    {u"m/s", MeterUnit::MetresPerSecond},
    {u"km/h", MeterUnit::KilometresPerHour},
    {u"kmh", MeterUnit::KilometresPerHour},
    {u"mil/h", MeterUnit::MilesPerHour},
    {u"mph", MeterUnit::MilesPerHour},
    {u"ft/m", MeterUnit::FeetPerMinute},
    {u"ft/min", MeterUnit::FeetPerMinute},
    {u"fpm", MeterUnit::FeetPerMinute},
    {u"ft/s", MeterUnit::FeetPerSecond},
    {u"fps", MeterUnit::FeetPerSecond},
    {u"knots", MeterUnit::Knots},
    {u"kn", MeterUnit::Knots},
    {u"cms", MeterUnit::CubicMetresPerSecond},
    {u"m3/s", MeterUnit::CubicMetresPerSecond},
    {u"cmm", MeterUnit::CubicMetresPerMinute},
    {u"m3/min", MeterUnit::CubicMetresPerMinute},
    {u"cfm", MeterUnit::CubicFeetPerMinute},
};

std::optional<MeterUnit> unitNamed(const QString& text, ReadingKind kind) {
    const QString lower = text.toLower();
    for (const UnitName& name : kUnitNames)
        if (lower == QStringView(name.text) && KindOf(name.unit) == kind)
            return name.unit;
    return std::nullopt;
}

QString unitsOf(ReadingKind kind) {
    QStringList texts;
    for (const MeterUnitRow& row : kMeterUnits)
        if (row.kind == kind)
            texts << QString::fromUtf16(row.text);
    return texts.join(QStringLiteral(", "));
}

std::optional<double> number(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^[+-]?([0-9]+([.][0-9]*)?|[.][0-9]+)$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The words of a rule, with < > = as words of their own.
QStringList tokens(QStringView text) {
    QString spaced;
    for (const QChar c : text) {
        if (c == u'<' || c == u'>' || c == u'=') {
            spaced += u' ';
            spaced += c;
            spaced += u' ';
        } else {
            spaced += c;
        }
    }
    return spaced.split(u' ', Qt::SkipEmptyParts);
}

// A number with its unit in one word ("2.5m/s") is two words from where it stands.
void splitNumberAndUnit(QStringList& t, qsizetype at) {
    static const QRegularExpression numberThenUnit(
        QStringLiteral("^([+-]?(?:[0-9]+(?:[.][0-9]*)?|[.][0-9]+))([^0-9.eE].*)$"));
    if (at >= t.size())
        return;
    const QRegularExpressionMatch m = numberThenUnit.match(t[at]);
    if (!m.hasMatch())
        return;
    t[at] = m.captured(1);
    t.insert(at + 1, m.captured(2));
}

// A time as --duration takes it, from where it stands; a unit written apart ("30 s", "5 min") is
// taken with it.
std::optional<qint64> duration(const QStringList& t, qsizetype& at, QString* shown) {
    *shown = at < t.size() ? t[at] : QString();
    ++at;
    if (at < t.size()) {
        static const QStringList kUnits{QStringLiteral("s"),   QStringLiteral("m"),
                                        QStringLiteral("h"),   QStringLiteral("d"),
                                        QStringLiteral("sec"), QStringLiteral("min")};
        const QString unit = t[at].toLower();
        if (kUnits.contains(unit) && !shown->isEmpty() && shown->back().isDigit()) {
            *shown += unit.left(1);
            ++at;
        }
    }
    return ParseDuration(*shown);
}

} // namespace

QString AlarmRule::QuantityText() const {
    switch (quantity) {
    case AlarmQuantity::Velocity:
        return QStringLiteral("velocity");
    case AlarmQuantity::Flow:
        return QStringLiteral("flow");
    case AlarmQuantity::Temperature:
        return QStringLiteral("temperature");
    case AlarmQuantity::Humidity:
        return QStringLiteral("humidity");
    case AlarmQuantity::NoData:
        break;
    }
    return QStringLiteral("no-data");
}

QString AlarmRule::UnitText() const {
    switch (quantity) {
    case AlarmQuantity::Velocity:
    case AlarmQuantity::Flow:
        return ::UnitText(unit);
    case AlarmQuantity::Temperature:
        return scale == TemperatureScale::Celsius ? QStringLiteral("°C") : QStringLiteral("°F");
    case AlarmQuantity::Humidity:
        return QStringLiteral("%");
    case AlarmQuantity::NoData:
        break;
    }
    return QStringLiteral("s");
}

std::optional<AlarmRule> ParseAlarmRule(QStringView text, QString* why) {
    const auto fail = [why](const QString& reason) {
        *why = reason;
        return std::nullopt;
    };
    AlarmRule rule;
    rule.text = text.toString().simplified();
    if (rule.text.size() > kLongestRuleText)
        return fail(QStringLiteral("a rule is at most %1 characters long").arg(kLongestRuleText));
    QStringList t = tokens(rule.text);
    if (t.isEmpty())
        return fail(QStringLiteral("the rule is empty"));
    qsizetype at = 0;
    const auto next = [&]() -> QString {
        return at < t.size() ? t[at++] : QString();
    };

    const QString quantity = next().toLower();
    if (quantity == u"no-data" || quantity == u"nodata") {
        rule.quantity = AlarmQuantity::NoData;
        QString time;
        const std::optional<qint64> ms = duration(t, at, &time);
        if (!ms)
            return fail(QStringLiteral("no-data wants a time above 0 such as 60s or 5m, not "
                                       "\"%1\"")
                            .arg(time));
        rule.holdMs = *ms;
        if (at < t.size())
            return fail(QStringLiteral("nothing may follow no-data's time, not \"%1\"").arg(t[at]));
        return rule;
    }
    if (quantity == u"velocity")
        rule.quantity = AlarmQuantity::Velocity;
    else if (quantity == u"flow")
        rule.quantity = AlarmQuantity::Flow;
    else if (quantity == u"temperature")
        rule.quantity = AlarmQuantity::Temperature;
    else if (quantity == u"humidity")
        rule.quantity = AlarmQuantity::Humidity;
    else
        return fail(QStringLiteral("a rule starts with velocity, flow, temperature, humidity or "
                                   "no-data, not \"%1\"")
                        .arg(t[0]));
    rule.unit = rule.quantity == AlarmQuantity::Flow ? MeterUnit::CubicMetresPerSecond
                                                     : MeterUnit::MetresPerSecond;

    const QString op = next().toLower();
    if (op == u"<" || op == u"below")
        rule.above = false;
    else if (op == u">" || op == u"above")
        rule.above = true;
    else
        return fail(
            QStringLiteral("%1 is followed by < or >, not \"%2\"").arg(rule.QuantityText(), op));
    splitNumberAndUnit(t, at);
    const QString limit = next();
    const std::optional<double> threshold = number(limit);
    if (!threshold)
        return fail(
            QStringLiteral("%1 wants a number as its threshold, not \"%2\"").arg(op, limit));
    rule.threshold = *threshold;

    // The unit, when one follows the number.
    const auto readUnit = [&](const QString& word) -> std::optional<QString> {
        const QString lower = word.toLower();
        switch (rule.quantity) {
        case AlarmQuantity::Velocity:
        case AlarmQuantity::Flow: {
            const ReadingKind kind = rule.quantity == AlarmQuantity::Velocity
                                         ? ReadingKind::Velocity
                                         : ReadingKind::Flow;
            if (const std::optional<MeterUnit> unit = unitNamed(word, kind)) {
                rule.unit = *unit;
                return QString();
            }
            return QStringLiteral("\"%1\" is no %2 unit the meter has (%3)")
                .arg(word, rule.QuantityText(), unitsOf(kind));
        }
        case AlarmQuantity::Temperature:
            if (lower == u"c" || lower == u"°c" || lower == u"degc") {
                rule.scale = TemperatureScale::Celsius;
                return QString();
            }
            if (lower == u"f" || lower == u"°f" || lower == u"degf") {
                rule.scale = TemperatureScale::Fahrenheit;
                return QString();
            }
            return QStringLiteral("a temperature is in C or F, not \"%1\"").arg(word);
        case AlarmQuantity::Humidity:
            if (lower == u"%" || lower == u"%rh" || lower == u"rh")
                return QString();
            return QStringLiteral("humidity is in %, not \"%1\"").arg(word);
        case AlarmQuantity::NoData:
            break;
        }
        return QString();
    };
    const auto keyword = [](const QString& word) {
        return word.compare(QLatin1String("for"), Qt::CaseInsensitive) == 0 ||
               word.compare(QLatin1String("hysteresis"), Qt::CaseInsensitive) == 0;
    };
    if (at < t.size() && !keyword(t[at])) {
        const QString unitWhy = *readUnit(next());
        if (!unitWhy.isEmpty())
            return fail(unitWhy);
    }
    const QString unitText = rule.UnitText();

    bool sawFor = false;
    bool sawBand = false;
    while (at < t.size()) {
        const QString word = next().toLower();
        if (word == u"for" && !sawFor) {
            sawFor = true;
            QString time;
            const std::optional<qint64> ms = duration(t, at, &time);
            if (!ms)
                return fail(QStringLiteral("for wants a time above 0 such as 30s or 5m, not \"%1\"")
                                .arg(time));
            rule.holdMs = *ms;
        } else if (word == u"hysteresis" && !sawBand) {
            sawBand = true;
            splitNumberAndUnit(t, at);
            const QString bandText = next();
            const std::optional<double> band = number(bandText);
            if (!band || *band < 0)
                return fail(
                    QStringLiteral("hysteresis wants a number of %1 not below 0, not \"%2\"")
                        .arg(unitText, bandText));
            rule.band = *band;
            // The band's unit may be repeated; it must be the threshold's.
            if (at < t.size() && !keyword(t[at])) {
                const MeterUnit before = rule.unit;
                const TemperatureScale beforeScale = rule.scale;
                const QString bandUnit = next();
                if (!readUnit(bandUnit)->isEmpty() || rule.unit != before ||
                    rule.scale != beforeScale)
                    return fail(QStringLiteral("the hysteresis is in the threshold's unit (%1), "
                                               "not \"%2\"")
                                    .arg(unitText, bandUnit));
            }
        } else {
            return fail(QStringLiteral("after the threshold come \"for TIME\" and \"hysteresis "
                                       "BAND\", each once, not \"%1\"")
                            .arg(t[at - 1]));
        }
    }
    return rule;
}
