#include "recording/RecordingReport.h"

#include "state/SystemTexts.h"

#include <QFileInfo>
#include <QLocale>

namespace {

constexpr double kTwipsPerPixel = 15;
constexpr double kPlotTop = 1000;
constexpr QSizeF kPlotPixels(1000, 440);

const PrintFont kTitleFont{QStringLiteral("Arial"), 16, true};
const PrintFont kTextFont{QStringLiteral("Arial"), 9, false};
const PrintFont kHeadFont{QStringLiteral("Arial"), 9, true};
const PrintFont kAxisFont{QStringLiteral("Arial"), 8, false};

// About the width of a text in Arial: the layout has no fonts to measure with.
double textWidth(const QString& text, const PrintFont& font) {
    return double(text.size()) * font.pointSize * kTwipsPerPoint * 0.52;
}

double tx(double x) {
    return x * kTwipsPerPixel;
}
double ty(double y) {
    return kPlotTop + y * kTwipsPerPixel;
}

} // namespace

QString RecordingSummaryText(const Recording& r) {
    const QLocale locale;
    QString text = QStringLiteral("%1, %2 readings")
                       .arg(r.format, PlainText(locale.toString(qlonglong(r.size()))));
    if (r.tornLastLine)
        text += QStringLiteral("; the last line was cut short and left out");
    if (r.damagedSkipped > 0)
        text += QStringLiteral("; %1 damaged lines skipped").arg(r.damagedSkipped);
    if (r.reordered > 0)
        text += QStringLiteral("; %1 readings out of time order put in place").arg(r.reordered);
    if (!r.hasDates)
        text += QStringLiteral("; no dates: times of day");
    return text;
}

PrintPage RecordingReportPage(const Recording& r, const PlotView& view,
                              const std::vector<RangeStatistics>& stats) {
    PrintPage page;
    page.push_back(NewPageStep{PrintPaper::A4, PageOrientation::Landscape});
    page.push_back(TextStep{
        0, 0, QStringLiteral("Recording - %1").arg(QFileInfo(r.path).fileName()), kTitleFont});
    page.push_back(TextStep{0, 480, RecordingSummaryText(r), kTextFont});
    page.push_back(
        TextStep{0, 720,
                 QStringLiteral("Shown: %1 to %2")
                     .arg(RecordingClockText(r, view.from), RecordingClockText(r, view.to)),
                 kTextFont});

    PlotView printed = view;
    printed.cursorX.reset();
    printed.band.reset();
    const TimePlotLayout layout = LayOutRecordingPlot(r, printed, kPlotPixels);
    const QRectF& f = layout.plot;
    const auto line = [&page](double x1, double y1, double x2, double y2, LineStyle style) {
        page.push_back(LineStep{x1, y1, x2, y2, style});
    };
    line(tx(f.left()), ty(f.top()), tx(f.right()), ty(f.top()), LineStyle::Solid);
    line(tx(f.right()), ty(f.top()), tx(f.right()), ty(f.bottom()), LineStyle::Solid);
    line(tx(f.right()), ty(f.bottom()), tx(f.left()), ty(f.bottom()), LineStyle::Solid);
    line(tx(f.left()), ty(f.bottom()), tx(f.left()), ty(f.top()), LineStyle::Solid);
    const double axisText = kAxisFont.pointSize * kTwipsPerPoint;
    for (const AxisTick& t : layout.timeTicks) {
        const double x = tx(f.left() + t.position);
        line(x, ty(f.bottom()), x, ty(f.bottom()) + 60, LineStyle::Solid);
        page.push_back(TextStep{x - textWidth(t.label, kAxisFont) / 2, ty(f.bottom()) + 90, t.label,
                                kAxisFont});
        if (!t.secondLabel.isEmpty())
            page.push_back(TextStep{x - textWidth(t.secondLabel, kAxisFont) / 2,
                                    ty(f.bottom()) + 90 + axisText * 1.3, t.secondLabel,
                                    kAxisFont});
    }
    for (const AxisTick& t : layout.leftTicks) {
        const double y = ty(f.top() + t.position);
        line(tx(f.left()) - 60, y, tx(f.left()), y, LineStyle::Solid);
        page.push_back(TextStep{tx(f.left()) - 90 - textWidth(t.label, kAxisFont), y - axisText / 2,
                                t.label, kAxisFont});
    }
    for (const AxisTick& t : layout.rightTicks) {
        const double y = ty(f.top() + t.position);
        line(tx(f.right()), y, tx(f.right()) + 60, y, LineStyle::Solid);
        page.push_back(TextStep{tx(f.right()) + 90, y - axisText / 2, t.label, kAxisFont});
    }
    page.push_back(TextStep{tx(f.left()) - 60, ty(f.top()) - 300,
                            layout.leftTitle + QStringLiteral("  (solid)"), kAxisFont});
    if (layout.rightAxis) {
        const QString title = layout.rightTitle + QStringLiteral("  (dotted)");
        page.push_back(TextStep{tx(f.right()) + 60 - textWidth(title, kAxisFont), ty(f.top()) - 300,
                                title, kAxisFont});
    }
    if (!layout.note.isEmpty())
        page.push_back(TextStep{tx(f.left()) + 90, ty(f.top()) + 90, layout.note, kAxisFont});
    if (layout.selection)
        for (const double x : {layout.selection->first, layout.selection->second})
            if (x >= f.left() && x <= f.right())
                line(tx(x), ty(f.top()), tx(x), ty(f.bottom()), LineStyle::Dotted);
    // The curves, clipped to the frame by leaving out segments that leave it.
    for (const PlotPolyline& curve : layout.curves) {
        const LineStyle style =
            curve.role == PlotRole::Value ? LineStyle::Solid : LineStyle::Dotted;
        for (std::size_t k = 1; k < curve.points.size(); ++k) {
            QPointF a = curve.points[k - 1];
            QPointF b = curve.points[k];
            if (std::max(a.x(), b.x()) < f.left() || std::min(a.x(), b.x()) > f.right())
                continue;
            // Cut at the frame's sides where a segment runs out of it.
            const auto cut = [&](QPointF& p, const QPointF& q, double edge) {
                const double t = (edge - p.x()) / (q.x() - p.x());
                p = QPointF(edge, p.y() + t * (q.y() - p.y()));
            };
            if (a.x() < f.left())
                cut(a, b, f.left());
            if (b.x() > f.right())
                cut(b, a, f.right());
            line(tx(a.x()), ty(a.y()), tx(b.x()), ty(b.y()), style);
        }
    }

    if (stats.empty() || !view.selection)
        return page;
    double y = ty(f.bottom()) + 900;
    page.push_back(TextStep{0, y,
                            QStringLiteral("Selected range: %1 to %2")
                                .arg(RecordingClockText(r, view.selection->first),
                                     RecordingClockText(r, view.selection->second)),
                            kHeadFont});
    y += 300;
    const std::array<double, 9> columns{0, 1900, 2700, 3800, 5000, 6900, 8000, 11000, 14700};
    const QStringList heads{
        "Quantity", "Count",        "Duration",     "Mean", "Time-weighted mean",
        "Std dev",  "Minimum (at)", "Maximum (at)", ""};
    for (int c = 0; c < 8; ++c)
        page.push_back(TextStep{columns[std::size_t(c)], y, heads[c], kHeadFont});
    for (const RangeStatistics& s : stats) {
        y += 260;
        const QStringList cells{
            QStringLiteral("%1 %2").arg(s.quantity, s.unit),
            PlainText(QLocale().toString(qlonglong(s.count))),
            DurationText(s.durationMs()),
            StatisticText(s.mean),
            StatisticText(s.timeWeightedMean),
            StatisticText(s.standardDeviation),
            QStringLiteral("%1 (%2)").arg(StatisticText(s.minimum),
                                          RecordingClockText(r, s.minimumTime)),
            QStringLiteral("%1 (%2)").arg(StatisticText(s.maximum),
                                          RecordingClockText(r, s.maximumTime))};
        for (int c = 0; c < 8; ++c)
            page.push_back(TextStep{columns[std::size_t(c)], y, cells[c], kTextFont});
    }
    return page;
}
