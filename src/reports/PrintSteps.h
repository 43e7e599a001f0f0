#pragma once

#include <QString>

#include <variant>
#include <vector>

// A printed page described as drawing steps, independent of any printer. Positions are in twips
// (1/1440 inch) from the top-left corner of the printer's printable area, y downwards. The
// renderer of the widgets library plays the steps on a printer.

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kTwipsPerPoint = 20.0;

enum class PrintPaper { A4 };
enum class PageOrientation { Portrait, Landscape };

struct PrintFont {
    QString family;
    double pointSize = 0.0;
    bool bold = false;
    friend bool operator==(const PrintFont&, const PrintFont&) = default;
};

// Starts a page: the first of a document, or a further one. Paper and orientation are set again
// before every page.
struct NewPageStep {
    PrintPaper paper = PrintPaper::A4;
    PageOrientation orientation = PageOrientation::Portrait;
    friend bool operator==(const NewPageStep&, const NewPageStep&) = default;
};

// A text whose first character cell has its top-left corner at (x, y). Nothing clips it.
struct TextStep {
    double x = 0.0;
    double y = 0.0;
    QString text;
    PrintFont font;
    friend bool operator==(const TextStep&, const TextStep&) = default;
};

enum class LineStyle { Solid, Dotted };

// A black line one printer dot wide.
struct LineStep {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    LineStyle style = LineStyle::Solid;
    friend bool operator==(const LineStep&, const LineStep&) = default;
};

// A black filled circle.
struct DotStep {
    double x = 0.0;
    double y = 0.0;
    double radius = 0.0;
    friend bool operator==(const DotStep&, const DotStep&) = default;
};

using PrintStep = std::variant<NewPageStep, TextStep, LineStep, DotStep>;

// The steps of one page, starting with its NewPageStep.
using PrintPage = std::vector<PrintStep>;

// One line per step, for diagnostics and tests, e.g.
//   page A4 portrait
//   text 2200,400 "Brisel Data Report" Arial 24 bold
//   line 3000,2500 13605,2500 solid
//   dot 3105,6205 r30
QString DescribeStep(const PrintStep& step);
