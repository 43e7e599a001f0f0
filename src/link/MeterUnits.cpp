#include "link/MeterUnits.h"

std::optional<MeterUnit> UnitOfCode(ReadingKind kind, std::uint8_t code) {
    for (const MeterUnitRow& r : kMeterUnits)
        if (r.kind == kind && r.code == code)
            return r.unit;
    return std::nullopt;
}

std::optional<MeterUnit> UnitFromText(ReadingKind kind, const QString& text) {
    for (const MeterUnitRow& r : kMeterUnits)
        if (r.kind == kind && text == QStringView(r.text))
            return r.unit;
    return std::nullopt;
}

std::optional<QString> KindLabel(ReadingKind kind) {
    switch (kind) {
    case ReadingKind::Velocity:
        return QStringLiteral("VEL");
    case ReadingKind::Flow:
        return QStringLiteral("FLOW");
    case ReadingKind::Unknown:
        break;
    }
    return std::nullopt;
}
