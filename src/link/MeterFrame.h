#pragma once

#include "link/MeterUnits.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// One reading as the meter sends it: 13 bytes, no marker, no length, no checksum. Two-byte
// quantities are unsigned big-endian.
// The layout, byte by byte, is in MeterFrameFields (offsets 0, 1, 2-3, 4, 5, 6-7, 8, 9, 10-11, 12).
inline constexpr int kFrameLength = 13;
using MeterFrame = std::array<std::uint8_t, kFrameLength>;

// What a frame says, field by field.
struct MeterFrameFields {
    std::uint8_t mode = 0;                  // 0 normal, 1 dew point, 2 wet bulb
    std::uint8_t temperatureUnit = 1;       // 1 degrees Celsius, 2 degrees Fahrenheit
    std::uint16_t humidityTenths = 0;       // relative humidity in tenths of a percent
    std::uint8_t temperatureSign = 0;       // 1 negative, anything else positive
    std::uint8_t temperatureResolution = 0; // 0 tenths of a degree, anything else whole degrees
    std::uint16_t temperatureMagnitude = 0;
    std::uint8_t kind = 1;     // 1 air velocity, 2 air flow
    std::uint8_t unitCode = 1; // by kind: velocity m/s, km/h, mil/h, ft/m, ft/s, knots;
                               // flow CMS, CMM, CFM
    std::uint16_t valueMagnitude = 0;
    std::uint8_t decimalCode = 1; // 1 whole, 2 tenths, 3 hundredths, 4 thousandths
};

MeterFrameFields FrameFields(const MeterFrame& frame);
MeterFrame EncodeFrame(const MeterFrameFields& fields);

// What one frame says: the typed kind and unit that rules decide by, and the texts and the number
// that a stored reading takes.
struct DecodedFrame {
    double value = 0.0;                      // the main value, never negative, in `unit`
    ReadingKind kind = ReadingKind::Unknown; // velocity or flow
    std::optional<MeterUnit> unit;           // absent for an unknown kind or unit code
    QString dataText;                        // value as number text
    QString trhText;                         // mode tag, temperature, temperature unit, humidity
    // "VEL" or "FLOW"; absent for an unknown kind.
    std::optional<QString> KindLabel() const { return ::KindLabel(kind); }
    // The unit's text; absent for an unknown kind or unit code.
    std::optional<QString> UnitText() const {
        return unit ? std::optional<QString>(::UnitText(*unit)) : std::nullopt;
    }
    // The pieces of trhText, for writers that keep them apart.
    std::optional<QString> modeLabel;       // "", "DP" or "WB"; absent for an unknown mode
    double temperature = 0.0;               // degrees, negative below zero
    std::optional<QString> temperatureUnit; // "°C" or "°F"; absent for an unknown code
    double humidity = 0.0;                  // relative humidity in percent
};

// Decodes any 13 bytes; unknown codes only leave pieces out.
DecodedFrame DecodeFrame(const MeterFrame& frame);
