#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// What a reading measures, by the frame's kind byte: 1 air velocity, 2 air flow.
enum class ReadingKind { Velocity, Flow, Unknown };

// The units the meter sends its readings in, in the order of kMeterUnits. Programs decide by these
// values; the texts are only for people and files.
enum class MeterUnit {
    MetresPerSecond,
    KilometresPerHour,
    MilesPerHour,
    FeetPerMinute,
    FeetPerSecond,
    Knots,
    CubicMetresPerSecond,
    CubicMetresPerMinute,
    CubicFeetPerMinute
};

// The one table of the meter's units: the kind each measures, its code in a frame of that kind,
// its text as the meter shows it (and the files and the readout keep it), and one of the unit in
// SI units: m/s for a velocity, m3/s for a flow.
struct MeterUnitRow {
    MeterUnit unit;
    ReadingKind kind;
    std::uint8_t code;
    const char16_t* text;
    double siPerUnit;
};
inline constexpr double kCubicMetresPerCubicFoot = 0.3048 * 0.3048 * 0.3048;
inline constexpr std::array<MeterUnitRow, 9> kMeterUnits{{
    {MeterUnit::MetresPerSecond, ReadingKind::Velocity, 1, u"m/s", 1.0},
    {MeterUnit::KilometresPerHour, ReadingKind::Velocity, 2, u"km/h", 1.0 / 3.6},
    {MeterUnit::MilesPerHour, ReadingKind::Velocity, 3, u"mil/h", 0.44704},
    {MeterUnit::FeetPerMinute, ReadingKind::Velocity, 4, u"ft/m", 0.00508},
    {MeterUnit::FeetPerSecond, ReadingKind::Velocity, 5, u"ft/s", 0.3048},
    {MeterUnit::Knots, ReadingKind::Velocity, 6, u"knots", 1852.0 / 3600.0},
    {MeterUnit::CubicMetresPerSecond, ReadingKind::Flow, 1, u"CMS", 1.0},
    {MeterUnit::CubicMetresPerMinute, ReadingKind::Flow, 2, u"CMM", 1.0 / 60.0},
    {MeterUnit::CubicFeetPerMinute, ReadingKind::Flow, 3, u"CFM", kCubicMetresPerCubicFoot / 60.0},
}};

static_assert([] {
    for (std::size_t i = 0; i < kMeterUnits.size(); ++i)
        if (std::size_t(kMeterUnits[i].unit) != i)
            return false;
    return true;
}());

// The velocity units, in the meter's order (the traverse offers them for its results).
inline constexpr std::array<MeterUnit, 6> kVelocityUnits{
    MeterUnit::MetresPerSecond, MeterUnit::KilometresPerHour, MeterUnit::MilesPerHour,
    MeterUnit::FeetPerMinute,   MeterUnit::FeetPerSecond,     MeterUnit::Knots};

inline ReadingKind KindOf(MeterUnit unit) {
    return kMeterUnits[std::size_t(unit)].kind;
}
// "m/s", "km/h", "mil/h", "ft/m", "ft/s", "knots", "CMS", "CMM", "CFM".
inline QString UnitText(MeterUnit unit) {
    return QString::fromUtf16(kMeterUnits[std::size_t(unit)].text);
}
// One of the unit in m/s (a velocity) or m3/s (a flow).
inline double SiPerUnit(MeterUnit unit) {
    return kMeterUnits[std::size_t(unit)].siPerUnit;
}
// The unit a frame of this kind means by its unit code; nothing for a code the kind lacks.
std::optional<MeterUnit> UnitOfCode(ReadingKind kind, std::uint8_t code);
// The unit of this kind whose text this is; nothing for any other text.
std::optional<MeterUnit> UnitFromText(ReadingKind kind, const QString& text);
// The readout's name of the kind: "VEL" or "FLOW"; nothing for an unknown kind.
std::optional<QString> KindLabel(ReadingKind kind);
