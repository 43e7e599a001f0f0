#include "jobs/JobReport.h"

#include "reports/AnsiText.h"
#include "state/SystemTexts.h"
#include "traverse/TraverseReportLayout.h"

#include <algorithm>

using namespace TraverseReportGeometry;

namespace {

const QString kArial = QStringLiteral("Arial");
constexpr double kLine = 260;
constexpr double kTableRow = 230;
// The summary's columns from the left margin, in twips.
constexpr std::array<double, 7> kColumns{0, 1400, 3100, 4400, 5700, 7000, 7800};
// Characters of 8-point Arial each column holds.
constexpr std::array<int, 7> kColumnChars{16, 20, 15, 15, 15, 9, 30};

QString designText(const JobTestRow& r, const QLocale& l) {
    if (r.designValue <= 0)
        return {};
    if (r.designIsFlow)
        return FixedText(r.designValue, FlowDecimals(r.designFlowUnit), l) + u' ' +
               FlowUnitText(r.designFlowUnit);
    return VelocityWithUnit(r.designValue * SiPerUnit(r.designVelocityUnit), r.designVelocityUnit,
                            l);
}

QString measuredText(const JobTestRow& r, const std::optional<double>& v, const QLocale& l) {
    if (!v)
        return {};
    if (r.designIsFlow)
        return FlowText(*v, r.designFlowUnit, l) + u' ' + FlowUnitText(r.designFlowUnit);
    return VelocityWithUnit(*v, r.designVelocityUnit, l);
}

QString clipped(const QString& text, int chars) {
    return text.size() <= chars ? text : text.left(chars - 1) + QChar(0x2026);
}

QString dayText(const QDateTime& t, const QLocale& l) {
    return l.toString(t.date(), QLocale::ShortFormat);
}

class Pages {
public:
    explicit Pages(PrintPage& steps)
        : m_steps(steps) {}
    void newPage(const QString& heading) {
        m_steps.emplace_back(NewPageStep{PrintPaper::A4, PageOrientation::Portrait});
        y = kTitleY;
        if (!heading.isEmpty()) {
            text(kLeft, y, heading, 14, true);
            y += 600;
        }
    }
    void text(double x, double at, const QString& t, double points, bool bold = false) {
        m_steps.emplace_back(TextStep{x, at, t, PrintFont{kArial, points, bold}});
    }
    void rule() {
        m_steps.emplace_back(LineStep{kLeft, y, kRight, y, LineStyle::Solid});
        y += 60;
    }
    void row(const QStringList& cells, bool bold = false) {
        for (int c = 0; c < int(cells.size()) && c < int(kColumns.size()); ++c)
            text(kLeft + kColumns[std::size_t(c)], y,
                 clipped(cells[c], kColumnChars[std::size_t(c)]), 8, bold);
        y += kTableRow;
    }
    double y = 0;

private:
    PrintPage& m_steps;
};

QByteArray quoted(const QString& text) {
    return ToAnsi(CsvCellText(text, true));
}

QByteArray csvLine(const QStringList& cells) {
    QByteArray out;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += ',';
        out += quoted(cells[i]);
    }
    return out + "\r\n";
}

} // namespace

QString SystemOf(const QString& tag) {
    const qsizetype slash = tag.lastIndexOf(u'/');
    const qsizetype at = slash > 0 ? slash : tag.lastIndexOf(u'-');
    return at > 0 ? tag.left(at).trimmed() : tag.trimmed();
}

JobSummaryLine SummaryLineOf(const JobTestRow& r, const QLocale& l) {
    JobSummaryLine s;
    s.tag = r.tag;
    s.type = TestTypeText(r.type);
    s.design = designText(r, l);
    if (!s.design.isEmpty() && r.designStandard)
        s.design += QStringLiteral(" std");
    s.measured = measuredText(r, r.summary.measured, l);
    s.measuredStandard = measuredText(r, r.summary.measuredStandard, l);
    if (r.summary.percentOfDesign)
        s.percent = PercentText(*r.summary.percentOfDesign, 1, l);
    s.verdict = r.summary.verdict;
    return s;
}

std::vector<SystemTotal> SystemTotals(const std::vector<JobTestRow>& rows) {
    std::vector<SystemTotal> totals;
    std::vector<double> designOfMeasured(rows.size(), 0);
    std::vector<double> measuredOfDesigned(rows.size(), 0);
    for (const JobTestRow& r : rows) {
        const QString system = SystemOf(r.tag);
        auto t = std::find_if(totals.begin(), totals.end(),
                              [&](const SystemTotal& s) { return s.system == system; });
        if (t == totals.end()) {
            SystemTotal added;
            added.system = system;
            totals.push_back(added);
            t = totals.end() - 1;
        }
        const std::size_t k = std::size_t(t - totals.begin());
        ++t->tests;
        if (!r.designIsFlow)
            continue;
        if (t->flowTests == 0 || (t->design == 0 && r.designValue > 0))
            t->unit = r.designFlowUnit;
        ++t->flowTests;
        const double design =
            FlowInUnit(r.designValue, r.designFlowUnit, FlowUnit::CubicMetresPerSecond);
        t->design += design;
        if (r.summary.measured) {
            t->measured += *r.summary.measured;
            t->measuredStandard += r.summary.measuredStandard.value_or(0);
        }
        if (design > 0 && r.summary.measured) {
            designOfMeasured[k] += design;
            measuredOfDesigned[k] +=
                r.designStandard ? r.summary.measuredStandard.value_or(0) : *r.summary.measured;
        }
    }
    for (std::size_t k = 0; k < totals.size(); ++k)
        if (designOfMeasured[k] > 0)
            totals[k].percent = 100 * measuredOfDesigned[k] / designOfMeasured[k];
    return totals;
}

TraverseReportData JobTestReport(const JobInfo& job, const JobTest& test, const QDateTime& made) {
    TraverseReportData d;
    d.setup = test.setup;
    d.points = TraversePoints(test.setup);
    d.records = test.records;
    d.records.resize(d.points.size());
    d.results = ComputeTraverseResults(d.setup, d.records);
    d.unit = test.setup.resultUnit.value_or(test.unit.value_or(MeterUnit::MetresPerSecond));
    d.people = test.people;
    d.people.project = job.project;
    d.people.technician = job.technician;
    d.instrument = job.instrument;
    d.first = test.summary.first;
    d.last = test.summary.last;
    d.made = made;
    return d;
}

PrintPage JobReportPages(const JobInfo& job, const std::vector<JobTestRow>& rows,
                         const std::vector<JobTest>& tests, const QDateTime& made,
                         const QLocale& l) {
    PrintPage steps;
    Pages p(steps);
    // The cover.
    p.newPage({});
    p.y = 2000;
    p.text(kLeft, p.y, QStringLiteral("Air-Flow Test Report"), 24, true);
    p.y += 900;
    std::vector<std::pair<QString, QString>> lines{
        {QStringLiteral("Project"), job.project},
        {QStringLiteral("Client"), job.client},
        {QStringLiteral("Site"), job.site},
        {QStringLiteral("Technician"), job.technician},
    };
    if (job.instrument) {
        const Instrument& in = *job.instrument;
        lines.push_back({QStringLiteral("Instrument"), in.Name() + QStringLiteral(", ") +
                                                           ProbeTypeText(in.probe) +
                                                           QStringLiteral(" probe")});
        lines.push_back(
            {QStringLiteral("Calibration"),
             QStringLiteral("calibrated %1, due %2")
                 .arg(in.calibrated.isValid() ? in.calibrated.toString(Qt::ISODate)
                                              : QStringLiteral("-"),
                      in.calibrationDue.isValid() ? in.calibrationDue.toString(Qt::ISODate)
                                                  : QStringLiteral("-"))});
        QDateTime last;
        for (const JobTestRow& r : rows)
            if (r.summary.last.isValid() && (!last.isValid() || r.summary.last > last))
                last = r.summary.last;
        const QString warning = CalibrationWarning(in, (last.isValid() ? last : made).date());
        if (!warning.isEmpty())
            lines.push_back({QString(), warning});
    } else {
        lines.push_back({QStringLiteral("Instrument"), QStringLiteral("not given")});
    }
    const AirDensityUsed used = DensityFor(job.air, MeterAir{});
    lines.push_back({QStringLiteral("Density basis"), PressureOriginText(job.air, used, l)});
    lines.push_back({QString(), QStringLiteral("air temperature and humidity from the meter "
                                               "where it gave them, else as typed per test")});
    lines.push_back(
        {QString(), QStringLiteral("standard air ") + StandardAirText(job.air.standard)});
    QDateTime first, last;
    for (const JobTestRow& r : rows) {
        if (r.summary.first.isValid() && (!first.isValid() || r.summary.first < first))
            first = r.summary.first;
        if (r.summary.last.isValid() && (!last.isValid() || r.summary.last > last))
            last = r.summary.last;
    }
    lines.push_back({QStringLiteral("Measured"),
                     !first.isValid() ? QStringLiteral("nothing measured yet")
                     : dayText(first, l) == dayText(last, l)
                         ? dayText(first, l)
                         : dayText(first, l) + QStringLiteral(" to ") + dayText(last, l)});
    lines.push_back({QStringLiteral("Tests"), QString::number(rows.size())});
    lines.push_back({QStringLiteral("Report made"), dayText(made, l)});
    for (const auto& [label, text] : lines) {
        p.text(kLeft, p.y, label, 11, true);
        p.text(kLeft + 2400, p.y, text, 11);
        p.y += kLine + 40;
    }

    // The summary, with its heading again on each page.
    const QStringList heading{QStringLiteral("Tag"),      QStringLiteral("Type"),
                              QStringLiteral("Design"),   QStringLiteral("Measured"),
                              QStringLiteral("Standard"), QStringLiteral("% design"),
                              QStringLiteral("Verdict")};
    const auto summaryPage = [&](bool first) {
        p.newPage(first ? QStringLiteral("Summary") : QStringLiteral("Summary (continued)"));
        p.row(heading, true);
        p.rule();
    };
    summaryPage(true);
    for (const JobTestRow& r : rows) {
        if (p.y + kTableRow > kBottom)
            summaryPage(false);
        const JobSummaryLine s = SummaryLineOf(r, l);
        p.row({s.tag, s.type, s.design, s.measured, s.measuredStandard, s.percent, s.verdict});
    }
    const std::vector<SystemTotal> totals = SystemTotals(rows);
    if (p.y + 4 * kTableRow > kBottom)
        summaryPage(false);
    p.y += kTableRow;
    p.text(kLeft, p.y, QStringLiteral("Totals per system (ducts and grilles)"), 10, true);
    p.y += kLine + 40;
    p.row({QStringLiteral("System"), QStringLiteral("Tests"), QStringLiteral("Design"),
           QStringLiteral("Measured"), QStringLiteral("Standard"), QStringLiteral("% design")},
          true);
    p.rule();
    for (const SystemTotal& t : totals) {
        if (t.flowTests == 0)
            continue;
        if (p.y + kTableRow > kBottom)
            summaryPage(false);
        const QString unit = u' ' + FlowUnitText(t.unit);
        p.row({t.system, QString::number(t.tests),
               t.design > 0 ? FlowText(t.design, t.unit, l) + unit : QString(),
               FlowText(t.measured, t.unit, l) + unit,
               FlowText(t.measuredStandard, t.unit, l) + unit,
               t.percent ? PercentText(*t.percent, 1, l) : QString()});
    }

    // Each test as its own report.
    for (const JobTest& t : tests) {
        const PrintPage page = TraverseReportPage(JobTestReport(job, t, made), l);
        steps.insert(steps.end(), page.begin(), page.end());
    }
    return steps;
}

QByteArray JobSummaryCsvBytes(const JobInfo& job, const std::vector<JobTestRow>& rows) {
    const QLocale c = QLocale::c();
    QByteArray out;
    out += csvLine({QStringLiteral("Project"), job.project});
    out += csvLine({QStringLiteral("Client"), job.client});
    out += csvLine({QStringLiteral("Site"), job.site});
    out += csvLine({QStringLiteral("Technician"), job.technician});
    out += "\r\n";
    out +=
        csvLine({QStringLiteral("Tag"), QStringLiteral("System"), QStringLiteral("Type"),
                 QStringLiteral("Design"), QStringLiteral("Measured"), QStringLiteral("Standard"),
                 QStringLiteral("% design"), QStringLiteral("Verdict")});
    for (const JobTestRow& r : rows) {
        const JobSummaryLine s = SummaryLineOf(r, c);
        out += csvLine({s.tag, SystemOf(r.tag), s.type, s.design, s.measured, s.measuredStandard,
                        s.percent, s.verdict});
    }
    out += "\r\n";
    out += csvLine({QStringLiteral("System"), QStringLiteral("Tests"), QStringLiteral("Design"),
                    QStringLiteral("Measured"), QStringLiteral("Standard"),
                    QStringLiteral("% design")});
    for (const SystemTotal& t : SystemTotals(rows)) {
        if (t.flowTests == 0)
            continue;
        const QString unit = u' ' + FlowUnitText(t.unit);
        out += csvLine({t.system, QString::number(t.tests),
                        t.design > 0 ? FlowText(t.design, t.unit, c) + unit : QString(),
                        FlowText(t.measured, t.unit, c) + unit,
                        FlowText(t.measuredStandard, t.unit, c) + unit,
                        t.percent ? PercentText(*t.percent, 1, c) : QString()});
    }
    return out;
}
