#include "link/MeterFrame.h"

#include "state/SystemTexts.h"

namespace {

std::uint16_t word(const MeterFrame& f, int at) {
    return static_cast<std::uint16_t>(f[at] * 256 + f[at + 1]);
}

// The text of a code counted from `first`; nothing for a code without one.
template <std::size_t N>
std::optional<QString> textOfCode(std::uint8_t code, int first, const char16_t* const (&texts)[N]) {
    const int at = code - first;
    return at >= 0 && at < int(N) ? std::optional(QString::fromUtf16(texts[at])) : std::nullopt;
}

} // namespace

MeterFrameFields FrameFields(const MeterFrame& f) {
    MeterFrameFields m;
    m.mode = f[0];
    m.temperatureUnit = f[1];
    m.humidityTenths = word(f, 2);
    m.temperatureSign = f[4];
    m.temperatureResolution = f[5];
    m.temperatureMagnitude = word(f, 6);
    m.kind = f[8];
    m.unitCode = f[9];
    m.valueMagnitude = word(f, 10);
    m.decimalCode = f[12];
    return m;
}

MeterFrame EncodeFrame(const MeterFrameFields& m) {
    auto hi = [](std::uint16_t v) {
        return static_cast<std::uint8_t>(v >> 8);
    };
    auto lo = [](std::uint16_t v) {
        return static_cast<std::uint8_t>(v & 0xFF);
    };
    return MeterFrame{m.mode,
                      m.temperatureUnit,
                      hi(m.humidityTenths),
                      lo(m.humidityTenths),
                      m.temperatureSign,
                      m.temperatureResolution,
                      hi(m.temperatureMagnitude),
                      lo(m.temperatureMagnitude),
                      m.kind,
                      m.unitCode,
                      hi(m.valueMagnitude),
                      lo(m.valueMagnitude),
                      m.decimalCode};
}

DecodedFrame DecodeFrame(const MeterFrame& frame) {
    const MeterFrameFields m = FrameFields(frame);
    DecodedFrame d;

    double t = m.temperatureMagnitude;
    if (m.temperatureResolution == 0)
        t /= 10;
    if (m.temperatureSign == 1)
        t = -t;
    const double h = m.humidityTenths / 10.0;
    d.modeLabel = textOfCode(m.mode, 0, {u"", u"DP", u"WB"});
    d.temperature = t == 0.0 ? 0.0 : t; // never -0
    d.temperatureUnit = textOfCode(m.temperatureUnit, 1, {u"\u00B0C", u"\u00B0F"});
    d.humidity = h;
    // The normal mode's tag is a blank, so the temperature lines up with "DP" and "WB".
    const QString tag = m.mode == 0 ? QStringLiteral(" ") : d.modeLabel.value_or(QString());
    d.trhText =
        tag + NumberText(t) + d.temperatureUnit.value_or(QString()) + u' ' + NumberText(h) + u'%';

    d.kind = m.kind == 1   ? ReadingKind::Velocity
             : m.kind == 2 ? ReadingKind::Flow
                           : ReadingKind::Unknown;
    d.unit = UnitOfCode(d.kind, m.unitCode);

    // Decimal codes 2, 3 and 4 put the point before the last one, two or three digits.
    static constexpr double kDivisors[] = {1, 1, 10, 100, 1000};
    const double v = m.valueMagnitude / (m.decimalCode < 5 ? kDivisors[m.decimalCode] : 1);
    d.value = v;
    d.dataText = NumberText(v);
    return d;
}
