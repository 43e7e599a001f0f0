#pragma once

#include <QLocale>
#include <QString>

#include <array>

// The density of the air a traverse measures in, standard air, and what the probe's reading means
// at that density. Pressures in kPa, temperatures in degrees Celsius, humidity in percent.

enum class PressureUnit { Kilopascals, Hectopascals, InchesOfMercury, MillimetresOfMercury };
inline constexpr std::array<PressureUnit, 4> kPressureUnits{
    PressureUnit::Kilopascals, PressureUnit::Hectopascals, PressureUnit::InchesOfMercury,
    PressureUnit::MillimetresOfMercury};
QString PressureUnitText(PressureUnit unit); // "kPa", "hPa", "inHg", "mmHg"
double KilopascalsPer(PressureUnit unit);

enum class AltitudeUnit { Metres, Feet };
QString AltitudeUnitText(AltitudeUnit unit); // "m", "ft"

inline constexpr double kStandardPressureKpa = 101.325;

// The pressure of the standard atmosphere at an altitude in metres:
// 101.325 * (1 - 2.25577e-5 * h)^5.25588 kPa.
double StandardAtmosphereKpa(double altitudeMetres);
// The partial pressure of water vapour in Pa at a temperature and relative humidity:
// RH/100 * 610.94 * exp(17.625 t / (t + 243.04)).
double VapourPressurePa(double temperatureC, double humidityPercent);
// Moist air: (P - pv) / (287.058 T) + pv / (461.495 T), T in K, in kg/m3.
double MoistAirDensity(double pressureKpa, double temperatureC, double humidityPercent);

// Standard air: 1.204 kg/m3 (20 degC, 101.325 kPa, dry), or US standard air, 0.075 lb/ft3.
enum class StandardAir { Metric, UsStandard };
QString StandardAirText(StandardAir air);   // "1.204 kg/m3 (20 °C, 101.325 kPa, dry)" and the like
double StandardAirDensity(StandardAir air); // in kg/m3
inline constexpr double kKilogramsPerCubicMetrePerPoundPerCubicFoot = 16.018463;

// What the meter's probe reads: a vane turns with the actual air; a thermal probe senses the mass
// flow and reads velocity at standard density.
enum class ProbeType { Vane, Thermal };
QString ProbeTypeText(ProbeType probe); // "vane", "thermal"

// A reading of the probe as actual and as standard velocity (same unit as the reading).
struct ActualAndStandard {
    double actual = 0;
    double standard = 0;
};
ActualAndStandard ProbeVelocities(double reading, ProbeType probe, double density,
                                  double standardDensity);

// Where the pressure and the air's temperature and humidity came from.
enum class PressureOrigin { Measured, Altitude, Assumed };
enum class AirOrigin { Meter, Typed, TypedMeterNotPlain, TypedNoMeterReading };

// What the technician gives about the site's air.
struct AirInputs {
    PressureOrigin pressureOrigin = PressureOrigin::Assumed; // Assumed: 101.325 kPa
    double pressure = kStandardPressureKpa;
    PressureUnit pressureUnit = PressureUnit::Kilopascals;
    double altitude = 0;
    AltitudeUnit altitudeUnit = AltitudeUnit::Metres;
    // The typed temperature and humidity, used when typedAir is set or the meter's own cannot be.
    bool typedAir = false;
    double typedTemperatureC = 20;
    double typedHumidity = 0;
    StandardAir standard = StandardAir::Metric;
    ProbeType probe = ProbeType::Vane;

    friend bool operator==(const AirInputs&, const AirInputs&) = default;
};

// The density used and how it came about.
struct AirDensityUsed {
    double pressureKpa = kStandardPressureKpa;
    PressureOrigin pressureOrigin = PressureOrigin::Assumed;
    double temperatureC = 20;
    double humidity = 0;
    AirOrigin airOrigin = AirOrigin::Typed;
    double density = 0;
    double standardDensity = 0;
};

// meterAir: the mean of the meter's plain temperature and humidity over the test, when every
// point in the results had them; meterNotPlain: a point's readings were in dew-point or wet-bulb
// mode.
struct MeterAir {
    bool available = false;
    bool notPlain = false;
    double temperatureC = 0;
    double humidity = 0;
};
AirDensityUsed DensityFor(const AirInputs& inputs, const MeterAir& meter);

// "84.556 kPa from the altitude 1500 m", "101.325 kPa assumed (no pressure or altitude given)",
// "20.0 °C, 0 % RH from the meter", and the like.
// Numbers in the given locale.
QString PressureOriginText(const AirInputs& inputs, const AirDensityUsed& used,
                           const QLocale& locale);
QString AirOriginText(const AirDensityUsed& used, const QLocale& locale);
