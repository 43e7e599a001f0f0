#include "traverse/SectionDrawing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

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
        for (const TraversePoint& p : TraversePoints(s))
            if (d.guides.empty() || d.guides.back().x1() != p.at.x())
                d.guides.emplace_back(QPointF(p.at.x(), 0), QPointF(p.at.x(), 1));
        break;
    case TraverseShape::Grille:
        // The grille's face, its readings where the maker says: no guides.
        d.aspect = 2;
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
