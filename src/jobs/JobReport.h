#pragma once

#include "jobs/JobFile.h"
#include "reports/PrintSteps.h"
#include "traverse/TraverseReport.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QStringList>

#include <vector>

// The job as handed over: a cover page, the summary of its tests with totals per system, then
// each test's own report; the summary also as CSV.

// The system a terminal belongs to: its tag up to the last "/" or "-" ("AHU-1/G03" and
// "AHU-1-G03" belong to "AHU-1"), or the whole tag.
QString SystemOf(const QString& tag);

// One test as the summary lists it: tag, type, design, measured actual and standard, percent of
// design and verdict, in the design's unit (empty where there is nothing).
struct JobSummaryLine {
    QString tag;
    QString type;
    QString design;
    QString measured;
    QString measuredStandard;
    QString percent;
    QString verdict;
};
JobSummaryLine SummaryLineOf(const JobTestRow& row, const QLocale& locale);

// The flows of a system's ducts and grilles added up, in the unit of its first design flow.
struct SystemTotal {
    QString system;
    int tests = 0;     // of the system, any type
    int flowTests = 0; // ducts and grilles
    FlowUnit unit = FlowUnit::CubicMetresPerHour;
    double design = 0;   // m3/s, of the flow tests with a design value
    double measured = 0; // m3/s, actual, of the flow tests with a measurement
    double measuredStandard = 0;
    // The measured flow of the tests with both a design and a measurement against their design,
    // in %; nothing when there is none.
    std::optional<double> percent;
};
// In the order the systems first appear.
std::vector<SystemTotal> SystemTotals(const std::vector<JobTestRow>& rows);

// A stored test's report, as the traverse window would make it.
TraverseReportData JobTestReport(const JobInfo& job, const JobTest& test, const QDateTime& made);

// The printed job: cover page, summary pages, then each test's pages, A4 portrait.
PrintPage JobReportPages(const JobInfo& job, const std::vector<JobTestRow>& rows,
                         const std::vector<JobTest>& tests, const QDateTime& made,
                         const QLocale& locale);

// The summary as comma-separated values: the job's lines, a heading, one row per test, then the
// totals per system. Windows-1252, CR LF, full stops.
QByteArray JobSummaryCsvBytes(const JobInfo& job, const std::vector<JobTestRow>& rows);
