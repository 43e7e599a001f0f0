#pragma once

#include "traverse/TestRecord.h"
#include "traverse/TraverseResults.h"
#include "traverse/TraverseTexts.h"
#include "traverse/TraverseVerdict.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>
#include <vector>

class TraverseLogic;

// Everything a saved or printed test shows.
struct TraverseReportData {
    TraverseSetup setup;
    std::vector<TraversePoint> points;
    std::vector<PointRecord> records;
    TraverseResults results;
    MeterUnit unit = MeterUnit::MetresPerSecond; // of the results
    TestPeople people;
    std::optional<Instrument> instrument;
    // When the test was taken: its first and last point (invalid before any point is taken).
    QDateTime first;
    QDateTime last;
    // When the report was made: the calibration is judged on the test's day, or this one.
    QDateTime made;
};

TraverseReportData MakeTraverseReport(const TraverseLogic& traverse, const TestPeople& people,
                                      const std::optional<Instrument>& instrument,
                                      const QDateTime& made);

// The day the instrument's calibration is judged on: the test's last point, else the report's.
QDate TestDay(const TraverseReportData& data);
// "2026-12-10 09:14 to 09:52" (or one time), in the locale; "not taken yet" before any point.
QString TakenWhenText(const TraverseReportData& data, const QLocale& locale);

// "Rectangular duct 600 x 400 mm, log-Tchebycheff, 5 x 5 = 25 points" and the like.
QString SetupSummary(const TraverseSetup& setup, const QLocale& locale);

// The column headings of the points' positions: none, one or two of "Depth (mm)",
// "Across (mm)", "From left (mm)", "From top (mm)".
QStringList PositionHeadings(const TraverseSetup& setup);
// A point's positions under those headings.
QStringList PositionTexts(const TraverseSetup& setup, const TraversePoint& point,
                          const QLocale& locale);

// One point as the window, the report and the saved file list it.
struct PointRow {
    QString name;
    QStringList positions;
    QString average; // empty until taken
    QString minimum;
    QString maximum;
    QString count;       // "0" until taken
    QString takeSeconds; // empty until taken
    QString takenAt;     // time of day the take ended
    QString note;        // "skipped", "flagged +25.3 %", or empty
    bool skipped = false;
    bool flagged = false;
};
PointRow PointRowOf(const TraverseReportData& data, std::size_t index, const QLocale& locale);
// Whether the taken points' take times differ (the report lists them per point then).
bool TakeTimesDiffer(const std::vector<PointRecord>& records);

// The results as the window and the report list them: a label ("Mean velocity") and a text
// ("5.00 m/s"); a label may be empty for a further line of the one before. Texts read "-" until
// a point is taken. The verdict is not among them (see Verdict).
struct ResultLine {
    QString label;
    QString text;
};
std::vector<ResultLine> ResultLines(const TraverseReportData& data, const QLocale& locale);
// The density block: the density used, the pressure and where it came from, the air's
// temperature and humidity and where they came from, standard air, the probe.
std::vector<ResultLine> DensityLines(const TraverseReportData& data, const QLocale& locale);
// The instrument block (empty without an instrument), with the calibration warning last.
std::vector<ResultLine> InstrumentLines(const TraverseReportData& data, const QLocale& locale);

TraverseVerdict Verdict(const TraverseReportData& data, const QLocale& locale);

// The test as comma-separated values: the people and instrument, the setup and density, one row
// per point, then the results and the verdict with its reasons. Windows-1252, CR LF, a full stop
// as the decimal separator.
QByteArray TraverseCsvBytes(const TraverseReportData& data);
bool WriteTraverseCsv(const TraverseReportData& data, const QString& path,
                      QString* error = nullptr);
