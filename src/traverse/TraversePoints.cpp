#include "traverse/TraversePoints.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Sizes compared in inches, with a margin for the rounding of a metric size (762 mm is 30 in).
double inches(double size, LengthUnit unit) {
    return size * MetresPer(unit) / 0.0254;
}
constexpr double kMargin = 1e-9;

QChar lineLetter(int index) {
    return QChar(u'A' + index);
}

} // namespace

namespace {

// Each test type's names: in the settings, on screen and as the report's title.
struct TestTypeNames {
    const char* key;
    const char* text;
    const char* title;
};
constexpr std::array<TestTypeNames, kTestTypes.size()> kTestTypeNames{{
    {"duct", "Duct traverse", "Duct Traverse Report"},
    {"grille", "Grille or diffuser", "Grille / Diffuser Report"},
    {"fumehood", "Fume hood face", "Fume Hood Face Velocity Report"},
    {"cleanair", "Clean air unit", "Clean Air Unit Report"},
    {"face", "Face grid", "Face Grid Report"},
}};
const TestTypeNames& namesOf(TestType type) {
    return kTestTypeNames[std::size_t(type)];
}

} // namespace

QString TestTypeKey(TestType type) {
    return QString::fromLatin1(namesOf(type).key);
}

QString TestTypeText(TestType type) {
    return QString::fromLatin1(namesOf(type).text);
}

QString TestReportTitle(TestType type) {
    return QString::fromLatin1(namesOf(type).title);
}

QString DuctMethodText(DuctMethod method) {
    return method == DuctMethod::EqualArea ? QStringLiteral("equal area")
                                           : QStringLiteral("log-Tchebycheff");
}

QString AreaUnitText(AreaUnit unit) {
    return unit == AreaUnit::SquareMetres ? QStringLiteral("m2") : QStringLiteral("ft2");
}

TraverseShape ShapeOf(TestType type, TraverseShape ductShape) {
    switch (type) {
    case TestType::DuctTraverse:
        return ductShape == TraverseShape::RoundDuct ? TraverseShape::RoundDuct
                                                     : TraverseShape::RectangularDuct;
    case TestType::Grille:
        return TraverseShape::Grille;
    case TestType::FumeHood:
    case TestType::CleanAirUnit:
    case TestType::FaceGrid:
        break;
    }
    return TraverseShape::FaceGrid;
}

double LargestCellSquareMetres(TestType type) {
    return type == TestType::CleanAirUnit ? 0.09 : kSquareMetresPerSquareFoot;
}

QString MeasuringNote(TestType type) {
    if (type == TestType::CleanAirUnit)
        return QStringLiteral("Measure 150 mm (6 in) from the filter face.");
    if (type == TestType::Grille)
        return QStringLiteral("Take the readings where the maker's data for Ak says.");
    return {};
}

TraverseSetup DefaultSetup(TestType type) {
    TraverseSetup s;
    s.type = type;
    switch (type) {
    case TestType::DuctTraverse:
        break;
    case TestType::Grille:
        s.shape = TraverseShape::Grille;
        break;
    case TestType::FumeHood:
        s.shape = TraverseShape::FaceGrid;
        s.width = 1500;
        s.height = 700;
        break;
    case TestType::CleanAirUnit:
        s.shape = TraverseShape::FaceGrid;
        s.width = 1200;
        s.height = 600;
        s.designValue = 0.45;
        s.designVelocityUnit = MeterUnit::MetresPerSecond;
        s.tolerancePercent = 10;
        s.maxVariationPercent = 15;
        s.takeSeconds = 10;
        break;
    case TestType::FaceGrid:
        s.shape = TraverseShape::FaceGrid;
        break;
    }
    if (s.shape == TraverseShape::FaceGrid) {
        const FaceGrid g =
            ProposedFaceGrid(s.width, s.height, s.lengthUnit, LargestCellSquareMetres(type));
        s.faceRows = g.rows;
        s.faceColumns = g.columns;
    }
    return s;
}

QString TraverseShapeText(TraverseShape shape) {
    switch (shape) {
    case TraverseShape::RoundDuct:
        return QStringLiteral("Round duct");
    case TraverseShape::RectangularDuct:
        return QStringLiteral("Rectangular duct");
    case TraverseShape::FaceGrid:
        return QStringLiteral("Face grid");
    case TraverseShape::Grille:
        return QStringLiteral("Grille");
    }
    return {};
}

bool SamePoints(const TraverseSetup& a, const TraverseSetup& b) {
    if (a.type != b.type || a.shape != b.shape || a.lengthUnit != b.lengthUnit)
        return false;
    switch (a.shape) {
    case TraverseShape::RoundDuct:
        return a.method == b.method && a.diameter == b.diameter &&
               RoundPointsPerDiameter(a) == RoundPointsPerDiameter(b) && a.diameters == b.diameters;
    case TraverseShape::RectangularDuct:
        return a.method == b.method && a.width == b.width && a.height == b.height;
    case TraverseShape::Grille:
        return a.grilleReadings == b.grilleReadings;
    case TraverseShape::FaceGrid:
        return a.width == b.width && a.height == b.height && a.faceRows == b.faceRows &&
               a.faceColumns == b.faceColumns;
    }
    return false;
}

std::vector<double> RoundPositions(int points) {
    switch (points) {
    case 6:
        return {0.032, 0.135, 0.321, 0.679, 0.865, 0.968};
    case 10:
        return {0.019, 0.077, 0.153, 0.217, 0.361, 0.639, 0.783, 0.847, 0.923, 0.981};
    default:
        return {0.021, 0.117, 0.184, 0.345, 0.655, 0.816, 0.883, 0.979};
    }
}

std::vector<double> RectanglePositions(int points) {
    switch (points) {
    case 6:
        return {0.061, 0.235, 0.437, 0.563, 0.765, 0.939};
    case 7:
        return {0.053, 0.203, 0.366, 0.500, 0.634, 0.797, 0.947};
    default:
        return {0.074, 0.288, 0.500, 0.712, 0.926};
    }
}

std::vector<double> EqualAreaRoundPositions(int n) {
    std::vector<double> out;
    for (int i = n; i >= 1; --i)
        out.push_back(0.5 - 0.5 * std::sqrt((2.0 * i - 1) / (2.0 * n)));
    for (int i = 1; i <= n; ++i)
        out.push_back(0.5 + 0.5 * std::sqrt((2.0 * i - 1) / (2.0 * n)));
    return out;
}

int EqualAreaPointsPerSide(double side, LengthUnit unit) {
    const double cell = unit == LengthUnit::Millimetres ? 150 : 6;
    return std::clamp(int(std::ceil(side / cell - kMargin)), 4, 8);
}

int RectangleColumns(const TraverseSetup& s) {
    return s.method == DuctMethod::EqualArea ? EqualAreaPointsPerSide(s.width, s.lengthUnit)
                                             : RectanglePointsPerSide(s.width, s.lengthUnit);
}

int RectangleRows(const TraverseSetup& s) {
    return s.method == DuctMethod::EqualArea ? EqualAreaPointsPerSide(s.height, s.lengthUnit)
                                             : RectanglePointsPerSide(s.height, s.lengthUnit);
}

namespace {
std::vector<double> equalParts(int n) {
    std::vector<double> out;
    for (int k = 0; k < n; ++k)
        out.push_back((k + 0.5) / n);
    return out;
}
std::vector<double> diameterPositions(const TraverseSetup& s) {
    const int n = RoundPointsPerDiameter(s);
    return s.method == DuctMethod::EqualArea ? EqualAreaRoundPositions(n / 2) : RoundPositions(n);
}
std::vector<double> columnPositions(const TraverseSetup& s) {
    return s.method == DuctMethod::EqualArea ? equalParts(RectangleColumns(s))
                                             : RectanglePositions(RectangleColumns(s));
}
std::vector<double> rowPositions(const TraverseSetup& s) {
    return s.method == DuctMethod::EqualArea ? equalParts(RectangleRows(s))
                                             : RectanglePositions(RectangleRows(s));
}
// Grille readings drawn in rows of up to ten.
FaceGrid grilleLayout(int readings) {
    const int n = std::clamp(readings, kMinGrilleReadings, kMaxGrilleReadings);
    const int rows = (n + 9) / 10;
    return {rows, (n + rows - 1) / rows};
}
} // namespace

int RoundPointsPerDiameter(const TraverseSetup& setup) {
    if (setup.method == DuctMethod::EqualArea)
        return std::clamp(setup.roundPoints / 2 * 2, 10, 20);
    if (inches(setup.diameter, setup.lengthUnit) < 10 - kMargin)
        return 6;
    return setup.roundPoints == 10 ? 10 : 8;
}

int RectanglePointsPerSide(double side, LengthUnit unit) {
    const double in = inches(side, unit);
    if (in < 30 - kMargin)
        return 5;
    if (in <= 36 + kMargin)
        return 6;
    return 7;
}

FaceGrid ProposedFaceGrid(double width, double height, LengthUnit unit) {
    return ProposedFaceGrid(width, height, unit, kSquareMetresPerSquareFoot);
}

FaceGrid ProposedFaceGrid(double width, double height, LengthUnit unit, double largestCellM2) {
    // Cells no wider and no taller than the square root of the area are no larger than it.
    const double side = std::sqrt(largestCellM2);
    const auto count = [&](double size) {
        const double cells = size * MetresPer(unit) / side;
        return std::clamp(int(std::ceil(cells - 1e-6)), 1, kMaxFaceCells);
    };
    return {count(height), count(width)};
}

std::vector<TraversePoint> TraversePoints(const TraverseSetup& s) {
    std::vector<TraversePoint> points;
    const LengthUnit unit = s.lengthUnit;
    switch (s.shape) {
    case TraverseShape::RoundDuct: {
        const std::vector<double> along = diameterPositions(s);
        const int lines = s.diameters == 3 ? 3 : 2;
        for (int k = 0; k < lines; ++k) {
            // Holes at k * 180 / lines degrees round the wall from the top, counter-clockwise:
            // A enters from the top, B (of two) from the left.
            const double angle = k * std::numbers::pi / lines;
            const QPointF hole(0.5 - 0.5 * std::sin(angle), 0.5 - 0.5 * std::cos(angle));
            const QPointF inward(std::sin(angle), std::cos(angle));
            for (std::size_t i = 0; i < along.size(); ++i) {
                TraversePoint p;
                p.name = lineLetter(k) + QString::number(i + 1);
                p.depth = RoundToLengthStep(along[i] * s.diameter, unit);
                p.at = hole + along[i] * inward;
                points.push_back(p);
            }
        }
        break;
    }
    case TraverseShape::RectangularDuct: {
        const std::vector<double> across = columnPositions(s);
        const std::vector<double> down = rowPositions(s);
        for (std::size_t k = 0; k < across.size(); ++k)
            for (std::size_t i = 0; i < down.size(); ++i) {
                TraversePoint p;
                p.name = lineLetter(int(k)) + QString::number(i + 1);
                p.across = RoundToLengthStep(across[k] * s.width, unit);
                p.depth = RoundToLengthStep(down[i] * s.height, unit);
                p.at = QPointF(across[k], down[i]);
                points.push_back(p);
            }
        break;
    }
    case TraverseShape::FaceGrid: {
        const int rows = std::clamp(s.faceRows, 1, kMaxFaceCells);
        const int columns = std::clamp(s.faceColumns, 1, kMaxFaceCells);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                const double x = (c + 0.5) / columns;
                const double y = (r + 0.5) / rows;
                TraversePoint p;
                p.name = QStringLiteral("R%1C%2").arg(r + 1).arg(c + 1);
                p.across = RoundToLengthStep(x * s.width, unit);
                p.depth = RoundToLengthStep(y * s.height, unit);
                p.at = QPointF(x, y);
                points.push_back(p);
            }
        break;
    }
    case TraverseShape::Grille: {
        const int n = std::clamp(s.grilleReadings, kMinGrilleReadings, kMaxGrilleReadings);
        const FaceGrid layout = grilleLayout(n);
        for (int i = 0; i < n; ++i) {
            TraversePoint p;
            p.name = QStringLiteral("P%1").arg(i + 1);
            p.at = QPointF((i % layout.columns + 0.5) / layout.columns,
                           (i / layout.columns + 0.5) / layout.rows);
            points.push_back(p);
        }
        break;
    }
    }
    return points;
}

double InsideAreaSquareMetres(const TraverseSetup& s) {
    if (s.shape == TraverseShape::Grille)
        return s.akValue > 0
                   ? s.akValue *
                         (s.akUnit == AreaUnit::SquareFeet ? kSquareMetresPerSquareFoot : 1.0)
                   : 0.0;
    const double m = MetresPer(s.lengthUnit);
    if (s.shape == TraverseShape::RoundDuct) {
        const double d = s.diameter * m;
        return std::numbers::pi * d * d / 4;
    }
    return s.width * m * s.height * m;
}

bool DesignIsFlow(TestType type) {
    return type == TestType::DuctTraverse || type == TestType::Grille;
}

TraverseSetup WithTestType(const TraverseSetup& setup, TestType type) {
    if (setup.type == type)
        return setup;
    const TraverseSetup defaults = DefaultSetup(type);
    TraverseSetup s = setup;
    s.type = type;
    s.shape = type == TestType::DuctTraverse
                  ? (setup.type == TestType::DuctTraverse ? setup.shape : defaults.shape)
                  : defaults.shape;
    if (DesignIsFlow(type) != DesignIsFlow(setup.type)) {
        s.designValue = defaults.designValue;
        s.designVelocityUnit = defaults.designVelocityUnit;
        s.designStandard = false;
    }
    if (type == TestType::FumeHood || type == TestType::CleanAirUnit) {
        s.tolerancePercent = defaults.tolerancePercent;
        s.takeSeconds = std::max(s.takeSeconds, defaults.takeSeconds);
    }
    if (s.shape == TraverseShape::FaceGrid) {
        const FaceGrid g =
            ProposedFaceGrid(s.width, s.height, s.lengthUnit, LargestCellSquareMetres(type));
        s.faceRows = g.rows;
        s.faceColumns = g.columns;
    }
    return s;
}

double FlowInUnit(double value, FlowUnit from, FlowUnit to) {
    return value / FlowFromCubicMetresPerSecond(1.0, from) * FlowFromCubicMetresPerSecond(1.0, to);
}

double VelocityInUnit(double value, MeterUnit from, MeterUnit to) {
    return value * SiPerUnit(from) / SiPerUnit(to);
}
