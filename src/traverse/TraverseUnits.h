#pragma once

#include "link/MeterUnits.h"

#include <QString>

#include <array>

// The units a traverse works in: velocities as the meter sends them (MeterUnit, one table with the
// decoder's), lengths of its setup and the flows of its results. Everything is converted through
// SI (m/s, m, m3/s).

// Decimals a velocity in this unit is shown with.
int VelocityDecimals(MeterUnit unit);

enum class LengthUnit { Millimetres, Inches };
QString LengthUnitText(LengthUnit unit); // "mm", "in"
double MetresPer(LengthUnit unit);
// Depths and positions are given to 1 mm or to 0.05 in.
double LengthStep(LengthUnit unit);
int LengthDecimals(LengthUnit unit);
// value rounded to the nearest step of the unit (halves away from zero).
double RoundToLengthStep(double value, LengthUnit unit);

enum class FlowUnit {
    CubicMetresPerHour,
    LitresPerSecond,
    CubicMetresPerSecond,
    CubicFeetPerMinute
};
inline constexpr std::array<FlowUnit, 4> kFlowUnits{
    FlowUnit::CubicMetresPerHour, FlowUnit::LitresPerSecond, FlowUnit::CubicMetresPerSecond,
    FlowUnit::CubicFeetPerMinute};
inline constexpr double kCfmPerCubicMetrePerSecond = 2118.88;

QString FlowUnitText(FlowUnit unit); // "m3/h", "l/s", "m3/s", "cfm"
// A flow in m3/s expressed in the unit.
double FlowFromCubicMetresPerSecond(double m3s, FlowUnit unit);
int FlowDecimals(FlowUnit unit);
