#include "traverse/TraverseReport.h"

#include "reports/AnsiText.h"
#include "reports/AtomicFileWriter.h"
#include "traverse/TraverseLogic.h"

#include <cmath>

namespace {

const QString kNone = QStringLiteral("-");

QLocale plain(const QLocale& locale) {
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

QString velocityWithUnit(double ms, MeterUnit unit, const QLocale& l) {
    return VelocityText(ms, unit, l) + u' ' + UnitText(unit);
}

// signedText: a deviation, with a plus sign when it is above zero as written.
QString percentText(double v, int decimals, const QLocale& l, bool signedText = false) {
    const QString digits = FixedText(v, decimals, l);
    const bool above = v * std::pow(10.0, decimals) >= 0.5;
    return (signedText && above ? QStringLiteral("+") : QString()) + digits + QStringLiteral(" %");
}

QByteArray quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(u'"', QStringLiteral("\"\""));
    return '"' + ToAnsi(escaped) + '"';
}

// A text the user typed: one that starts like a formula is written with a single quote before it,
// so that a spreadsheet shows it instead of running it.
QByteArray typed(const QString& text) {
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && kFormulaStarts.contains(text.front()))
        return quoted(u'\'' + text);
    return quoted(text);
}

QByteArray line(std::initializer_list<QByteArray> cells) {
    QByteArray out;
    bool first = true;
    for (const QByteArray& c : cells) {
        if (!first)
            out += ',';
        out += c;
        first = false;
    }
    return out + "\r\n";
}

QByteArray number(const QString& text) {
    return text.toLatin1();
}

} // namespace

TraverseReportData MakeTraverseReport(const TraverseLogic& traverse, const QString& location,
                                      const QString& technician, const QDateTime& when) {
    TraverseReportData d;
    d.setup = traverse.Setup();
    d.points = traverse.Points();
    d.records = traverse.Records();
    d.results = traverse.Results();
    d.unit = traverse.ResultUnit();
    d.location = location;
    d.technician = technician;
    d.when = when;
    return d;
}

QString FixedText(double value, int decimals, const QLocale& locale) {
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0)
        rounded = 0; // no "-0.0"
    return plain(locale).toString(rounded, 'f', decimals);
}

QString VelocityText(double metresPerSecond, MeterUnit unit, const QLocale& locale) {
    return FixedText(metresPerSecond / SiPerUnit(unit), VelocityDecimals(unit), locale);
}

QString LengthText(double value, LengthUnit unit, const QLocale& locale) {
    return FixedText(value, LengthDecimals(unit), locale);
}

QString FlowText(double cubicMetresPerSecond, FlowUnit unit, const QLocale& locale) {
    return FixedText(FlowFromCubicMetresPerSecond(cubicMetresPerSecond, unit), FlowDecimals(unit),
                     locale);
}

QString SetupSummary(const TraverseSetup& s, const QLocale& locale) {
    const QString unit = LengthUnitText(s.lengthUnit);
    const auto size = [&](double v) {
        return plain(locale).toString(v, 'g', 10);
    };
    const int points = int(TraversePoints(s).size());
    switch (s.shape) {
    case TraverseShape::RoundDuct:
        return QStringLiteral("Round duct %1 %2, log-Tchebycheff, %3 x %4 = %5 points")
            .arg(size(s.diameter), unit)
            .arg(s.diameters == 3 ? 3 : 2)
            .arg(RoundPointsPerDiameter(s))
            .arg(points);
    case TraverseShape::RectangularDuct:
        return QStringLiteral("Rectangular duct %1 x %2 %3, log-Tchebycheff, %4 x %5 = %6 points")
            .arg(size(s.width), size(s.height), unit)
            .arg(RectanglePointsPerSide(s.width, s.lengthUnit))
            .arg(RectanglePointsPerSide(s.height, s.lengthUnit))
            .arg(points);
    case TraverseShape::FaceGrid:
        return QStringLiteral("Face %1 x %2 %3, grid of %4 x %5 = %6 points")
            .arg(size(s.width), size(s.height), unit)
            .arg(s.faceRows)
            .arg(s.faceColumns)
            .arg(points);
    }
    return {};
}

QStringList PositionHeadings(const TraverseSetup& s) {
    const QString unit = QStringLiteral(" (") + LengthUnitText(s.lengthUnit) + u')';
    switch (s.shape) {
    case TraverseShape::RoundDuct:
        return {QStringLiteral("Depth") + unit};
    case TraverseShape::RectangularDuct:
        return {QStringLiteral("Across") + unit, QStringLiteral("Depth") + unit};
    case TraverseShape::FaceGrid:
        return {QStringLiteral("From left") + unit, QStringLiteral("From top") + unit};
    }
    return {};
}

QStringList PositionTexts(const TraverseSetup& s, const TraversePoint& p, const QLocale& locale) {
    if (s.shape == TraverseShape::RoundDuct)
        return {LengthText(p.depth, s.lengthUnit, locale)};
    return {LengthText(p.across, s.lengthUnit, locale), LengthText(p.depth, s.lengthUnit, locale)};
}

std::vector<ResultLine> ResultLines(const TraverseReportData& d, const QLocale& l) {
    const TraverseResults& r = d.results;
    const bool any = r.taken > 0;
    const auto velocity = [&](double ms) {
        return any ? velocityWithUnit(ms, d.unit, l) : kNone;
    };
    const auto point = [&](int index) {
        if (!any)
            return kNone;
        const std::size_t i = std::size_t(index);
        return d.points[i].name + QStringLiteral("  ") +
               velocityWithUnit(d.records[i].taken->average, d.unit, l);
    };
    const auto flow = [&](FlowUnit unit) {
        return (any ? FlowText(r.flow, unit, l) : kNone) + u' ' + FlowUnitText(unit);
    };
    QString points = QStringLiteral("%1 of %2 taken").arg(r.taken).arg(r.pointCount);
    if (r.skipped > 0)
        points += QStringLiteral(", %1 skipped").arg(r.skipped);

    std::vector<ResultLine> lines{
        {QStringLiteral("Points"), points},
        {QStringLiteral("Mean velocity"), velocity(r.mean)},
        {QStringLiteral("Lowest point"), point(r.lowest)},
        {QStringLiteral("Highest point"), point(r.highest)},
        {QStringLiteral("Standard deviation"), velocity(r.deviation)},
        {QStringLiteral("Variation (CV)"), any ? percentText(r.variationPercent, 1, l) : kNone},
        {QStringLiteral("Inside area"), FixedText(r.area, 4, l) + QStringLiteral(" m2 (") +
                                            FixedText(r.area / kSquareMetresPerSquareFoot, 3, l) +
                                            QStringLiteral(" ft2)")},
        {QStringLiteral("Air flow"), flow(FlowUnit::CubicMetresPerHour)},
        {QString(), flow(FlowUnit::LitresPerSecond)},
        {QString(), flow(FlowUnit::CubicMetresPerSecond)},
        {QString(), flow(FlowUnit::CubicFeetPerMinute)},
    };
    const bool face = d.setup.shape == TraverseShape::FaceGrid;
    if (face)
        lines.push_back({QStringLiteral("Flagged points"),
                         (any ? QString::number(r.flaggedCount) : kNone) +
                             QStringLiteral(" (over ") +
                             percentText(d.setup.faceFlagPercent, 0, l) + u')'});
    if (d.setup.designValue > 0) {
        const QString design =
            face ? FixedText(d.setup.designValue, VelocityDecimals(d.unit), l) + u' ' +
                       UnitText(d.unit)
                 : FixedText(d.setup.designValue, FlowDecimals(d.setup.designFlowUnit), l) + u' ' +
                       FlowUnitText(d.setup.designFlowUnit);
        lines.push_back(
            {face ? QStringLiteral("Design face velocity") : QStringLiteral("Design flow"),
             design + QStringLiteral(" +- ") + percentText(d.setup.tolerancePercent, 0, l)});
        lines.push_back(
            {QStringLiteral("Deviation"), r.designDeviationPercent
                                              ? percentText(*r.designDeviationPercent, 1, l, true)
                                              : kNone});
    }
    return lines;
}

QString VerdictText(const TraverseResults& r) {
    if (!r.pass)
        return {};
    return *r.pass ? QStringLiteral("PASS") : QStringLiteral("FAIL");
}

QByteArray TraverseCsvBytes(const TraverseReportData& d) {
    const QLocale c = QLocale::c();
    const TraverseSetup& s = d.setup;
    const TraverseResults& r = d.results;
    const QString length = QStringLiteral(" (") + LengthUnitText(s.lengthUnit) + u')';
    const QString velocity = QStringLiteral(" (") + UnitText(d.unit) + u')';
    const bool face = s.shape == TraverseShape::FaceGrid;
    const auto size = [&](double v) {
        return number(c.toString(v, 'g', 10));
    };

    QByteArray out;
    out += line({quoted(QStringLiteral("Traverse Report"))});
    out += line({quoted(QStringLiteral("Location")), typed(d.location)});
    out += line({quoted(QStringLiteral("Technician")), typed(d.technician)});
    out += line({quoted(QStringLiteral("Date")),
                 quoted(d.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))});
    out += line({quoted(QStringLiteral("Cross-section")), quoted(TraverseShapeText(s.shape))});
    out += line({quoted(QStringLiteral("Method")),
                 quoted(face ? QStringLiteral("equal cells") : QStringLiteral("log-Tchebycheff"))});
    if (s.shape == TraverseShape::RoundDuct) {
        out += line({quoted(QStringLiteral("Diameter") + length), size(s.diameter)});
        out += line({quoted(QStringLiteral("Diameters")), QByteArray::number(s.diameters)});
        out += line({quoted(QStringLiteral("Points per diameter")),
                     QByteArray::number(RoundPointsPerDiameter(s))});
    } else {
        out += line({quoted(QStringLiteral("Width") + length), size(s.width)});
        out += line({quoted(QStringLiteral("Height") + length), size(s.height)});
        if (face) {
            out += line({quoted(QStringLiteral("Rows")), QByteArray::number(s.faceRows)});
            out += line({quoted(QStringLiteral("Columns")), QByteArray::number(s.faceColumns)});
        }
    }
    out += line({quoted(QStringLiteral("Velocity unit")), quoted(UnitText(d.unit))});
    out += line({quoted(QStringLiteral("Take time (s)")), QByteArray::number(s.takeSeconds)});
    if (s.designValue > 0) {
        if (face)
            out += line({quoted(QStringLiteral("Design face velocity") + velocity),
                         number(FixedText(s.designValue, VelocityDecimals(d.unit), c))});
        else
            out += line(
                {quoted(QStringLiteral("Design flow (") + FlowUnitText(s.designFlowUnit) + u')'),
                 number(FixedText(s.designValue, FlowDecimals(s.designFlowUnit), c))});
        out += line({quoted(QStringLiteral("Tolerance (%)")), size(s.tolerancePercent)});
    }
    if (face)
        out += line({quoted(QStringLiteral("Flag above (%)")), size(s.faceFlagPercent)});
    out += "\r\n";

    QByteArray head = quoted(QStringLiteral("Point"));
    for (const QString& h : PositionHeadings(s))
        head += ',' + quoted(h);
    for (const char* h : {"Average", "Minimum", "Maximum"})
        head += ',' + quoted(QString::fromLatin1(h) + velocity);
    head += ',' + quoted(QStringLiteral("Count")) + ',' + quoted(QStringLiteral("Skipped"));
    if (face)
        head += ',' + quoted(QStringLiteral("Flagged"));
    out += head + "\r\n";
    for (std::size_t i = 0; i < d.points.size(); ++i) {
        const PointRecord& p = d.records[i];
        QByteArray row = quoted(d.points[i].name);
        for (const QString& t : PositionTexts(s, d.points[i], c))
            row += ',' + number(t);
        if (p.taken)
            for (double v : {p.taken->average, p.taken->minimum, p.taken->maximum})
                row += ',' + number(VelocityText(v, d.unit, c));
        else
            row += ",,,";
        row += ',' + QByteArray::number(p.taken ? p.taken->count : 0);
        row += ',' + quoted(p.skipped ? QStringLiteral("yes") : QStringLiteral("no"));
        if (face)
            row += ',' + quoted(r.flagged[i] ? QStringLiteral("yes") : QStringLiteral("no"));
        out += row + "\r\n";
    }
    out += "\r\n";

    const bool any = r.taken > 0;
    const auto v = [&](double ms) {
        return any ? number(VelocityText(ms, d.unit, c)) : QByteArray();
    };
    out += line({quoted(QStringLiteral("Points taken")), QByteArray::number(r.taken)});
    out += line({quoted(QStringLiteral("Points skipped")), QByteArray::number(r.skipped)});
    out += line({quoted(QStringLiteral("Mean velocity") + velocity), v(r.mean)});
    out += line({quoted(QStringLiteral("Lowest point") + velocity),
                 any ? quoted(d.points[std::size_t(r.lowest)].name) : QByteArray(),
                 any ? v(d.records[std::size_t(r.lowest)].taken->average) : QByteArray()});
    out += line({quoted(QStringLiteral("Highest point") + velocity),
                 any ? quoted(d.points[std::size_t(r.highest)].name) : QByteArray(),
                 any ? v(d.records[std::size_t(r.highest)].taken->average) : QByteArray()});
    out += line({quoted(QStringLiteral("Standard deviation") + velocity), v(r.deviation)});
    out += line({quoted(QStringLiteral("Coefficient of variation (%)")),
                 any ? number(FixedText(r.variationPercent, 1, c)) : QByteArray()});
    out += line({quoted(QStringLiteral("Area (m2)")), number(FixedText(r.area, 4, c))});
    for (FlowUnit unit : kFlowUnits)
        out += line({quoted(QStringLiteral("Air flow (") + FlowUnitText(unit) + u')'),
                     any ? number(FlowText(r.flow, unit, c)) : QByteArray()});
    if (face)
        out += line({quoted(QStringLiteral("Flagged points")),
                     any ? QByteArray::number(r.flaggedCount) : QByteArray()});
    if (s.designValue > 0) {
        out += line({quoted(QStringLiteral("Deviation (%)")),
                     r.designDeviationPercent ? number(FixedText(*r.designDeviationPercent, 1, c))
                                              : QByteArray()});
        out += line({quoted(QStringLiteral("Result")), quoted(VerdictText(r))});
    }
    return out;
}

bool WriteTraverseCsv(const TraverseReportData& data, const QString& path, QString* error) {
    return WriteFileAtomically(path, TraverseCsvBytes(data), error);
}
