#pragma once

#include "traverse/TraverseUnits.h"

#include <QLineF>
#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

// What is traversed and how: a round or rectangular duct by log-Tchebycheff, or a face (a hood
// opening, grille, filter or outlet) as a grid of equal cells with a point at each centre.
enum class TraverseShape { RoundDuct, RectangularDuct, FaceGrid };

// "Round duct", "Rectangular duct", "Face grid".
QString TraverseShapeText(TraverseShape shape);

// The setup of one traverse. Sizes are inside dimensions in lengthUnit.
struct TraverseSetup {
    TraverseShape shape = TraverseShape::RectangularDuct;
    LengthUnit lengthUnit = LengthUnit::Millimetres;
    double diameter = 400; // round duct
    double width = 600;    // rectangular duct or face
    double height = 400;
    int roundPoints = 8; // points per diameter from 10 in on: 8 or 10 (below, always 6)
    int diameters = 2;   // 2 (holes at 90 degrees) or 3 (at 60 degrees)
    int faceRows = 2;    // face grid, 1 ... kMaxFaceCells each
    int faceColumns = 2;
    std::optional<MeterUnit> resultUnit; // nothing: the unit the meter sends
    int takeSeconds = 10;                // 1 ... 120
    // Optional design value, 0 for none: a flow in designFlowUnit for a duct, a face velocity in
    // the results' unit for a face.
    double designValue = 0;
    FlowUnit designFlowUnit = FlowUnit::CubicMetresPerHour;
    double tolerancePercent = 10; // PASS within design +- this
    double faceFlagPercent = 20;  // a face point further than this from the face's mean is flagged

    friend bool operator==(const TraverseSetup&, const TraverseSetup&) = default;
};

inline constexpr int kMinTakeSeconds = 1;
inline constexpr int kMaxTakeSeconds = 120;
inline constexpr int kMaxFaceCells = 10;

// Whether two setups give the same points (shape, sizes, unit, point counts).
bool SamePoints(const TraverseSetup& a, const TraverseSetup& b);

// Log-Tchebycheff positions across a round duct's diameter (6, 8 or 10 points) or a rectangular
// duct's side (5, 6 or 7 points), as fractions from the inner wall.
std::vector<double> RoundPositions(int points);
std::vector<double> RectanglePositions(int points);

// Points per diameter: 6 below 10 in (254 mm), otherwise the setup's choice of 8 or 10.
int RoundPointsPerDiameter(const TraverseSetup& setup);
// Points along a rectangular duct's side: 5 below 30 in (762 mm), 6 up to 36 in (914.4 mm), 7
// above.
int RectanglePointsPerSide(double side, LengthUnit unit);
// A face grid whose cells are no larger than one square foot: rows along the height, columns
// along the width, at most kMaxFaceCells each.
struct FaceGrid {
    int rows = 1;
    int columns = 1;
};
FaceGrid ProposedFaceGrid(double width, double height, LengthUnit unit);

// One measuring point.
struct TraversePoint {
    // Traverse line letter and number ("A1", "C8"), or row and column on a face ("R2C3").
    QString name;
    // Where the probe goes, in the setup's length unit rounded to 1 mm or 0.05 in. Round duct:
    // depth from the inner wall along the diameter (across unused). Rectangular duct: across is
    // the traverse line's distance from the left inner wall, depth the insertion depth from the
    // top inner wall. Face: across from the left edge, depth from the top edge.
    double across = 0;
    double depth = 0;
    // Where the point sits in the cross-section's drawing, as fractions of the drawing's width
    // and height from its top-left corner.
    QPointF at;
};

// The points in the order they are taken: line by line (A1, A2, ..., B1, ...) or row by row.
std::vector<TraversePoint> TraversePoints(const TraverseSetup& setup);

// The inside area in m2.
double InsideAreaSquareMetres(const TraverseSetup& setup);
inline constexpr double kSquareMetresPerSquareFoot = 0.09290304;

// The cross-section as a drawing, in fractions of its width and height from the top-left corner:
// its shape (a circle filling the square, or a rectangle), its width-to-height ratio, and the
// guide lines to draw dotted (traverse lines of a duct, cell borders of a face).
struct SectionDrawing {
    bool round = false;
    double aspect = 1; // width / height
    std::vector<QLineF> guides;
};
SectionDrawing SectionDrawingOf(const TraverseSetup& setup);
