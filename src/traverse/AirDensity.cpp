#include "traverse/AirDensity.h"

#include "traverse/TraverseTexts.h"

#include <cmath>

QString PressureUnitText(PressureUnit unit) {
    switch (unit) {
    case PressureUnit::Kilopascals:
        return QStringLiteral("kPa");
    case PressureUnit::Hectopascals:
        return QStringLiteral("hPa");
    case PressureUnit::InchesOfMercury:
        return QStringLiteral("inHg");
    case PressureUnit::MillimetresOfMercury:
        return QStringLiteral("mmHg");
    }
    return {};
}

double KilopascalsPer(PressureUnit unit) {
    switch (unit) {
    case PressureUnit::Kilopascals:
        return 1.0;
    case PressureUnit::Hectopascals:
        return 0.1;
    case PressureUnit::InchesOfMercury:
        return 3.386389;
    case PressureUnit::MillimetresOfMercury:
        return 0.133322387;
    }
    return 1.0;
}

QString AltitudeUnitText(AltitudeUnit unit) {
    return unit == AltitudeUnit::Metres ? QStringLiteral("m") : QStringLiteral("ft");
}

double StandardAtmosphereKpa(double altitudeMetres) {
    return kStandardPressureKpa * std::pow(1 - 2.25577e-5 * altitudeMetres, 5.25588);
}

double VapourPressurePa(double t, double rh) {
    return rh / 100 * 610.94 * std::exp(17.625 * t / (t + 243.04));
}

double MoistAirDensity(double pressureKpa, double t, double rh) {
    const double kelvin = t + 273.15;
    const double pv = VapourPressurePa(t, rh);
    const double p = pressureKpa * 1000;
    return (p - pv) / (287.058 * kelvin) + pv / (461.495 * kelvin);
}

QString StandardAirText(StandardAir air) {
    return air == StandardAir::Metric ? QStringLiteral("1.204 kg/m3 (20 °C, 101.325 kPa, dry)")
                                      : QStringLiteral("0.075 lb/ft3 (US standard air)");
}

double StandardAirDensity(StandardAir air) {
    return air == StandardAir::Metric ? 1.204 : 0.075 * kKilogramsPerCubicMetrePerPoundPerCubicFoot;
}

QString ProbeTypeText(ProbeType probe) {
    return probe == ProbeType::Vane ? QStringLiteral("vane") : QStringLiteral("thermal");
}

ActualAndStandard ProbeVelocities(double reading, ProbeType probe, double density,
                                  double standardDensity) {
    if (!(density > 0) || !(standardDensity > 0))
        return {reading, reading};
    if (probe == ProbeType::Vane)
        return {reading, reading * density / standardDensity};
    return {reading * standardDensity / density, reading};
}

AirDensityUsed DensityFor(const AirInputs& in, const MeterAir& meter) {
    AirDensityUsed u;
    u.pressureOrigin = in.pressureOrigin;
    switch (in.pressureOrigin) {
    case PressureOrigin::Measured:
        u.pressureKpa = in.pressure * KilopascalsPer(in.pressureUnit);
        break;
    case PressureOrigin::Altitude:
        u.pressureKpa = StandardAtmosphereKpa(in.altitude *
                                              (in.altitudeUnit == AltitudeUnit::Feet ? 0.3048 : 1));
        break;
    case PressureOrigin::Assumed:
        u.pressureKpa = kStandardPressureKpa;
        break;
    }
    if (!in.typedAir && meter.available && !meter.notPlain) {
        u.airOrigin = AirOrigin::Meter;
        u.temperatureC = meter.temperatureC;
        u.humidity = meter.humidity;
    } else {
        u.airOrigin = in.typedAir      ? AirOrigin::Typed
                      : meter.notPlain ? AirOrigin::TypedMeterNotPlain
                                       : AirOrigin::TypedNoMeterReading;
        u.temperatureC = in.typedTemperatureC;
        u.humidity = in.typedHumidity;
    }
    u.density = MoistAirDensity(u.pressureKpa, u.temperatureC, u.humidity);
    u.standardDensity = StandardAirDensity(in.standard);
    return u;
}

QString PressureOriginText(const AirInputs& in, const AirDensityUsed& u, const QLocale& l) {
    const auto given = [&](double v) {
        QLocale plain = l;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        return plain.toString(v, 'g', 6);
    };
    const QString kpa = FixedText(u.pressureKpa, 3, l) + QStringLiteral(" kPa");
    switch (u.pressureOrigin) {
    case PressureOrigin::Measured:
        return kpa + QStringLiteral(" (barometer: %1 %2)")
                         .arg(given(in.pressure), PressureUnitText(in.pressureUnit));
    case PressureOrigin::Altitude:
        return kpa + QStringLiteral(" from the altitude %1 %2")
                         .arg(given(in.altitude), AltitudeUnitText(in.altitudeUnit));
    case PressureOrigin::Assumed:
        break;
    }
    return kpa + QStringLiteral(" assumed (no pressure or altitude given)");
}

QString AirOriginText(const AirDensityUsed& u, const QLocale& l) {
    const QString values = QStringLiteral("%1 °C, %2 % RH")
                               .arg(FixedText(u.temperatureC, 1, l), FixedText(u.humidity, 1, l));
    switch (u.airOrigin) {
    case AirOrigin::Meter:
        return values + QStringLiteral(" from the meter (mean over the test)");
    case AirOrigin::Typed:
        return values + QStringLiteral(" typed in");
    case AirOrigin::TypedMeterNotPlain:
        return values + QStringLiteral(" typed in (the meter showed dew point or wet bulb)");
    case AirOrigin::TypedNoMeterReading:
        return values + QStringLiteral(" typed in (no temperature from the meter)");
    }
    return values;
}
