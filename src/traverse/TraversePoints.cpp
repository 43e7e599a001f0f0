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

QString TraverseShapeText(TraverseShape shape) {
    switch (shape) {
    case TraverseShape::RoundDuct:
        return QStringLiteral("Round duct");
    case TraverseShape::RectangularDuct:
        return QStringLiteral("Rectangular duct");
    case TraverseShape::FaceGrid:
        return QStringLiteral("Face grid");
    }
    return {};
}

bool SamePoints(const TraverseSetup& a, const TraverseSetup& b) {
    if (a.shape != b.shape || a.lengthUnit != b.lengthUnit)
        return false;
    switch (a.shape) {
    case TraverseShape::RoundDuct:
        return a.diameter == b.diameter && RoundPointsPerDiameter(a) == RoundPointsPerDiameter(b) &&
               a.diameters == b.diameters;
    case TraverseShape::RectangularDuct:
        return a.width == b.width && a.height == b.height;
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
        return {0.021, 0.117, 0.184, 0.345, 0.655, 0.816, 0.883, 0.981};
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

int RoundPointsPerDiameter(const TraverseSetup& setup) {
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
    // Cells no wider and no taller than a foot are no larger than a square foot.
    const auto count = [unit](double size) {
        const double feet = inches(size, unit) / 12;
        return std::clamp(int(std::ceil(feet - kMargin)), 1, kMaxFaceCells);
    };
    return {count(height), count(width)};
}

std::vector<TraversePoint> TraversePoints(const TraverseSetup& s) {
    std::vector<TraversePoint> points;
    const LengthUnit unit = s.lengthUnit;
    switch (s.shape) {
    case TraverseShape::RoundDuct: {
        const std::vector<double> along = RoundPositions(RoundPointsPerDiameter(s));
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
        const std::vector<double> across =
            RectanglePositions(RectanglePointsPerSide(s.width, unit));
        const std::vector<double> down = RectanglePositions(RectanglePointsPerSide(s.height, unit));
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
    }
    return points;
}

double InsideAreaSquareMetres(const TraverseSetup& s) {
    const double m = MetresPer(s.lengthUnit);
    if (s.shape == TraverseShape::RoundDuct) {
        const double d = s.diameter * m;
        return std::numbers::pi * d * d / 4;
    }
    return s.width * m * s.height * m;
}

SectionDrawing SectionDrawingOf(const TraverseSetup& s) {
    SectionDrawing d;
    switch (s.shape) {
    case TraverseShape::RoundDuct: {
        d.round = true;
        const int lines = s.diameters == 3 ? 3 : 2;
        for (int k = 0; k < lines; ++k) {
            const double angle = k * std::numbers::pi / lines;
            const QPointF half(0.5 * std::sin(angle), 0.5 * std::cos(angle));
            d.guides.emplace_back(QPointF(0.5, 0.5) - half, QPointF(0.5, 0.5) + half);
        }
        break;
    }
    case TraverseShape::RectangularDuct:
        d.aspect = s.height > 0 ? s.width / s.height : 1;
        for (double x : RectanglePositions(RectanglePointsPerSide(s.width, s.lengthUnit)))
            d.guides.emplace_back(QPointF(x, 0), QPointF(x, 1));
        break;
    case TraverseShape::FaceGrid: {
        d.aspect = s.height > 0 ? s.width / s.height : 1;
        const int rows = std::clamp(s.faceRows, 1, kMaxFaceCells);
        const int columns = std::clamp(s.faceColumns, 1, kMaxFaceCells);
        for (int c = 1; c < columns; ++c)
            d.guides.emplace_back(QPointF(double(c) / columns, 0), QPointF(double(c) / columns, 1));
        for (int r = 1; r < rows; ++r)
            d.guides.emplace_back(QPointF(0, double(r) / rows), QPointF(1, double(r) / rows));
        break;
    }
    }
    return d;
}
