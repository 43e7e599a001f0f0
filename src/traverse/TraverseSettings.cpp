#include "traverse/TraverseSettings.h"

#include "traverse/TraverseRanges.h"

#include <QSettings>

#include <algorithm>
#include <cmath>

namespace {

QString shapeKey(TraverseShape s) {
    switch (s) {
    case TraverseShape::RoundDuct:
        return QStringLiteral("round");
    case TraverseShape::RectangularDuct:
        return QStringLiteral("rectangular");
    case TraverseShape::FaceGrid:
        return QStringLiteral("face");
    }
    return {};
}

// A number from the settings as its box would hold it (see SetupRange::Fit), or the fallback when
// there is none.
double fitted(const QSettings& s, const QString& key, double fallback, const SetupRange& range) {
    bool ok = false;
    const double v = s.value(key).toDouble(&ok);
    return ok && std::isfinite(v) ? range.Fit(v) : fallback;
}

int whole(const QSettings& s, const QString& key, int fallback, const SetupRange& range) {
    return int(fitted(s, key, fallback, range));
}

} // namespace

QString TraverseSettingsOrganisation() {
    return QStringLiteral("Vantello");
}

QString TraverseSettingsApplication() {
    return QStringLiteral("Vantello");
}

void SaveTraverseSetup(QSettings& s, const TraverseSetup& t) {
    s.beginGroup(QStringLiteral("traverse"));
    s.setValue(QStringLiteral("shape"), shapeKey(t.shape));
    s.setValue(QStringLiteral("lengthUnit"), LengthUnitText(t.lengthUnit));
    s.setValue(QStringLiteral("diameter"), t.diameter);
    s.setValue(QStringLiteral("width"), t.width);
    s.setValue(QStringLiteral("height"), t.height);
    s.setValue(QStringLiteral("roundPoints"), t.roundPoints);
    s.setValue(QStringLiteral("diameters"), t.diameters);
    s.setValue(QStringLiteral("faceRows"), t.faceRows);
    s.setValue(QStringLiteral("faceColumns"), t.faceColumns);
    s.setValue(QStringLiteral("velocityUnit"),
               t.resultUnit ? UnitText(*t.resultUnit) : QStringLiteral("meter"));
    s.setValue(QStringLiteral("takeSeconds"), t.takeSeconds);
    s.setValue(QStringLiteral("designValue"), t.designValue);
    s.setValue(QStringLiteral("designFlowUnit"), FlowUnitText(t.designFlowUnit));
    s.setValue(QStringLiteral("tolerancePercent"), t.tolerancePercent);
    s.setValue(QStringLiteral("faceFlagPercent"), t.faceFlagPercent);
    s.endGroup();
}

TraverseSetup LoadTraverseSetup(const QSettings& s) {
    const TraverseSetup d; // defaults
    TraverseSetup t;
    const auto key = [](const char* name) {
        return QStringLiteral("traverse/") + QLatin1String(name);
    };
    const QString shape = s.value(key("shape")).toString();
    for (TraverseShape candidate :
         {TraverseShape::RoundDuct, TraverseShape::RectangularDuct, TraverseShape::FaceGrid})
        if (shape == shapeKey(candidate))
            t.shape = candidate;
    t.lengthUnit = s.value(key("lengthUnit")).toString() == QStringLiteral("in")
                       ? LengthUnit::Inches
                       : LengthUnit::Millimetres;
    const SetupRange size = SizeRange(t.lengthUnit);
    t.diameter = fitted(s, key("diameter"), d.diameter, size);
    t.width = fitted(s, key("width"), d.width, size);
    t.height = fitted(s, key("height"), d.height, size);
    t.roundPoints = s.value(key("roundPoints")).toInt() == 10 ? 10 : 8;
    t.diameters = s.value(key("diameters")).toInt() == 3 ? 3 : 2;
    t.faceRows = whole(s, key("faceRows"), d.faceRows, kFaceCellsRange);
    t.faceColumns = whole(s, key("faceColumns"), d.faceColumns, kFaceCellsRange);
    t.resultUnit = UnitFromText(ReadingKind::Velocity, s.value(key("velocityUnit")).toString());
    t.takeSeconds = whole(s, key("takeSeconds"), d.takeSeconds, kTakeSecondsRange);
    t.designValue = fitted(s, key("designValue"), d.designValue, kDesignValueRange);
    const QString flowUnit = s.value(key("designFlowUnit")).toString();
    for (FlowUnit u : kFlowUnits)
        if (flowUnit == FlowUnitText(u))
            t.designFlowUnit = u;
    t.tolerancePercent =
        fitted(s, key("tolerancePercent"), d.tolerancePercent, kTolerancePercentRange);
    t.faceFlagPercent = fitted(s, key("faceFlagPercent"), d.faceFlagPercent, kFaceFlagPercentRange);
    return t;
}
