#pragma once

#include "traverse/TraverseResults.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <vector>

class TraverseLogic;

// Everything a saved or printed traverse shows.
struct TraverseReportData {
    TraverseSetup setup;
    std::vector<TraversePoint> points;
    std::vector<PointRecord> records;
    TraverseResults results;
    MeterUnit unit = MeterUnit::MetresPerSecond; // of the results
    QString location;
    QString technician;
    QDateTime when;
};

TraverseReportData MakeTraverseReport(const TraverseLogic& traverse, const QString& location,
                                      const QString& technician, const QDateTime& when);

// Numbers as the window, the report (the user's locale) and the saved file (QLocale::c()) write
// them: a fixed number of decimals, no group separators, never "-0".
QString FixedText(double value, int decimals, const QLocale& locale);
QString VelocityText(double metresPerSecond, MeterUnit unit, const QLocale& locale);
QString LengthText(double value, LengthUnit unit, const QLocale& locale);
QString FlowText(double cubicMetresPerSecond, FlowUnit unit, const QLocale& locale);

// "Rectangular duct 600 x 400 mm, log-Tchebycheff, 5 x 5 = 25 points" and the like.
QString SetupSummary(const TraverseSetup& setup, const QLocale& locale);

// The column headings of the points' positions: none, one or two of "Depth (mm)",
// "Across (mm)", "From left (mm)", "From top (mm)".
QStringList PositionHeadings(const TraverseSetup& setup);
// A point's positions under those headings.
QStringList PositionTexts(const TraverseSetup& setup, const TraversePoint& point,
                          const QLocale& locale);

// The results as the window and the report list them: a label ("Mean velocity") and a text
// ("5.00 m/s"); a label may be empty for a further line of the one before. Texts read "-" until
// a point is taken. The verdict is not among them (see VerdictText).
struct ResultLine {
    QString label;
    QString text;
};
std::vector<ResultLine> ResultLines(const TraverseReportData& data, const QLocale& locale);

// "PASS", "FAIL", or empty without a design value or taken point.
QString VerdictText(const TraverseResults& results);

// The traverse as comma-separated values: the setup, one row per point (name, positions,
// average, minimum, maximum, count, skipped, and flagged for a face), then the results.
// Windows-1252, CR LF, a full stop as the decimal separator.
QByteArray TraverseCsvBytes(const TraverseReportData& data);
bool WriteTraverseCsv(const TraverseReportData& data, const QString& path,
                      QString* error = nullptr);
