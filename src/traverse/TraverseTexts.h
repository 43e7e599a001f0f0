#pragma once

#include "traverse/TraverseUnits.h"

#include <QLocale>
#include <QString>

// Numbers as the window, the report (the user's locale) and the saved file (QLocale::c()) write
// them: a fixed number of decimals, no group separators, never "-0".
QString FixedText(double value, int decimals, const QLocale& locale);
QString VelocityText(double metresPerSecond, MeterUnit unit, const QLocale& locale);
// With the unit: "5.00 m/s".
QString VelocityWithUnit(double metresPerSecond, MeterUnit unit, const QLocale& locale);
QString LengthText(double value, LengthUnit unit, const QLocale& locale);
QString FlowText(double cubicMetresPerSecond, FlowUnit unit, const QLocale& locale);
// "12.5 %"; signedText: with a plus sign when above zero as written ("+12.5 %").
QString PercentText(double value, int decimals, const QLocale& locale, bool signedText = false);
