#include "traverse/TraverseUnits.h"

#include <cmath>

int VelocityDecimals(MeterUnit unit) {
    switch (unit) {
    case MeterUnit::MetresPerSecond:
    case MeterUnit::MilesPerHour:
    case MeterUnit::Knots:
        return 2;
    case MeterUnit::KilometresPerHour:
    case MeterUnit::FeetPerSecond:
        return 1;
    case MeterUnit::FeetPerMinute:
        return 0;
    default:
        break;
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
