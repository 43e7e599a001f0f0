#pragma once

#include "traverse/TestRecord.h"
#include "traverse/TraverseResults.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

// A job: a building's air-flow tests measured over days and handed over as one report. It lives in
// one SQLite database (a ".vantello" file) that every taken point is written to as it is stored.

// What the job is for and what it is measured with. The density inputs are the site's air that
// new tests start with.
struct JobInfo {
    QString project;
    QString client;
    QString site;
    QString technician;
    std::optional<Instrument> instrument;
    AirInputs air;
    friend bool operator==(const JobInfo&, const JobInfo&) = default;
};

// What a test came to when it was last written: the verdict and the measured value against the
// design, so the list of a large job is read without its points.
struct JobTestSummary {
    QString verdict; // "PASS", "FAIL", "incomplete: 3 of 20", or empty
    QString reasons; // the failing criteria, one a line
    // The measured flow (m3/s, duct and grille) or mean face velocity (m/s), actual and standard;
    // nothing before a point is taken.
    std::optional<double> measured;
    std::optional<double> measuredStandard;
    std::optional<double> percentOfDesign;
    QDateTime first; // the first and last point's take (invalid before any)
    QDateTime last;
    friend bool operator==(const JobTestSummary&, const JobTestSummary&) = default;
};

// One test of a job.
struct JobTest {
    qint64 id = 0; // 0: not in a file yet
    TraverseSetup setup;
    TestPeople people; // tag, location and notes are the test's; project and technician the job's
    std::optional<MeterUnit> unit; // of the results
    std::vector<PointRecord> records;
    JobTestSummary summary;
};

// A test as the job's list shows it: no points.
struct JobTestRow {
    qint64 id = 0;
    TestType type = TestType::DuctTraverse;
    QString tag;
    QString location;
    double designValue = 0; // in the setup's design unit, 0 for none
    bool designIsFlow = true;
    FlowUnit designFlowUnit = FlowUnit::CubicMetresPerHour;
    MeterUnit designVelocityUnit = MeterUnit::MetresPerSecond;
    bool designStandard = false;
    JobTestSummary summary;
};

// The summary of a test as its setup and records give it now.
JobTestSummary SummaryOf(const TraverseSetup& setup, const std::vector<PointRecord>& records,
                         MeterUnit unit);

// The schema version this program writes; files of a later one are refused.
inline constexpr int kJobSchemaVersion = 1;
// "VTJB": the file's application id, telling a job file from other SQLite databases.
inline constexpr int kJobApplicationId = 0x56544A42;

class JobFile;

// The outcome of opening or creating a job file: the file, or why not in the user's words. A file
// opened read-only says so in notice.
struct JobOpening {
    std::unique_ptr<JobFile> file;
    QString error;
    QString notice;
};

// One open job file. Every write is one transaction; the file is in WAL mode with full sync, so a
// killed program loses nothing written.
class JobFile {
public:
    ~JobFile();
    JobFile(const JobFile&) = delete;
    JobFile& operator=(const JobFile&) = delete;

    // Opens an existing job. The file is looked at read-only first (its header, its size against
    // the header's, SQLite's quick check, its application id and version); a file that fails is
    // left exactly as it was (no journal or WAL made beside it). A job of an earlier version is
    // brought up to this one; of a later version it is refused; a file the user may not write
    // opens read-only.
    static JobOpening Open(const QString& path);
    // Creates a new job file (refused when the path exists).
    static JobOpening Create(const QString& path, const JobInfo& info);

    QString Path() const { return m_path; }
    bool ReadOnly() const { return m_readOnly; }
    // Why the last write failed.
    QString LastError() const { return m_error; }

    JobInfo Info() const;
    bool SaveInfo(const JobInfo& info);

    // The test last worked on (0: none), continued when the job is opened again.
    qint64 CurrentTest() const;
    bool SetCurrentTest(qint64 id);

    // The tests in the job's order (by id), without their points.
    std::vector<JobTestRow> Tests() const;
    std::optional<JobTest> ReadTest(qint64 id) const;
    // Adds a test with its points; its id, or 0 when it was not written.
    qint64 AddTest(const JobTest& test);
    // Writes a test's setup, people, unit and summary; with replacePoints its points too (the
    // points changed as a whole: a new setup).
    bool SaveTest(const JobTest& test, bool replacePoints);
    // Writes one point and the test's summary in one transaction.
    bool StorePoint(qint64 testId, int index, const PointRecord& record,
                    const JobTestSummary& summary);
    bool DeleteTest(qint64 id);
    // A copy of the job at path (refused when the path exists).
    bool CopyTo(const QString& path);

private:
    JobFile(QString path, sqlite3* db, bool readOnly);
    bool exec(const char* sql);
    bool fail(const QString& what);

    QString m_path;
    sqlite3* m_db = nullptr;
    bool m_readOnly = false;
    QString m_error;
};
