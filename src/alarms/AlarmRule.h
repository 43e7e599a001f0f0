#pragma once

#include "link/MeterUnits.h"

#include <QString>
#include <QStringView>

#include <optional>

// What a rule watches: a quantity of each reading, or the readings themselves (no-data: none
// came for a while).
enum class AlarmQuantity { Velocity, Flow, Temperature, Humidity, NoData };
enum class TemperatureScale { Celsius, Fahrenheit };

// One alarm rule, as people write it:
//
//   QUANTITY < or > THRESHOLD [UNIT] [for TIME] [hysteresis BAND]
//   no-data TIME
//
// QUANTITY is velocity, flow, temperature or humidity ("above" and "below" may stand for > and
// <). The unit of a velocity or flow is one of the meter's (m/s, km/h, mil/h or mph, ft/m or fpm,
// ft/s, knots; CMS, CMM, CFM, m3/s, m3/min) and is m/s or CMS when left out; a temperature is in
// C or F (°C by default); humidity in %. TIME is as --duration takes it (30, 30s, 5m, 1h). The
// condition must last the hold time before the alarm is raised (the first reading at or past it
// raises it), and the alarm clears only when the value is back past the threshold by the band
// (a band of 0.2 on "< 2.5" clears at 2.7 or more). Readings in another unit of the same kind are
// converted to the rule's.
//
// no-data raises when no reading came for TIME while the meter is connected or waited for, and
// clears with the next reading.
struct AlarmRule {
    AlarmQuantity quantity = AlarmQuantity::Velocity;
    bool above = false; // raised above the threshold (>), else below it (<)
    double threshold = 0;
    MeterUnit unit = MeterUnit::MetresPerSecond;        // a velocity or a flow
    TemperatureScale scale = TemperatureScale::Celsius; // a temperature
    qint64 holdMs = 0;                                  // no-data: the silence
    double band = 0;                                    // hysteresis, in the rule's unit
    QString text;                                       // as written, blanks simplified

    // "velocity", "flow", "temperature", "humidity" or "no-data".
    QString QuantityText() const;
    // The unit values are judged in: "m/s", "°C", "%", "s" for no-data.
    QString UnitText() const;
};

inline constexpr qsizetype kLongestRuleText = 200;

// Reads a rule; nothing, with why in *why (for people, naming the part that is wrong), when it
// cannot be read.
std::optional<AlarmRule> ParseAlarmRule(QStringView text, QString* why);
