#include "traverse/TraverseSettings.h"

#include <QDate>
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
    case TraverseShape::Grille:
        return QStringLiteral("grille");
    }
    return {};
}

// A finite number from the settings within the range, or the fallback.
double between(const QVariantMap& s, const QString& key, double fallback, double least,
               double most) {
    bool ok = false;
    const double v = s.value(key).toDouble(&ok);
    return ok && std::isfinite(v) && v >= least && v <= most ? v : fallback;
}

template <typename Enum, std::size_t N>
Enum pick(const QString& text, const std::array<Enum, N>& all, QString (*name)(Enum),
          Enum fallback) {
    for (Enum e : all)
        if (text == name(e))
            return e;
    return fallback;
}

// A positive finite number from the settings, or the fallback.
double positive(const QVariantMap& s, const QString& key, double fallback, double most) {
    bool ok = false;
    const double v = s.value(key).toDouble(&ok);
    return ok && std::isfinite(v) && v > 0 && v <= most ? v : fallback;
}

int whole(const QVariantMap& s, const QString& key, int fallback, int least, int most) {
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

QVariantMap SetupValues(const TraverseSetup& t) {
    QVariantMap s;
    s.insert(QStringLiteral("type"), TestTypeKey(t.type));
    s.insert(QStringLiteral("method"), t.method == DuctMethod::EqualArea
                                           ? QStringLiteral("equalarea")
                                           : QStringLiteral("logtchebycheff"));
    s.insert(QStringLiteral("shape"), shapeKey(t.shape));
    s.insert(QStringLiteral("lengthUnit"), LengthUnitText(t.lengthUnit));
    s.insert(QStringLiteral("diameter"), t.diameter);
    s.insert(QStringLiteral("width"), t.width);
    s.insert(QStringLiteral("height"), t.height);
    s.insert(QStringLiteral("roundPoints"), t.roundPoints);
    s.insert(QStringLiteral("diameters"), t.diameters);
    s.insert(QStringLiteral("faceRows"), t.faceRows);
    s.insert(QStringLiteral("faceColumns"), t.faceColumns);
    s.insert(QStringLiteral("velocityUnit"),
             t.resultUnit ? UnitText(*t.resultUnit) : QStringLiteral("meter"));
    s.insert(QStringLiteral("takeSeconds"), t.takeSeconds);
    s.insert(QStringLiteral("designValue"), t.designValue);
    s.insert(QStringLiteral("designFlowUnit"), FlowUnitText(t.designFlowUnit));
    s.insert(QStringLiteral("tolerancePercent"), t.tolerancePercent);
    s.insert(QStringLiteral("faceFlagPercent"), t.faceFlagPercent);
    s.insert(QStringLiteral("grilleReadings"), t.grilleReadings);
    s.insert(QStringLiteral("akValue"), t.akValue);
    s.insert(QStringLiteral("akUnit"), AreaUnitText(t.akUnit));
    s.insert(QStringLiteral("akSource"), t.akSource);
    s.insert(QStringLiteral("designVelocityUnit"), UnitText(t.designVelocityUnit));
    s.insert(QStringLiteral("designStandard"), t.designStandard);
    s.insert(QStringLiteral("bandLow"), t.bandLow);
    s.insert(QStringLiteral("bandHigh"), t.bandHigh);
    s.insert(QStringLiteral("bandUnit"), UnitText(t.bandUnit));
    s.insert(QStringLiteral("maxVariationPercent"), t.maxVariationPercent);
    const AirInputs& a = t.air;
    s.insert(QStringLiteral("pressureOrigin"),
             a.pressureOrigin == PressureOrigin::Measured   ? QStringLiteral("measured")
             : a.pressureOrigin == PressureOrigin::Altitude ? QStringLiteral("altitude")
                                                            : QStringLiteral("none"));
    s.insert(QStringLiteral("pressure"), a.pressure);
    s.insert(QStringLiteral("pressureUnit"), PressureUnitText(a.pressureUnit));
    s.insert(QStringLiteral("altitude"), a.altitude);
    s.insert(QStringLiteral("altitudeUnit"), AltitudeUnitText(a.altitudeUnit));
    s.insert(QStringLiteral("typedAir"), a.typedAir);
    s.insert(QStringLiteral("typedTemperature"), a.typedTemperatureC);
    s.insert(QStringLiteral("typedHumidity"), a.typedHumidity);
    s.insert(QStringLiteral("standardAir"),
             a.standard == StandardAir::Metric ? QStringLiteral("metric") : QStringLiteral("us"));
    return s;
}

void SaveTraverseSetup(QSettings& settings, const TraverseSetup& setup) {
    const QVariantMap values = SetupValues(setup);
    for (auto v = values.begin(); v != values.end(); ++v)
        settings.setValue(QStringLiteral("traverse/") + v.key(), v.value());
}

TraverseSetup SetupFromValues(const QVariantMap& s) {
    const TraverseSetup d; // defaults
    TraverseSetup t;
    const auto key = [](const char* name) {
        return QString::fromLatin1(name);
    };
    const QString type = s.value(key("type")).toString();
    for (TestType candidate : kTestTypes)
        if (type == TestTypeKey(candidate))
            t.type = candidate;
    const QString shape = s.value(key("shape")).toString();
    for (TraverseShape candidate :
         {TraverseShape::RoundDuct, TraverseShape::RectangularDuct, TraverseShape::FaceGrid})
        if (shape == shapeKey(candidate))
            t.shape = candidate;
    // A file of before the test types: a face grid.
    if (type.isEmpty() && t.shape == TraverseShape::FaceGrid)
        t.type = TestType::FaceGrid;
    t.shape = ShapeOf(t.type, t.shape);
    t.method = s.value(key("method")).toString() == QStringLiteral("equalarea")
                   ? DuctMethod::EqualArea
                   : DuctMethod::LogTchebycheff;
    t.lengthUnit = s.value(key("lengthUnit")).toString() == QStringLiteral("in")
                       ? LengthUnit::Inches
                       : LengthUnit::Millimetres;
    const double least = LeastSize(t.lengthUnit);
    const double most = MostSize(t.lengthUnit);
    t.diameter = between(s, key("diameter"), d.diameter, least, most);
    t.width = between(s, key("width"), d.width, least, most);
    t.height = between(s, key("height"), d.height, least, most);
    t.roundPoints = whole(s, key("roundPoints"), d.roundPoints, 8, 20);
    if (t.method == DuctMethod::LogTchebycheff)
        t.roundPoints = t.roundPoints == 10 ? 10 : 8;
    t.diameters = whole(s, key("diameters"), d.diameters, 2, 3);
    t.faceRows = whole(s, key("faceRows"), d.faceRows, 1, kMaxFaceCells);
    t.faceColumns = whole(s, key("faceColumns"), d.faceColumns, 1, kMaxFaceCells);
    t.resultUnit = UnitFromText(ReadingKind::Velocity, s.value(key("velocityUnit")).toString());
    t.takeSeconds = whole(s, key("takeSeconds"), d.takeSeconds, kMinTakeSeconds, kMaxTakeSeconds);
    bool ok = false;
    const double design = s.value(key("designValue")).toDouble(&ok);
    t.designValue =
        ok && std::isfinite(design) && design > 0 && design <= kMostDesignValue ? design : 0;
    const QString flowUnit = s.value(key("designFlowUnit")).toString();
    for (FlowUnit u : kFlowUnits)
        if (flowUnit == FlowUnitText(u))
            t.designFlowUnit = u;
    t.tolerancePercent = positive(s, key("tolerancePercent"), d.tolerancePercent, 100);
    t.faceFlagPercent = positive(s, key("faceFlagPercent"), d.faceFlagPercent, 100);
    t.grilleReadings =
        whole(s, key("grilleReadings"), d.grilleReadings, kMinGrilleReadings, kMaxGrilleReadings);
    t.akValue = between(s, key("akValue"), 0, 0, 1000);
    t.akUnit = s.value(key("akUnit")).toString() == QStringLiteral("ft2") ? AreaUnit::SquareFeet
                                                                          : AreaUnit::SquareMetres;
    t.akSource = s.value(key("akSource")).toString();
    const TraverseSetup typeDefaults = DefaultSetup(t.type);
    t.designVelocityUnit =
        UnitFromText(ReadingKind::Velocity, s.value(key("designVelocityUnit")).toString())
            .value_or(typeDefaults.designVelocityUnit);
    t.designStandard = s.value(key("designStandard")).toBool();
    t.bandUnit = UnitFromText(ReadingKind::Velocity, s.value(key("bandUnit")).toString())
                     .value_or(typeDefaults.bandUnit);
    t.bandLow = positive(s, key("bandLow"), typeDefaults.bandLow, 100000);
    t.bandHigh = positive(s, key("bandHigh"), typeDefaults.bandHigh, 100000);
    if (t.bandHigh < t.bandLow) {
        t.bandLow = typeDefaults.bandLow;
        t.bandHigh = typeDefaults.bandHigh;
        t.bandUnit = typeDefaults.bandUnit;
    }
    t.maxVariationPercent =
        positive(s, key("maxVariationPercent"), typeDefaults.maxVariationPercent, 100);
    AirInputs& a = t.air;
    const QString origin = s.value(key("pressureOrigin")).toString();
    a.pressureOrigin = origin == QStringLiteral("measured")   ? PressureOrigin::Measured
                       : origin == QStringLiteral("altitude") ? PressureOrigin::Altitude
                                                              : PressureOrigin::Assumed;
    a.pressureUnit = pick(s.value(key("pressureUnit")).toString(), kPressureUnits, PressureUnitText,
                          PressureUnit::Kilopascals);
    a.pressure =
        positive(s, key("pressure"), kStandardPressureKpa / KilopascalsPer(a.pressureUnit), 1e6);
    a.altitudeUnit = s.value(key("altitudeUnit")).toString() == QStringLiteral("ft")
                         ? AltitudeUnit::Feet
                         : AltitudeUnit::Metres;
    a.altitude = between(s, key("altitude"), 0, -500, 30000);
    a.typedAir = s.value(key("typedAir")).toBool();
    a.typedTemperatureC = between(s, key("typedTemperature"), 20, -40, 120);
    a.typedHumidity = between(s, key("typedHumidity"), 0, 0, 100);
    a.standard = s.value(key("standardAir")).toString() == QStringLiteral("us")
                     ? StandardAir::UsStandard
                     : StandardAir::Metric;
    return t;
}

TraverseSetup LoadTraverseSetup(const QSettings& settings) {
    QVariantMap values;
    const QString group = QStringLiteral("traverse/");
    for (const QString& key : settings.allKeys())
        if (key.startsWith(group))
            values.insert(key.mid(group.size()), settings.value(key));
    return SetupFromValues(values);
}

void SaveInstruments(QSettings& s, const KeptInstruments& kept) {
    s.beginGroup(QStringLiteral("instruments"));
    s.remove(QString());
    s.setValue(QStringLiteral("chosen"), kept.chosen);
    s.beginWriteArray(QStringLiteral("list"), int(kept.instruments.size()));
    for (int i = 0; i < int(kept.instruments.size()); ++i) {
        const Instrument& in = kept.instruments[std::size_t(i)];
        s.setArrayIndex(i);
        s.setValue(QStringLiteral("make"), in.make);
        s.setValue(QStringLiteral("model"), in.model);
        s.setValue(QStringLiteral("serial"), in.serial);
        s.setValue(QStringLiteral("probe"), ProbeTypeText(in.probe));
        s.setValue(QStringLiteral("calibrated"), in.calibrated.toString(Qt::ISODate));
        s.setValue(QStringLiteral("due"), in.calibrationDue.toString(Qt::ISODate));
    }
    s.endArray();
    s.endGroup();
}

KeptInstruments LoadInstruments(QSettings& s) {
    KeptInstruments kept;
    s.beginGroup(QStringLiteral("instruments"));
    const int n = s.beginReadArray(QStringLiteral("list"));
    for (int i = 0; i < n; ++i) {
        s.setArrayIndex(i);
        Instrument in;
        in.make = s.value(QStringLiteral("make")).toString();
        in.model = s.value(QStringLiteral("model")).toString();
        in.serial = s.value(QStringLiteral("serial")).toString();
        in.probe = s.value(QStringLiteral("probe")).toString() == QStringLiteral("thermal")
                       ? ProbeType::Thermal
                       : ProbeType::Vane;
        in.calibrated =
            QDate::fromString(s.value(QStringLiteral("calibrated")).toString(), Qt::ISODate);
        in.calibrationDue =
            QDate::fromString(s.value(QStringLiteral("due")).toString(), Qt::ISODate);
        if (!(in.make + in.model + in.serial).trimmed().isEmpty())
            kept.instruments.push_back(in);
    }
    s.endArray();
    bool ok = false;
    const int chosen = s.value(QStringLiteral("chosen")).toInt(&ok);
    s.endGroup();
    const int count = int(kept.instruments.size());
    kept.chosen = ok && chosen >= 0 && chosen < count ? chosen : (count > 0 ? 0 : -1);
    return kept;
}

void SaveTechnician(QSettings& s, const QString& technician) {
    s.setValue(QStringLiteral("traverse/technician"), technician);
}

QString LoadTechnician(const QSettings& s) {
    return s.value(QStringLiteral("traverse/technician")).toString();
}
