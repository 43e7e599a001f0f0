#pragma once

#include "traverse/AirDensity.h"
#include "traverse/TraverseUnits.h"

#include <QLineF>
#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

// The air-flow tests: a duct traverse (round or rectangular), readings on a grille or diffuser
// (flow from the maker's effective area Ak), a fume hood's sash opening, a clean air unit's
// filter face, and a generic face grid.
enum class TestType { DuctTraverse, Grille, FumeHood, CleanAirUnit, FaceGrid };
inline constexpr std::array<TestType, 5> kTestTypes{TestType::DuctTraverse, TestType::Grille,
                                                    TestType::FumeHood, TestType::CleanAirUnit,
                                                    TestType::FaceGrid};
// The name kept in the settings: "duct", "grille", "fumehood", "cleanair", "face".
QString TestTypeKey(TestType type);
// "Duct traverse", "Grille or diffuser", "Fume hood face", "Clean air unit", "Face grid".
QString TestTypeText(TestType type);
// The report's title: "Duct Traverse Report", "Grille / Diffuser Report", ...
QString TestReportTitle(TestType type);

// The geometry of the points: a round or rectangular duct, a face as a grid of equal cells with a
// point at each centre (fume hood, clean air unit, face grid), or readings on a grille where the
// maker says (no positions).
enum class TraverseShape { RoundDuct, RectangularDuct, FaceGrid, Grille };

// "Round duct", "Rectangular duct", "Face grid", "Grille".
QString TraverseShapeText(TraverseShape shape);

// How a duct's points are placed.
enum class DuctMethod { LogTchebycheff, EqualArea };
QString DuctMethodText(DuctMethod method); // "log-Tchebycheff", "equal area"

enum class AreaUnit { SquareMetres, SquareFeet };
QString AreaUnitText(AreaUnit unit); // "m2", "ft2"

// The setup of one traverse. Sizes are inside dimensions in lengthUnit.
struct TraverseSetup {
    TestType type = TestType::DuctTraverse;
    // Round or rectangular for a duct; the other types have their own (see ShapeOf).
    TraverseShape shape = TraverseShape::RectangularDuct;
    DuctMethod method = DuctMethod::LogTchebycheff;
    LengthUnit lengthUnit = LengthUnit::Millimetres;
    double diameter = 400; // round duct
    double width = 600;    // rectangular duct or face
    double height = 400;
    // Log-Tchebycheff: points per diameter from 10 in on, 8 or 10 (below, always 6). Equal area:
    // 10 to 20, even (half of them rings per radius).
    int roundPoints = 8;
    int diameters = 2; // 2 (holes at 90 degrees) or 3 (at 60 degrees)
    int faceRows = 2;  // face grid, 1 ... kMaxFaceCells each
    int faceColumns = 2;
    std::optional<MeterUnit> resultUnit; // nothing: the unit the meter sends
    int takeSeconds = 10;                // 1 ... 120
    // Grille or diffuser: the number of readings (1 ... 50), the maker's effective area and where
    // it was found.
    int grilleReadings = 5;
    double akValue = 0; // 0: not given (no flow)
    AreaUnit akUnit = AreaUnit::SquareMetres;
    QString akSource;
    // Optional design value, 0 for none: a flow in designFlowUnit for a duct or grille, a face
    // velocity in designVelocityUnit for the faces; actual or standard air.
    double designValue = 0;
    FlowUnit designFlowUnit = FlowUnit::CubicMetresPerHour;
    MeterUnit designVelocityUnit = MeterUnit::MetresPerSecond;
    bool designStandard = false;
    double tolerancePercent = 10; // PASS within design +- this
    double faceFlagPercent = 20;  // a face point further than this from the face's mean is flagged
    // Fume hood: the band the mean face velocity must be in.
    double bandLow = 80;
    double bandHigh = 120;
    MeterUnit bandUnit = MeterUnit::FeetPerMinute;
    // Clean air unit: the largest coefficient of variation that passes.
    double maxVariationPercent = 15;
    AirInputs air;

    friend bool operator==(const TraverseSetup&, const TraverseSetup&) = default;
};

// The ranges a setup takes: the window's boxes offer them and the settings are read back through
// them, so what is computed is what the boxes show.
inline constexpr double LeastSize(LengthUnit unit) {
    return unit == LengthUnit::Millimetres ? 10 : 0.5;
}
inline constexpr double MostSize(LengthUnit unit) {
    return unit == LengthUnit::Millimetres ? 10000 : 400;
}
inline constexpr double kMostDesignValue = 1e7;
inline constexpr int kMinTakeSeconds = 1;
inline constexpr int kMaxTakeSeconds = 120;
inline constexpr int kMaxFaceCells = 10;
inline constexpr int kMinGrilleReadings = 1;
inline constexpr int kMaxGrilleReadings = 50;

// The defaults of a test type: its geometry, the fume hood's band and uniformity, the clean air
// unit's design velocity, tolerance and variation limit, its take time.
TraverseSetup DefaultSetup(TestType type);
// The shape the type's points have: the duct's choice, a face grid or a grille.
TraverseShape ShapeOf(TestType type, TraverseShape ductShape);
// The largest cell of a face grid proposal in m2: 1 ft2 (0.093 m2) for a fume hood and a generic
// face, 0.09 m2 for a clean air unit.
double LargestCellSquareMetres(TestType type);
// What the technician is told on screen and in the report, or empty: "Measure 150 mm from the
// filter face." for a clean air unit.
QString MeasuringNote(TestType type);

// Whether two setups give the same points (shape, sizes, unit, point counts).
bool SamePoints(const TraverseSetup& a, const TraverseSetup& b);

// Log-Tchebycheff positions across a round duct's diameter (6, 8 or 10 points) or a rectangular
// duct's side (5, 6 or 7 points), as fractions from the inner wall.
std::vector<double> RoundPositions(int points);
std::vector<double> RectanglePositions(int points);
// Equal-area positions across a round duct's diameter: the centres of n rings per radius,
// r_i = R sqrt((2i - 1) / (2n)), as fractions from the inner wall (2n of them, in order).
std::vector<double> EqualAreaRoundPositions(int ringsPerRadius);
// Equal rectangles no larger than 150 mm (6 in) a side: 4 to 8 a side, so 16 to 64 points.
int EqualAreaPointsPerSide(double side, LengthUnit unit);

// Points per diameter: log-Tchebycheff 6 below 10 in (254 mm), otherwise the setup's choice of 8
// or 10; equal area the setup's even choice of 10 to 20.
int RoundPointsPerDiameter(const TraverseSetup& setup);
// Points along each side of a rectangular duct by the setup's method.
int RectangleColumns(const TraverseSetup& setup);
int RectangleRows(const TraverseSetup& setup);
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
// The same for cells no larger than the given area: as square as the area allows (sides no
// longer than its square root).
FaceGrid ProposedFaceGrid(double width, double height, LengthUnit unit, double largestCellM2);

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

// The area the flow goes through in m2: the inside area of a duct or face, the Ak of a grille.
double InsideAreaSquareMetres(const TraverseSetup& setup);
inline constexpr double kSquareMetresPerSquareFoot = 0.09290304;

// Whether the type's design value is a flow (duct, grille) or a face velocity (the faces).
bool DesignIsFlow(TestType type);
// The setup with another test type: the type's shape and defaults for what the old type did not
// have (band, variation limit, a face's grid); the design value kept when it means the same kind
// of thing (a flow, a velocity), cleared otherwise, so a flow is never read as a velocity.
TraverseSetup WithTestType(const TraverseSetup& setup, TestType type);
// A design value in another unit of the same kind.
double FlowInUnit(double value, FlowUnit from, FlowUnit to);
double VelocityInUnit(double value, MeterUnit from, MeterUnit to);
