#include "traverse/TraverseReportLayout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace TraverseReportGeometry;

namespace {

const QString kArial = QStringLiteral("Arial");
constexpr double kLineStep = 260;
constexpr double kDotRadius = 35;
constexpr int kCircleSegments = 72;

// The drawing's frame on paper: the cross-section fitted into the drawing box, centred.
struct Frame {
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
    QPointF at(QPointF f) const { return {x + f.x() * w, y + f.y() * h}; }
};

Frame fit(double aspect) {
    Frame f;
    if (aspect >= kDrawingWidth / kDrawingHeight) {
        f.w = kDrawingWidth;
        f.h = kDrawingWidth / aspect;
    } else {
        f.h = kDrawingHeight;
        f.w = kDrawingHeight * aspect;
    }
    f.x = kLeft + (kDrawingWidth - f.w) / 2;
    f.y = kDrawingTop + (kDrawingHeight - f.h) / 2;
    return f;
}

void line(PrintPage& page, QPointF a, QPointF b, LineStyle style = LineStyle::Solid) {
    page.emplace_back(LineStep{a.x(), a.y(), b.x(), b.y(), style});
}

void text(PrintPage& page, double x, double y, const QString& t, double points, bool bold = false) {
    page.emplace_back(TextStep{x, y, t, PrintFont{kArial, points, bold}});
}

void drawSection(PrintPage& page, const TraverseReportData& d, const QLocale& l) {
    const SectionDrawing drawing = SectionDrawingOf(d.setup);
    const Frame f = fit(drawing.aspect);
    if (drawing.round) {
        const QPointF centre = f.at({0.5, 0.5});
        for (int i = 0; i < kCircleSegments; ++i) {
            const double a0 = 2 * std::numbers::pi * i / kCircleSegments;
            const double a1 = 2 * std::numbers::pi * (i + 1) / kCircleSegments;
            line(page, centre + QPointF(std::cos(a0), std::sin(a0)) * (f.w / 2),
                 centre + QPointF(std::cos(a1), std::sin(a1)) * (f.w / 2));
        }
    } else {
        const QPointF corners[4] = {f.at({0, 0}), f.at({1, 0}), f.at({1, 1}), f.at({0, 1})};
        for (int i = 0; i < 4; ++i)
            line(page, corners[i], corners[(i + 1) % 4]);
    }
    for (const QLineF& g : drawing.guides)
        line(page, f.at(g.p1()), f.at(g.p2()), LineStyle::Dotted);
    for (std::size_t i = 0; i < d.points.size(); ++i) {
        const QPointF p = f.at(d.points[i].at);
        page.emplace_back(DotStep{p.x(), p.y(), kDotRadius});
        const PointRecord& r = d.records[i];
        QString value;
        if (r.skipped)
            value = QStringLiteral("skip");
        else if (r.taken)
            value = VelocityText(r.taken->average, d.unit, l);
        if (d.results.flagged[i])
            value += QStringLiteral(" !");
        if (!value.isEmpty())
            text(page, p.x() + 50, p.y() - 150, value, 7, d.results.flagged[i]);
    }
}

void drawTable(PrintPage& page, const TraverseReportData& d, const QLocale& l) {
    const int n = int(d.points.size());
    const int blocks = n > kRowsInOneBlock ? 2 : 1;
    const int rowsPerBlock = (n + blocks - 1) / blocks;
    const double rowStep = std::min(220.0, (kTableBottom - kTableTop) / (rowsPerBlock + 1));
    const double points = std::clamp(std::floor(rowStep / 24 * 2) / 2, 6.0, 9.0);

    QStringList headings{QStringLiteral("Point")};
    switch (d.setup.shape) {
    case TraverseShape::RoundDuct:
        headings << QStringLiteral("Depth");
        break;
    case TraverseShape::RectangularDuct:
        headings << QStringLiteral("Across") << QStringLiteral("Depth");
        break;
    case TraverseShape::FaceGrid:
        headings << QStringLiteral("Left") << QStringLiteral("Top");
        break;
    }
    headings << QStringLiteral("Average") << QStringLiteral("Min") << QStringLiteral("Max")
             << QStringLiteral("Count") << QStringLiteral("Note");
    const int positions = int(headings.size()) - 6;
    // Column offsets: name, positions, three velocities, count, note.
    std::vector<double> columns{0};
    for (int k = 0; k < positions; ++k)
        columns.push_back(520 + 680 * k);
    const double values = 520 + 680 * positions;
    for (double x : {values, values + 760, values + 1520, values + 2280, values + 2880})
        columns.push_back(x);

    text(page, kLeft, kTableTop - 300,
         QStringLiteral("Positions in %1 from the inner wall (a face: from its left and top "
                        "edges); velocities in %2.")
             .arg(LengthUnitText(d.setup.lengthUnit), UnitText(d.unit)),
         8);
    for (int b = 0; b < blocks; ++b) {
        const double x0 = b == 0 ? kLeft : kSecondBlockX;
        for (int k = 0; k < headings.size(); ++k)
            text(page, x0 + columns[std::size_t(k)], kTableTop, headings[k], points, true);
        line(page, {x0, kTableTop + rowStep - 15},
             {x0 + columns.back() + 600, kTableTop + rowStep - 15});
        for (int row = 0; row < rowsPerBlock; ++row) {
            const int i = b * rowsPerBlock + row;
            if (i >= n)
                break;
            const TraversePoint& p = d.points[std::size_t(i)];
            const PointRecord& r = d.records[std::size_t(i)];
            QStringList cells{p.name};
            cells << PositionTexts(d.setup, p, l);
            if (r.taken)
                cells << VelocityText(r.taken->average, d.unit, l)
                      << VelocityText(r.taken->minimum, d.unit, l)
                      << VelocityText(r.taken->maximum, d.unit, l)
                      << QString::number(r.taken->count);
            else
                cells << QStringLiteral("-") << QStringLiteral("-") << QStringLiteral("-")
                      << QStringLiteral("0");
            QString note;
            if (r.skipped)
                note = QStringLiteral("skipped");
            else if (d.results.flagged[std::size_t(i)])
                note = QStringLiteral("flagged");
            cells << note;
            const double y = kTableTop + rowStep * (row + 1);
            for (int k = 0; k < cells.size(); ++k)
                if (!cells[k].isEmpty())
                    text(page, x0 + columns[std::size_t(k)], y, cells[k], points);
        }
    }
}

} // namespace

PrintPage TraverseReportPage(const TraverseReportData& d, const QLocale& l) {
    PrintPage page;
    page.emplace_back(NewPageStep{PrintPaper::A4, PageOrientation::Portrait});
    text(page, kLeft, kTitleY, QStringLiteral("Traverse Report"), 20, true);
    text(page, kLeft, 1150, QStringLiteral("Location: ") + d.location, 10);
    text(page, kLeft, 1400, QStringLiteral("Technician: ") + d.technician, 10);
    text(page, kLeft, 1650,
         QStringLiteral("Date: ") + l.toString(d.when.date(), QLocale::ShortFormat) + u' ' +
             l.toString(d.when.time(), QLocale::ShortFormat),
         10);
    text(page, kLeft, 1900, SetupSummary(d.setup, l), 10);
    text(page, kLeft, 2150,
         QStringLiteral("Each point averaged over %1 s; velocities in %2.")
             .arg(d.setup.takeSeconds)
             .arg(UnitText(d.unit)),
         10);
    line(page, {kLeft, 2500}, {11000, 2500});

    drawSection(page, d, l);

    double y = kDrawingTop;
    for (const ResultLine& r : ResultLines(d, l)) {
        if (!r.label.isEmpty())
            text(page, kResultsLabelX, y, r.label, 10, true);
        text(page, kResultsTextX, y, r.text, 10);
        y += kLineStep;
    }
    if (d.results.pass)
        text(page, kResultsLabelX, y + 100, VerdictText(d.results), 24, true);

    line(page, {kLeft, kTableTop - 450}, {11000, kTableTop - 450});
    drawTable(page, d, l);
    return page;
}
