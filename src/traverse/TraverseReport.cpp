#include "traverse/TraverseReport.h"

#include "reports/AnsiText.h"
#include "reports/AtomicFileWriter.h"
#include "state/SystemTexts.h"
#include "traverse/TraverseLogic.h"

#include <cmath>

namespace {

const QString kNone = QStringLiteral("-");

QLocale plain(const QLocale& locale) {
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

QString sizeText(double v, const QLocale& l) {
    return plain(l).toString(v, 'g', 10);
}

QByteArray quoted(const QString& text) {
    return ToAnsi(CsvCellText(text, false));
}

// A text the user typed never runs as a formula in a spreadsheet.
QByteArray typed(const QString& text) {
    return ToAnsi(CsvCellText(text, true));
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

QString dateTimeText(const QDateTime& t, const QLocale& l) {
    return l.toString(t.date(), QLocale::ShortFormat) + u' ' +
           l.toString(t.time(), QLocale::ShortFormat);
}

} // namespace

TraverseReportData MakeTraverseReport(const TraverseLogic& traverse, const TestPeople& people,
                                      const std::optional<Instrument>& instrument,
                                      const QDateTime& made) {
    TraverseReportData d;
    d.setup = traverse.Setup();
    d.points = traverse.Points();
    d.records = traverse.Records();
    d.results = traverse.Results();
    d.unit = traverse.ResultUnit();
    d.people = people;
    d.instrument = instrument;
    d.first = traverse.FirstTaken();
    d.last = traverse.LastTaken();
    d.made = made;
    return d;
}

QDate TestDay(const TraverseReportData& d) {
    return d.last.isValid() ? d.last.date() : d.made.date();
}

QString TakenWhenText(const TraverseReportData& d, const QLocale& l) {
    if (!d.first.isValid())
        return QStringLiteral("not taken yet");
    const QString first = dateTimeText(d.first, l);
    if (d.last == d.first)
        return first;
    if (d.last.date() == d.first.date())
        return first + QStringLiteral(" to ") + l.toString(d.last.time(), QLocale::ShortFormat);
    return first + QStringLiteral(" to ") + dateTimeText(d.last, l);
}

QString SetupSummary(const TraverseSetup& s, const QLocale& locale) {
    const QString unit = LengthUnitText(s.lengthUnit);
    const auto size = [&](double v) {
        return sizeText(v, locale);
    };
    const int points = int(TraversePoints(s).size());
    switch (s.shape) {
    case TraverseShape::RoundDuct:
        return QStringLiteral("Round duct %1 %2, %3, %4 x %5 = %6 points")
            .arg(size(s.diameter), unit, DuctMethodText(s.method))
            .arg(s.diameters == 3 ? 3 : 2)
            .arg(RoundPointsPerDiameter(s))
            .arg(points);
    case TraverseShape::RectangularDuct:
        return QStringLiteral("Rectangular duct %1 x %2 %3, %4, %5 x %6 = %7 points")
            .arg(size(s.width), size(s.height), unit, DuctMethodText(s.method))
            .arg(RectangleColumns(s))
            .arg(RectangleRows(s))
            .arg(points);
    case TraverseShape::FaceGrid:
        return QStringLiteral("%1 %2 x %3 %4, grid of %5 x %6 = %7 points")
            .arg(s.type == TestType::FumeHood
                     ? QStringLiteral("Sash opening")
                     : (s.type == TestType::CleanAirUnit ? QStringLiteral("Filter face")
                                                         : QStringLiteral("Face")),
                 size(s.width), size(s.height), unit)
            .arg(s.faceRows)
            .arg(s.faceColumns)
            .arg(points);
    case TraverseShape::Grille: {
        QString ak = s.akValue > 0
                         ? QStringLiteral("Ak %1 %2").arg(size(s.akValue), AreaUnitText(s.akUnit))
                         : QStringLiteral("no Ak given");
        if (s.akValue > 0 && !s.akSource.trimmed().isEmpty())
            ak += QStringLiteral(" (%1)").arg(s.akSource.trimmed());
        return QStringLiteral("Grille or diffuser, %1 readings, %2").arg(points).arg(ak);
    }
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
    case TraverseShape::Grille:
        break;
    }
    return {};
}

QStringList PositionTexts(const TraverseSetup& s, const TraversePoint& p, const QLocale& locale) {
    switch (s.shape) {
    case TraverseShape::RoundDuct:
        return {LengthText(p.depth, s.lengthUnit, locale)};
    case TraverseShape::RectangularDuct:
    case TraverseShape::FaceGrid:
        return {LengthText(p.across, s.lengthUnit, locale),
                LengthText(p.depth, s.lengthUnit, locale)};
    case TraverseShape::Grille:
        break;
    }
    return {};
}

PointRow PointRowOf(const TraverseReportData& d, std::size_t i, const QLocale& l) {
    PointRow row;
    const PointRecord& r = d.records[i];
    row.name = d.points[i].name;
    row.positions = PositionTexts(d.setup, d.points[i], l);
    row.count = QStringLiteral("0");
    if (r.taken) {
        row.average = VelocityText(r.taken->average, d.unit, l);
        row.minimum = VelocityText(r.taken->minimum, d.unit, l);
        row.maximum = VelocityText(r.taken->maximum, d.unit, l);
        row.count = QString::number(r.taken->count);
        row.takeSeconds = QString::number(r.taken->takeSeconds);
        if (r.taken->takenAt.isValid())
            row.takenAt = l.toString(r.taken->takenAt.time(), QLocale::ShortFormat);
    }
    row.skipped = r.skipped;
    row.flagged = i < d.results.flagged.size() && d.results.flagged[i];
    if (row.skipped)
        row.note = QStringLiteral("skipped");
    else if (row.flagged)
        row.note =
            QStringLiteral("flagged ") + PercentText(d.results.fromMeanPercent[i], 1, l, true);
    return row;
}

bool TakeTimesDiffer(const std::vector<PointRecord>& records) {
    int seen = -1;
    for (const PointRecord& r : records)
        if (r.taken) {
            if (seen >= 0 && r.taken->takeSeconds != seen)
                return true;
            seen = r.taken->takeSeconds;
        }
    return false;
}

std::vector<ResultLine> ResultLines(const TraverseReportData& d, const QLocale& l) {
    const TraverseResults& r = d.results;
    const TraverseSetup& s = d.setup;
    const bool any = r.taken > 0;
    const auto velocity = [&](double ms) {
        return any ? VelocityWithUnit(ms, d.unit, l) : kNone;
    };
    const auto point = [&](int index) {
        if (!any)
            return kNone;
        const std::size_t i = std::size_t(index);
        return d.points[i].name + QStringLiteral("  ") +
               VelocityWithUnit(d.records[i].taken->average, d.unit, l);
    };
    const bool hasArea = r.area > 0;
    const auto flows = [&](double actual, double standard, FlowUnit unit) {
        const QString u = u' ' + FlowUnitText(unit);
        if (!any || !hasArea)
            return kNone + u;
        return FlowText(actual, unit, l) + u + QStringLiteral("   ") + FlowText(standard, unit, l) +
               u;
    };
    QString points = QStringLiteral("%1 of %2 taken").arg(r.taken).arg(r.pointCount);
    if (r.skipped > 0)
        points += QStringLiteral(", %1 skipped").arg(r.skipped);

    const bool thermal = s.air.probe == ProbeType::Thermal;
    std::vector<ResultLine> lines{
        {QStringLiteral("Points"), points},
        {thermal ? QStringLiteral("Mean (standard)") : QStringLiteral("Mean velocity"),
         velocity(r.mean)},
        {QStringLiteral("Lowest point"), point(r.lowest)},
        {QStringLiteral("Highest point"), point(r.highest)},
        {QStringLiteral("Standard deviation"), velocity(r.deviation)},
        {QStringLiteral("Variation (CV)"), any ? PercentText(r.variationPercent, 1, l) : kNone},
        {QStringLiteral("Actual / standard"),
         any ? velocity(r.actualMean) + QStringLiteral("   ") + velocity(r.standardMean) : kNone},
    };
    if (s.shape == TraverseShape::Grille)
        lines.push_back({QStringLiteral("Ak (effective area)"),
                         hasArea ? FixedText(r.area, 4, l) + QStringLiteral(" m2 (") +
                                       FixedText(r.area / kSquareMetresPerSquareFoot, 3, l) +
                                       QStringLiteral(" ft2)")
                                 : QStringLiteral("not given: no flow")});
    else
        lines.push_back({QStringLiteral("Inside area"),
                         FixedText(r.area, 4, l) + QStringLiteral(" m2 (") +
                             FixedText(r.area / kSquareMetresPerSquareFoot, 3, l) +
                             QStringLiteral(" ft2)")});
    lines.push_back({QStringLiteral("Flow actual / std"),
                     flows(r.flow, r.standardFlow, FlowUnit::CubicMetresPerHour)});
    lines.push_back({QString(), flows(r.flow, r.standardFlow, FlowUnit::LitresPerSecond)});
    lines.push_back({QString(), flows(r.flow, r.standardFlow, FlowUnit::CubicMetresPerSecond)});
    lines.push_back({QString(), flows(r.flow, r.standardFlow, FlowUnit::CubicFeetPerMinute)});
    const bool face = s.shape == TraverseShape::FaceGrid;
    if (face)
        lines.push_back(
            {QStringLiteral("Flagged points"), (any ? QString::number(r.flaggedCount) : kNone) +
                                                   QStringLiteral(" (over ") +
                                                   PercentText(s.faceFlagPercent, 0, l) + u')'});
    if (s.type == TestType::FumeHood)
        lines.push_back({QStringLiteral("Face velocity band"),
                         QStringLiteral("%1 to %2 %3")
                             .arg(FixedText(s.bandLow, VelocityDecimals(s.bandUnit), l),
                                  FixedText(s.bandHigh, VelocityDecimals(s.bandUnit), l),
                                  UnitText(s.bandUnit))});
    if (s.type == TestType::CleanAirUnit)
        lines.push_back({QStringLiteral("Variation limit"),
                         QStringLiteral("CV at most ") + PercentText(s.maxVariationPercent, 0, l)});
    if (s.designValue > 0) {
        const QString air =
            s.designStandard ? QStringLiteral(" standard") : QStringLiteral(" actual");
        const QString design =
            face ? FixedText(s.designValue, VelocityDecimals(s.designVelocityUnit), l) + u' ' +
                       UnitText(s.designVelocityUnit)
                 : FixedText(s.designValue, FlowDecimals(s.designFlowUnit), l) + u' ' +
                       FlowUnitText(s.designFlowUnit);
        lines.push_back(
            {face ? QStringLiteral("Design face velocity") : QStringLiteral("Design flow"),
             design + air + QStringLiteral(" +- ") + PercentText(s.tolerancePercent, 0, l)});
        lines.push_back(
            {QStringLiteral("Deviation"), r.designDeviationPercent
                                              ? PercentText(*r.designDeviationPercent, 1, l, true)
                                              : kNone});
    }
    return lines;
}

std::vector<ResultLine> DensityLines(const TraverseReportData& d, const QLocale& l) {
    const AirDensityUsed& u = d.results.density;
    return {
        {QStringLiteral("Air density"), FixedText(u.density, 4, l) + QStringLiteral(" kg/m3")},
        {QStringLiteral("Pressure"), PressureOriginText(d.setup.air, u, l)},
        {QStringLiteral("Air"), AirOriginText(u, l)},
        {QStringLiteral("Standard air"), StandardAirText(d.setup.air.standard)},
        {QStringLiteral("Probe"), d.setup.air.probe == ProbeType::Vane
                                      ? QStringLiteral("vane (reads actual velocity)")
                                      : QStringLiteral("thermal (reads standard velocity)")},
    };
}

std::vector<ResultLine> InstrumentLines(const TraverseReportData& d, const QLocale&) {
    if (!d.instrument)
        return {};
    const Instrument& i = *d.instrument;
    const auto date = [](const QDate& day) {
        return day.isValid() ? day.toString(Qt::ISODate) : QStringLiteral("-");
    };
    std::vector<ResultLine> lines{
        {QStringLiteral("Instrument"), (i.make + u' ' + i.model).trimmed()},
        {QStringLiteral("Serial number"), i.serial},
        {QStringLiteral("Calibrated"),
         date(i.calibrated) + QStringLiteral(", due ") + date(i.calibrationDue)},
    };
    const QString warning = CalibrationWarning(i, TestDay(d));
    if (!warning.isEmpty())
        lines.push_back({QStringLiteral("WARNING"), warning});
    return lines;
}

TraverseVerdict Verdict(const TraverseReportData& d, const QLocale& l) {
    return JudgeTraverse(d.setup, d.points, d.records, d.results, d.unit, l);
}

QByteArray TraverseCsvBytes(const TraverseReportData& d) {
    const QLocale c = QLocale::c();
    const TraverseSetup& s = d.setup;
    const TraverseResults& r = d.results;
    const QString length = QStringLiteral(" (") + LengthUnitText(s.lengthUnit) + u')';
    const QString velocity = QStringLiteral(" (") + UnitText(d.unit) + u')';
    const bool face = s.shape == TraverseShape::FaceGrid;
    const auto size = [&](double v) {
        return number(sizeText(v, c));
    };
    const auto text = [&](const char* label, const QString& value) {
        return line({quoted(QString::fromUtf8(label)), quoted(value)});
    };
    // What the user typed never runs as a formula in a spreadsheet.
    const auto typedText = [&](const char* label, const QString& value) {
        return line({quoted(QString::fromUtf8(label)), typed(value)});
    };

    QByteArray out;
    out += line({quoted(TestReportTitle(s.type))});
    out += typedText("Project", d.people.project);
    out += typedText("System / terminal", d.people.tag);
    out += typedText("Location", d.people.location);
    out += typedText("Technician", d.people.technician);
    out +=
        text("Taken", d.first.isValid() ? d.first.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                                              QStringLiteral(" to ") +
                                              d.last.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                        : QString());
    for (const ResultLine& i : InstrumentLines(d, c))
        out += line({quoted(i.label), typed(i.text)});
    out += typedText("Notes", d.people.notes);
    out += text("Test", TestTypeText(s.type));
    out += text("Cross-section", TraverseShapeText(s.shape));
    out += text("Setup", SetupSummary(s, c));
    if (s.shape == TraverseShape::RoundDuct || s.shape == TraverseShape::RectangularDuct)
        out += text("Method", DuctMethodText(s.method));
    if (s.shape == TraverseShape::RoundDuct) {
        out += line({quoted(QStringLiteral("Diameter") + length), size(s.diameter)});
        out += line({quoted(QStringLiteral("Diameters")), QByteArray::number(s.diameters)});
        out += line({quoted(QStringLiteral("Points per diameter")),
                     QByteArray::number(RoundPointsPerDiameter(s))});
    } else if (s.shape == TraverseShape::Grille) {
        out += line({quoted(QStringLiteral("Ak (") + AreaUnitText(s.akUnit) + u')'),
                     s.akValue > 0 ? size(s.akValue) : QByteArray()});
        out += typedText("Ak source", s.akSource);
    } else {
        out += line({quoted(QStringLiteral("Width") + length), size(s.width)});
        out += line({quoted(QStringLiteral("Height") + length), size(s.height)});
        if (face) {
            out += line({quoted(QStringLiteral("Rows")), QByteArray::number(s.faceRows)});
            out += line({quoted(QStringLiteral("Columns")), QByteArray::number(s.faceColumns)});
        }
    }
    const QString note = MeasuringNote(s.type);
    if (!note.isEmpty())
        out += text("Note", note);
    out += text("Velocity unit", UnitText(d.unit));
    out += line({quoted(QStringLiteral("Take time (s)")), QByteArray::number(s.takeSeconds)});
    out += line({quoted(QStringLiteral("Air density (kg/m3)")),
                 number(FixedText(r.density.density, 4, c))});
    const std::vector<ResultLine> density = DensityLines(d, c);
    for (std::size_t i = 1; i < density.size(); ++i) // the density itself as a number above
        out += line({quoted(density[i].label), quoted(density[i].text)});
    if (s.designValue > 0) {
        const QString air =
            s.designStandard ? QStringLiteral("standard") : QStringLiteral("actual");
        if (face)
            out +=
                line({quoted(QStringLiteral("Design face velocity (") +
                             UnitText(s.designVelocityUnit) + QStringLiteral(", ") + air + u')'),
                      number(FixedText(s.designValue, VelocityDecimals(s.designVelocityUnit), c))});
        else
            out += line({quoted(QStringLiteral("Design flow (") + FlowUnitText(s.designFlowUnit) +
                                QStringLiteral(", ") + air + u')'),
                         number(FixedText(s.designValue, FlowDecimals(s.designFlowUnit), c))});
        out += line({quoted(QStringLiteral("Tolerance (%)")), size(s.tolerancePercent)});
    }
    if (face)
        out += line({quoted(QStringLiteral("Flag above (%)")), size(s.faceFlagPercent)});
    if (s.type == TestType::FumeHood)
        out += line({quoted(QStringLiteral("Band (") + UnitText(s.bandUnit) + u')'),
                     size(s.bandLow), size(s.bandHigh)});
    if (s.type == TestType::CleanAirUnit)
        out += line({quoted(QStringLiteral("Largest CV (%)")), size(s.maxVariationPercent)});
    out += "\r\n";

    QByteArray head = quoted(QStringLiteral("Point"));
    for (const QString& h : PositionHeadings(s))
        head += ',' + quoted(h);
    for (const char* h : {"Average", "Minimum", "Maximum"})
        head += ',' + quoted(QString::fromLatin1(h) + velocity);
    for (const char* h : {"Count", "Take time (s)", "Taken at", "Skipped"})
        head += ',' + quoted(QString::fromLatin1(h));
    if (face)
        head +=
            ',' + quoted(QStringLiteral("From mean (%)")) + ',' + quoted(QStringLiteral("Flagged"));
    out += head + "\r\n";
    for (std::size_t i = 0; i < d.points.size(); ++i) {
        const PointRow p = PointRowOf(d, i, c);
        const PointRecord& rec = d.records[i];
        QByteArray row = quoted(p.name);
        for (const QString& t : p.positions)
            row += ',' + number(t);
        for (const QString& t : {p.average, p.minimum, p.maximum, p.count, p.takeSeconds})
            row += ',' + number(t);
        row +=
            ',' + (rec.taken && rec.taken->takenAt.isValid()
                       ? quoted(rec.taken->takenAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                       : QByteArray());
        row += ',' + quoted(p.skipped ? QStringLiteral("yes") : QStringLiteral("no"));
        if (face)
            row +=
                ',' +
                (rec.InResults() ? number(FixedText(r.fromMeanPercent[i], 1, c)) : QByteArray()) +
                ',' + quoted(p.flagged ? QStringLiteral("yes") : QStringLiteral("no"));
        out += row + "\r\n";
    }
    out += "\r\n";

    const bool any = r.taken > 0;
    const bool flows = any && r.area > 0;
    const auto v = [&](double ms) {
        return any ? number(VelocityText(ms, d.unit, c)) : QByteArray();
    };
    out += line({quoted(QStringLiteral("Points taken")), QByteArray::number(r.taken)});
    out += line({quoted(QStringLiteral("Points skipped")), QByteArray::number(r.skipped)});
    out += line({quoted(QStringLiteral("Mean velocity as read") + velocity), v(r.mean)});
    out += line({quoted(QStringLiteral("Mean velocity actual") + velocity), v(r.actualMean)});
    out += line({quoted(QStringLiteral("Mean velocity standard") + velocity), v(r.standardMean)});
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
    for (FlowUnit unit : kFlowUnits) {
        out += line({quoted(QStringLiteral("Actual air flow (") + FlowUnitText(unit) + u')'),
                     flows ? number(FlowText(r.flow, unit, c)) : QByteArray()});
        out += line({quoted(QStringLiteral("Standard air flow (") + FlowUnitText(unit) + u')'),
                     flows ? number(FlowText(r.standardFlow, unit, c)) : QByteArray()});
    }
    if (face)
        out += line({quoted(QStringLiteral("Flagged points")),
                     any ? QByteArray::number(r.flaggedCount) : QByteArray()});
    if (s.designValue > 0)
        out += line({quoted(QStringLiteral("Deviation (%)")),
                     r.designDeviationPercent ? number(FixedText(*r.designDeviationPercent, 1, c))
                                              : QByteArray()});
    const TraverseVerdict verdict = Verdict(d, c);
    out += text("Result", verdict.Headline());
    for (const Criterion& k : verdict.criteria)
        out += line(
            {quoted(k.pass ? QStringLiteral("Passed") : QStringLiteral("Failed")), quoted(k.text)});
    if (!verdict.skipped.isEmpty())
        out += text("Skipped", verdict.skipped.join(QStringLiteral(", ")));
    out += text("Signature", QString());
    return out;
}

bool WriteTraverseCsv(const TraverseReportData& data, const QString& path, QString* error) {
    return WriteFileAtomically(path, TraverseCsvBytes(data), error);
}
