#include "link/MeterSimulator.h"

#include <algorithm>
#include <cmath>

MeterSimulator::MeterSimulator(std::uint32_t seed)
    : m_random(seed) {
    m_level = uniform(1.5, 6.0);
    m_velocity = m_level;
    m_temperature = uniform(18.0, 26.0);
    m_humidity = uniform(35.0, 60.0);
}

double MeterSimulator::uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(m_random);
}

double MeterSimulator::normal(double sigma) {
    return std::normal_distribution<double>(0.0, sigma)(m_random);
}

void MeterSimulator::step() {
    m_level = std::clamp(m_level + normal(0.05), 0.3, 12.0);
    m_velocity = std::max(0.0, m_velocity + 0.2 * (m_level - m_velocity) + normal(0.04));
    m_temperature = std::clamp(m_temperature + normal(0.02), -5.0, 45.0);
    m_humidity = std::clamp(m_humidity + normal(0.05), 10.0, 95.0);

    if (m_displayLeft > 0 && --m_displayLeft == 0) {
        m_display = Display::Velocity;
    } else if (m_display == Display::Velocity && uniform(0.0, 1.0) < 1.0 / 60) {
        static constexpr Display others[] = {Display::Flow, Display::DewPoint, Display::WetBulb};
        m_display = others[std::uniform_int_distribution<int>(0, 2)(m_random)];
        m_displayLeft = std::uniform_int_distribution<int>(6, 20)(m_random);
    }
}

MeterFrameFields MeterSimulator::NextFields() {
    step();
    MeterFrameFields f;
    f.temperatureUnit = 1; // degrees Celsius
    f.humidityTenths = static_cast<std::uint16_t>(std::lround(m_humidity * 10));

    double shown = m_temperature;
    f.mode = 0;
    if (m_display == Display::DewPoint) {
        f.mode = 1;
        shown = DewPoint(m_temperature, m_humidity);
    } else if (m_display == Display::WetBulb) {
        f.mode = 2;
        shown = WetBulb(m_temperature, m_humidity);
    }
    const long tenths = std::lround(shown * 10);
    f.temperatureSign = tenths < 0 ? 1 : 0;
    f.temperatureResolution = 0;
    f.temperatureMagnitude = static_cast<std::uint16_t>(std::labs(tenths));

    if (m_display == Display::Flow) {
        f.kind = 2;
        f.unitCode = 2;                                    // CMM
        const double flow = m_velocity * kDuctArea * 60.0; // m^3 per minute
        f.valueMagnitude = static_cast<std::uint16_t>(std::lround(flow * 100));
        f.decimalCode = 3;
    } else {
        f.kind = 1;
        f.unitCode = 1; // m/s
        f.valueMagnitude = static_cast<std::uint16_t>(std::lround(m_velocity * 100));
        f.decimalCode = 3;
    }
    return f;
}

double DewPoint(double celsius, double humidity) {
    constexpr double a = 17.62;
    constexpr double b = 243.12;
    const double gamma = std::log(humidity / 100.0) + a * celsius / (b + celsius);
    return b * gamma / (a - gamma);
}

double WetBulb(double celsius, double humidity) {
    // Empirical fit for sea-level pressure, good to a few tenths of a degree.
    const double t = celsius;
    const double rh = humidity;
    return t * std::atan(0.151977 * std::sqrt(rh + 8.313659)) + std::atan(t + rh) -
           std::atan(rh - 1.676331) + 0.00391838 * std::pow(rh, 1.5) * std::atan(0.023101 * rh) -
           4.686035;
}
