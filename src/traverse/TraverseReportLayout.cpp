#include "traverse/TraverseReportLayout.h"

#include "traverse/SectionDrawing.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace TraverseReportGeometry;

namespace {

const QString kArial = QStringLiteral("Arial");
constexpr double kLineStep = 235;
constexpr double kDotRadius = 35;
constexpr int kCircleSegments = 72;
// Characters of 9-point Arial that fit the page's width with room to spare.
constexpr int kCharsPerLine = 105;

// The drawing's frame on paper: the cross-section fitted into the drawing box, centred.
struct Frame {
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
    QPointF at(QPointF f) const { return {x + f.x() * w, y + f.y() * h}; }
};

Frame fit(double aspect, double top) {
    Frame f;
    if (aspect >= kDrawingWidth / kDrawingHeight) {
        f.w = kDrawingWidth;
        f.h = kDrawingWidth / aspect;
    } else {
        f.h = kDrawingHeight;
        f.w = kDrawingHeight * aspect;
    }
    f.x = kLeft + (kDrawingWidth - f.w) / 2;
    f.y = top + (kDrawingHeight - f.h) / 2;
    return f;
}

// Words of a text in lines of at most the given characters (a longer word alone on its line).
QStringList wrap(const QString& text, int width) {
    QStringList out;
    for (const QString& paragraph : text.split(u'\n')) {
        QString current;
        for (const QString& word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
            if (!current.isEmpty() && current.size() + 1 + word.size() > width) {
                out << current;
                current.clear();
            }
            current += (current.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        out << current;
    }
    return out;
}

// The steps of the pages, with a cursor that starts a new page when what comes does not fit.
class Writer {
public:
    Writer(PrintPage& steps, QString title)
        : m_steps(steps)
        , m_title(std::move(title)) {}
    void newPage() {
        m_steps.emplace_back(NewPageStep{PrintPaper::A4, PageOrientation::Portrait});
        ++m_pages;
        if (m_pages > 1) {
            text(kLeft, kTitleY, m_title + QStringLiteral(" (continued)"), 11, true);
            y = kTitleY + 500;
        }
    }
    // Room for the given height below y, or a new page.
    void need(double height) {
        if (y + height > kBottom)
            newPage();
    }
    void line(QPointF a, QPointF b, LineStyle style = LineStyle::Solid) {
        m_steps.emplace_back(LineStep{a.x(), a.y(), b.x(), b.y(), style});
    }
    void text(double x, double at, const QString& t, double points, bool bold = false) {
        m_steps.emplace_back(TextStep{x, at, t, PrintFont{kArial, points, bold}});
    }
    void dot(QPointF p) { m_steps.emplace_back(DotStep{p.x(), p.y(), kDotRadius}); }
    double y = 0;

private:
    PrintPage& m_steps;
    QString m_title;
    int m_pages = 0;
};

void drawSection(Writer& w, const TraverseReportData& d, const QLocale& l, double top) {
    const SectionDrawing drawing = SectionDrawingOf(d.setup);
    const Frame f = fit(drawing.aspect, top);
    if (drawing.round) {
        const QPointF centre = f.at({0.5, 0.5});
        for (int i = 0; i < kCircleSegments; ++i) {
            const double a0 = 2 * std::numbers::pi * i / kCircleSegments;
            const double a1 = 2 * std::numbers::pi * (i + 1) / kCircleSegments;
            w.line(centre + QPointF(std::cos(a0), std::sin(a0)) * (f.w / 2),
                   centre + QPointF(std::cos(a1), std::sin(a1)) * (f.w / 2));
        }
    } else {
        const QPointF corners[4] = {f.at({0, 0}), f.at({1, 0}), f.at({1, 1}), f.at({0, 1})};
        for (int i = 0; i < 4; ++i)
            w.line(corners[i], corners[(i + 1) % 4]);
    }
    for (const QLineF& g : drawing.guides)
        w.line(f.at(g.p1()), f.at(g.p2()), LineStyle::Dotted);
    // Values only where the points are far enough apart for them.
    double spacing = 1e9;
    for (std::size_t i = 0; i < d.points.size(); ++i)
        for (std::size_t j = i + 1; j < d.points.size(); ++j)
            spacing =
                std::min(spacing, QLineF(f.at(d.points[i].at), f.at(d.points[j].at)).length());
    const bool values = spacing >= 420;
    for (std::size_t i = 0; i < d.points.size(); ++i) {
        const QPointF p = f.at(d.points[i].at);
        w.dot(p);
        const PointRecord& r = d.records[i];
        QString value;
        if (r.skipped)
            value = QStringLiteral("skip");
        else if (r.taken)
            value = VelocityText(r.taken->average, d.unit, l);
        if (d.results.flagged[i])
            value += QStringLiteral(" !");
        if (values && !value.isEmpty())
            w.text(p.x() + 50, p.y() - 150, value, 6.5, d.results.flagged[i]);
    }
}

// Label and text lines; a text too long for the room right of textX goes on further lines.
void labelled(Writer& w, const std::vector<ResultLine>& lines, double labelX, double textX,
              double points) {
    // An Arial character is about 0.55 of the size wide on average.
    const int room = std::max(10, int((kRight - textX) / (points * kTwipsPerPoint * 0.55)));
    for (const ResultLine& r : lines) {
        if (!r.label.isEmpty())
            w.text(labelX, w.y, r.label, points, true);
        for (const QString& part : wrap(r.text, room)) {
            w.text(textX, w.y, part, points);
            w.y += points * 26;
        }
    }
}

void drawTable(Writer& w, const TraverseReportData& d, const QLocale& l) {
    const bool takeTimes = TakeTimesDiffer(d.records);
    QStringList headings{QStringLiteral("Point")};
    std::vector<double> widths{750};
    for (const QString& h : PositionHeadings(d.setup)) {
        headings << h;
        widths.push_back(1250);
    }
    const QString v = QStringLiteral(" (") + UnitText(d.unit) + u')';
    for (const QString& h :
         {QStringLiteral("Average") + v, QStringLiteral("Min"), QStringLiteral("Max")}) {
        headings << h;
        widths.push_back(h.size() > 5 ? 1500 : 900);
    }
    headings << QStringLiteral("Count");
    widths.push_back(750);
    if (takeTimes) {
        headings << QStringLiteral("Take (s)");
        widths.push_back(850);
    }
    headings << QStringLiteral("Taken") << QStringLiteral("Note");
    widths.push_back(900);
    widths.push_back(1500);
    std::vector<double> x{kLeft};
    for (double width : widths)
        x.push_back(x.back() + width);

    const auto heading = [&] {
        for (int k = 0; k < headings.size(); ++k)
            w.text(x[std::size_t(k)], w.y, headings[k], 8, true);
        w.line({kLeft, w.y + kRowStep - 15}, {std::min(kRight, x.back()), w.y + kRowStep - 15});
        w.y += kRowStep;
    };
    w.need(3 * kRowStep);
    if (!takeTimes && !d.records.empty())
        w.text(kLeft, w.y,
               QStringLiteral("Each point averaged over %1 s.")
                   .arg(d.records.front().taken ? d.records.front().taken->takeSeconds
                                                : d.setup.takeSeconds),
               8);
    w.y += kRowStep;
    heading();
    for (std::size_t i = 0; i < d.points.size(); ++i) {
        if (w.y + kRowStep > kBottom) {
            w.newPage();
            heading();
        }
        const PointRow row = PointRowOf(d, i, l);
        QStringList cells{row.name};
        cells << row.positions;
        cells << (row.average.isEmpty() ? QStringLiteral("-") : row.average)
              << (row.minimum.isEmpty() ? QStringLiteral("-") : row.minimum)
              << (row.maximum.isEmpty() ? QStringLiteral("-") : row.maximum) << row.count;
        if (takeTimes)
            cells << row.takeSeconds;
        cells << row.takenAt << row.note;
        for (int k = 0; k < cells.size(); ++k)
            if (!cells[k].isEmpty())
                w.text(x[std::size_t(k)], w.y, cells[k], 8, row.flagged && k == cells.size() - 1);
        w.y += kRowStep;
    }
}

} // namespace

PrintPage TraverseReportPage(const TraverseReportData& d, const QLocale& l) {
    PrintPage steps;
    const QString title = TestReportTitle(d.setup.type);
    Writer w(steps, title);
    w.newPage();
    w.text(kLeft, kTitleY, title, 18, true);

    // Who, where, when; the instrument on the right.
    w.y = kTitleY + 620;
    const double top = w.y;
    const TestPeople& p = d.people;
    labelled(w,
             {{QStringLiteral("Project"), p.project},
              {QStringLiteral("System / terminal"), p.tag},
              {QStringLiteral("Location"), p.location},
              {QStringLiteral("Technician"), p.technician},
              {QStringLiteral("Taken"), TakenWhenText(d, l)}},
             kLeft, kLeft + 1700, 9);
    const double leftEnd = w.y;
    w.y = top;
    std::vector<ResultLine> instrument = InstrumentLines(d, l);
    if (instrument.empty())
        instrument.push_back({QStringLiteral("Instrument"), QStringLiteral("none chosen")});
    labelled(w, instrument, kResultsLabelX + 600, kResultsLabelX + 2200, 9);
    w.y = std::max(w.y, leftEnd) + 60;
    w.text(kLeft, w.y, SetupSummary(d.setup, l), 9);
    w.y += kLineStep;
    const QString note = MeasuringNote(d.setup.type);
    if (!note.isEmpty()) {
        w.text(kLeft, w.y, note, 9, true);
        w.y += kLineStep;
    }
    w.line({kLeft, w.y + 60}, {kRight, w.y + 60});
    w.y += 200;

    // The drawing on the left, the results and the density on the right.
    const double drawingTop = w.y;
    drawSection(w, d, l, drawingTop);
    labelled(w, ResultLines(d, l), kResultsLabelX, kResultsTextX, 8.5);
    w.y += 80;
    labelled(w, DensityLines(d, l), kResultsLabelX, kResultsTextX - 700, 7.5);
    w.y = std::max(w.y, drawingTop + kDrawingHeight) + 150;

    // The verdict and its reasons.
    const TraverseVerdict verdict = Verdict(d, l);
    if (!verdict.Headline().isEmpty()) {
        w.need(600);
        w.text(kLeft, w.y, verdict.Headline(), 16, true);
        w.y += 450;
        for (const Criterion& c : verdict.criteria)
            for (const QString& t :
                 wrap((c.pass ? QStringLiteral("passed: ") : QStringLiteral("FAILED: ")) + c.text,
                      kCharsPerLine)) {
                w.need(kLineStep);
                w.text(kLeft + 200, w.y, t, 9, !c.pass);
                w.y += kLineStep;
            }
        if (!verdict.skipped.isEmpty()) {
            for (const QString& t :
                 wrap(QStringLiteral("skipped: ") + verdict.skipped.join(QStringLiteral(", ")),
                      kCharsPerLine)) {
                w.need(kLineStep);
                w.text(kLeft + 200, w.y, t, 9);
                w.y += kLineStep;
            }
        }
        w.y += 100;
    }
    w.line({kLeft, w.y}, {kRight, w.y});
    w.y += 120;

    drawTable(w, d, l);

    // Notes and the signature.
    w.y += 150;
    if (!p.notes.trimmed().isEmpty()) {
        w.need(2 * kLineStep);
        w.text(kLeft, w.y, QStringLiteral("Notes"), 9, true);
        w.y += kLineStep;
        for (const QString& t : wrap(p.notes, kCharsPerLine)) {
            w.need(kLineStep);
            w.text(kLeft, w.y, t, 9);
            w.y += kLineStep;
        }
        w.y += 100;
    }
    w.need(700);
    w.y += 350;
    w.line({kLeft, w.y}, {kLeft + 4500, w.y});
    w.line({kLeft + 5500, w.y}, {kLeft + 8000, w.y});
    w.y += 40;
    w.text(kLeft, w.y, QStringLiteral("Signature (") + p.technician + u')', 8);
    w.text(kLeft + 5500, w.y, QStringLiteral("Date"), 8);
    return steps;
}
