#include "traverse/TraverseSettings.h"

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

// A positive finite number from the settings, or the fallback.
double positive(const QSettings& s, const QString& key, double fallback, double most) {
    bool ok = false;
    const double v = s.value(key).toDouble(&ok);
    return ok && std::isfinite(v) && v > 0 && v <= most ? v : fallback;
}

int whole(const QSettings& s, const QString& key, int fallback, int least, int most) {
    bool ok = false;
    const int v = s.value(key).toInt(&ok);
    return ok && v >= least && v <= most ? v : fallback;
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
    const double most = t.lengthUnit == LengthUnit::Inches ? 400 : 10000;
    t.diameter = positive(s, key("diameter"), d.diameter, most);
    t.width = positive(s, key("width"), d.width, most);
    t.height = positive(s, key("height"), d.height, most);
    t.roundPoints = whole(s, key("roundPoints"), d.roundPoints, 8, 10) == 10 ? 10 : 8;
    t.diameters = whole(s, key("diameters"), d.diameters, 2, 3);
    t.faceRows = whole(s, key("faceRows"), d.faceRows, 1, kMaxFaceCells);
    t.faceColumns = whole(s, key("faceColumns"), d.faceColumns, 1, kMaxFaceCells);
    t.resultUnit = UnitFromText(ReadingKind::Velocity, s.value(key("velocityUnit")).toString());
    t.takeSeconds = whole(s, key("takeSeconds"), d.takeSeconds, kMinTakeSeconds, kMaxTakeSeconds);
    bool ok = false;
    const double design = s.value(key("designValue")).toDouble(&ok);
    t.designValue = ok && std::isfinite(design) && design > 0 ? design : 0;
    const QString flowUnit = s.value(key("designFlowUnit")).toString();
    for (FlowUnit u : kFlowUnits)
        if (flowUnit == FlowUnitText(u))
            t.designFlowUnit = u;
    t.tolerancePercent = positive(s, key("tolerancePercent"), d.tolerancePercent, 100);
    t.faceFlagPercent = positive(s, key("faceFlagPercent"), d.faceFlagPercent, 100);
    return t;
}
