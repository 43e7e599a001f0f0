#include "traverse/TraverseTexts.h"

#include <cmath>

QString FixedText(double value, int decimals, const QLocale& locale) {
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0)
        rounded = 0; // no "-0.0"
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(rounded, 'f', decimals);
}

QString VelocityText(double metresPerSecond, MeterUnit unit, const QLocale& locale) {
    return FixedText(metresPerSecond / SiPerUnit(unit), VelocityDecimals(unit), locale);
}

QString VelocityWithUnit(double metresPerSecond, MeterUnit unit, const QLocale& locale) {
    return VelocityText(metresPerSecond, unit, locale) + u' ' + UnitText(unit);
}

QString LengthText(double value, LengthUnit unit, const QLocale& locale) {
    return FixedText(value, LengthDecimals(unit), locale);
}

QString FlowText(double cubicMetresPerSecond, FlowUnit unit, const QLocale& locale) {
    return FixedText(FlowFromCubicMetresPerSecond(cubicMetresPerSecond, unit), FlowDecimals(unit),
                     locale);
}

QString PercentText(double v, int decimals, const QLocale& l, bool signedText) {
    const QString digits = FixedText(v, decimals, l);
    const bool above = v * std::pow(10.0, decimals) >= 0.5;
    return (signedText && above ? QStringLiteral("+") : QString()) + digits + QStringLiteral(" %");
}
