#include "traverse/TraverseUnits.h"

#include <cmath>

QString VelocityUnitText(VelocityUnit unit) {
    switch (unit) {
    case VelocityUnit::MetresPerSecond:
        return QStringLiteral("m/s");
    case VelocityUnit::KilometresPerHour:
        return QStringLiteral("km/h");
    case VelocityUnit::MilesPerHour:
        return QStringLiteral("mil/h");
    case VelocityUnit::FeetPerMinute:
        return QStringLiteral("ft/m");
    case VelocityUnit::FeetPerSecond:
        return QStringLiteral("ft/s");
    case VelocityUnit::Knots:
        return QStringLiteral("knots");
    }
    return {};
}

std::optional<VelocityUnit> VelocityUnitFromText(const QString& text) {
    for (VelocityUnit u : kVelocityUnits)
        if (VelocityUnitText(u) == text)
            return u;
    return std::nullopt;
}

double MetresPerSecondPer(VelocityUnit unit) {
    switch (unit) {
    case VelocityUnit::MetresPerSecond:
        return 1.0;
    case VelocityUnit::KilometresPerHour:
        return 1.0 / 3.6;
    case VelocityUnit::MilesPerHour:
        return 0.44704;
    case VelocityUnit::FeetPerMinute:
        return 0.00508;
    case VelocityUnit::FeetPerSecond:
        return 0.3048;
    case VelocityUnit::Knots:
        return 1852.0 / 3600.0;
    }
    return 1.0;
}

int VelocityDecimals(VelocityUnit unit) {
    switch (unit) {
    case VelocityUnit::MetresPerSecond:
    case VelocityUnit::MilesPerHour:
    case VelocityUnit::Knots:
        return 2;
    case VelocityUnit::KilometresPerHour:
    case VelocityUnit::FeetPerSecond:
        return 1;
    case VelocityUnit::FeetPerMinute:
        return 0;
    }
    return 2;
}

QString LengthUnitText(LengthUnit unit) {
    return unit == LengthUnit::Millimetres ? QStringLiteral("mm") : QStringLiteral("in");
}

double MetresPer(LengthUnit unit) {
    return unit == LengthUnit::Millimetres ? 0.001 : 0.0254;
}

double LengthStep(LengthUnit unit) {
    return unit == LengthUnit::Millimetres ? 1.0 : 0.05;
}

int LengthDecimals(LengthUnit unit) {
    return unit == LengthUnit::Millimetres ? 0 : 2;
}

double RoundToLengthStep(double value, LengthUnit unit) {
    const double steps = value / LengthStep(unit);
    // 8.75 in / 0.05 comes out a hair below 175: settle such ties at 1e-9 of a step first.
    const double settled = std::round(steps * 1e9) / 1e9;
    return std::round(settled) * LengthStep(unit);
}

QString FlowUnitText(FlowUnit unit) {
    switch (unit) {
    case FlowUnit::CubicMetresPerHour:
        return QStringLiteral("m3/h");
    case FlowUnit::LitresPerSecond:
        return QStringLiteral("l/s");
    case FlowUnit::CubicMetresPerSecond:
        return QStringLiteral("m3/s");
    case FlowUnit::CubicFeetPerMinute:
        return QStringLiteral("cfm");
    }
    return {};
}

double FlowFromCubicMetresPerSecond(double m3s, FlowUnit unit) {
    switch (unit) {
    case FlowUnit::CubicMetresPerHour:
        return m3s * 3600.0;
    case FlowUnit::LitresPerSecond:
        return m3s * 1000.0;
    case FlowUnit::CubicMetresPerSecond:
        return m3s;
    case FlowUnit::CubicFeetPerMinute:
        return m3s * kCfmPerCubicMetrePerSecond;
    }
    return m3s;
}

int FlowDecimals(FlowUnit unit) {
    switch (unit) {
    case FlowUnit::CubicMetresPerHour:
        return 0;
    case FlowUnit::LitresPerSecond:
    case FlowUnit::CubicFeetPerMinute:
        return 1;
    case FlowUnit::CubicMetresPerSecond:
        return 3;
    }
    return 1;
}
