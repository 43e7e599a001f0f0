#pragma once

#include "link/MeterFrame.h"

#include <cstdint>
#include <random>

// Readings of a simulated meter held in a duct: the air velocity drifts slowly around a level
// that itself wanders, temperature and humidity creep, and now and then the operator switches the
// display for a while to air flow, dew point or wet-bulb temperature.
class MeterSimulator {
public:
    explicit MeterSimulator(std::uint32_t seed = std::random_device{}());

    MeterFrameFields NextFields();
    MeterFrame NextFrame() { return EncodeFrame(NextFields()); }

    static constexpr double kDuctArea = 0.05; // m^2: flow = velocity * area

private:
    enum class Display { Velocity, Flow, DewPoint, WetBulb };

    double uniform(double lo, double hi);
    double normal(double sigma);
    void step();

    std::mt19937 m_random;
    double m_level = 3.0;        // m/s the velocity is drawn towards
    double m_velocity = 3.0;     // m/s
    double m_temperature = 22.5; // degrees Celsius
    double m_humidity = 45.0;    // percent
    Display m_display = Display::Velocity;
    int m_displayLeft = 0; // readings left before the display returns to velocity
};

// Dew point and wet-bulb temperature in degrees Celsius from air temperature and relative
// humidity in percent.
double DewPoint(double celsius, double humidity);
double WetBulb(double celsius, double humidity);
