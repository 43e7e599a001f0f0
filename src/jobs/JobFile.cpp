#include "jobs/JobFile.h"

#include "state/SystemTexts.h"
#include "traverse/TraverseSettings.h"
#include "traverse/TraverseVerdict.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <sqlite3.h>

#include <array>

namespace {

constexpr char kMagic[] = "SQLite format 3"; // and a NUL: 16 bytes

quint32 bigEndian(const QByteArray& b, int at, int size) {
    quint32 v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

QString dbError(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

// A prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_st, nullptr) != SQLITE_OK)
            m_st = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_st); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool Ok() const { return m_st != nullptr; }
    // Steps once: true while there is a row.
    bool Row() { return m_st && sqlite3_step(m_st) == SQLITE_ROW; }
    // Runs to the end: true when it finished without error.
    bool Run() {
        if (!m_st)
            return false;
        int rc = SQLITE_ROW;
        while (rc == SQLITE_ROW)
            rc = sqlite3_step(m_st);
        return rc == SQLITE_DONE;
    }
    void Bind(int i, const QString& text) {
        const QByteArray u = text.toUtf8();
        sqlite3_bind_text(m_st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    void Bind(int i, qint64 v) { sqlite3_bind_int64(m_st, i, v); }
    void Bind(int i, int v) { sqlite3_bind_int(m_st, i, v); }
    void Bind(int i, double v) { sqlite3_bind_double(m_st, i, v); }
    void Bind(int i, const std::optional<double>& v) {
        if (v)
            sqlite3_bind_double(m_st, i, *v);
        else
            sqlite3_bind_null(m_st, i);
    }
    void Bind(int i, const QDateTime& t) {
        if (t.isValid())
            Bind(i, t.toString(Qt::ISODateWithMs));
        else
            sqlite3_bind_null(m_st, i);
    }
    QString Text(int c) const {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(m_st, c));
        return t ? QString::fromUtf8(t, sqlite3_column_bytes(m_st, c)) : QString();
    }
    bool Null(int c) const { return sqlite3_column_type(m_st, c) == SQLITE_NULL; }
    qint64 Int(int c) const { return sqlite3_column_int64(m_st, c); }
    double Real(int c) const { return sqlite3_column_double(m_st, c); }
    std::optional<double> MaybeReal(int c) const {
        return Null(c) ? std::nullopt : std::optional<double>(Real(c));
    }
    QDateTime Time(int c) const {
        return Null(c) ? QDateTime() : QDateTime::fromString(Text(c), Qt::ISODateWithMs);
    }

private:
    sqlite3_stmt* m_st = nullptr;
};

QString json(const QVariantMap& values) {
    return QString::fromUtf8(
        QJsonDocument(QJsonObject::fromVariantMap(values)).toJson(QJsonDocument::Compact));
}

QVariantMap fromJson(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object().toVariantMap();
}

QString instrumentJson(const std::optional<Instrument>& in) {
    if (!in)
        return {};
    return json({{QStringLiteral("make"), in->make},
                 {QStringLiteral("model"), in->model},
                 {QStringLiteral("serial"), in->serial},
                 {QStringLiteral("probe"), ProbeTypeText(in->probe)},
                 {QStringLiteral("calibrated"), in->calibrated.toString(Qt::ISODate)},
                 {QStringLiteral("due"), in->calibrationDue.toString(Qt::ISODate)}});
}

std::optional<Instrument> instrumentFromJson(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    const QVariantMap v = fromJson(text);
    Instrument in;
    in.make = v.value(QStringLiteral("make")).toString();
    in.model = v.value(QStringLiteral("model")).toString();
    in.serial = v.value(QStringLiteral("serial")).toString();
    in.probe = v.value(QStringLiteral("probe")).toString() == QStringLiteral("thermal")
                   ? ProbeType::Thermal
                   : ProbeType::Vane;
    in.calibrated =
        QDate::fromString(v.value(QStringLiteral("calibrated")).toString(), Qt::ISODate);
    in.calibrationDue = QDate::fromString(v.value(QStringLiteral("due")).toString(), Qt::ISODate);
    return in;
}

// The site's air goes through the setup's values, with the same checks on reading back.
QString airJson(const AirInputs& air) {
    TraverseSetup s;
    s.air = air;
    return json(SetupValues(s));
}

AirInputs airFromJson(const QString& text) {
    return SetupFromValues(fromJson(text)).air;
}

QString unitKey(const std::optional<MeterUnit>& unit) {
    return unit ? UnitText(*unit) : QString();
}

// Migrations from each version to the next: index i brings version i to i + 1.
const std::array<const char*, kJobSchemaVersion> kMigrations{
    R"(CREATE TABLE migrations(version INTEGER PRIMARY KEY, applied TEXT NOT NULL);
       CREATE TABLE job(id INTEGER PRIMARY KEY CHECK (id = 1), project TEXT NOT NULL DEFAULT '',
           client TEXT NOT NULL DEFAULT '', site TEXT NOT NULL DEFAULT '',
           technician TEXT NOT NULL DEFAULT '', instrument TEXT NOT NULL DEFAULT '',
           air TEXT NOT NULL DEFAULT '', current_test INTEGER);
       INSERT INTO job(id) VALUES (1);
       CREATE TABLE tests(id INTEGER PRIMARY KEY AUTOINCREMENT, type TEXT NOT NULL,
           tag TEXT NOT NULL DEFAULT '', location TEXT NOT NULL DEFAULT '',
           notes TEXT NOT NULL DEFAULT '', setup TEXT NOT NULL, unit TEXT NOT NULL DEFAULT '',
           verdict TEXT NOT NULL DEFAULT '', reasons TEXT NOT NULL DEFAULT '',
           measured REAL, measured_standard REAL, percent REAL, first_taken TEXT,
           last_taken TEXT);
       CREATE TABLE points(test INTEGER NOT NULL REFERENCES tests(id) ON DELETE CASCADE,
           point INTEGER NOT NULL, average REAL, minimum REAL, maximum REAL, count INTEGER,
           take_seconds INTEGER, taken_at TEXT, temperature REAL, humidity REAL,
           not_plain INTEGER NOT NULL DEFAULT 0, skipped INTEGER NOT NULL DEFAULT 0,
           PRIMARY KEY(test, point)) WITHOUT ROWID;)",
};

QString named(const QString& path) {
    return QuotedPath(QDir::toNativeSeparators(path));
}

// What the header says about the file, before SQLite looks at it: empty when it may be read.
QString headerProblem(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("%1 cannot be read: %2.").arg(named(path), f.errorString());
    const qint64 size = f.size();
    const QByteArray head = f.read(100);
    const QString notJob =
        QStringLiteral("%1 is not a job file: it is not a database. Open a .vantello file "
                       "made by this program.")
            .arg(named(path));
    if (head.size() < 100 || !head.startsWith(QByteArray(kMagic, sizeof kMagic)))
        return notJob;
    quint32 pageSize = bigEndian(head, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return notJob;
    const quint32 pages = bigEndian(head, 28, 4);
    const bool pagesValid = pages > 0 && bigEndian(head, 24, 4) == bigEndian(head, 92, 4);
    const bool wal = QFileInfo::exists(path + QStringLiteral("-wal"));
    if (size % pageSize != 0 || (pagesValid && !wal && size < qint64(pages) * pageSize))
        return QStringLiteral("%1 is damaged: it is cut short (%2 bytes where %3 were "
                              "written). It was not changed; open a backup copy of the job.")
            .arg(named(path))
            .arg(size)
            .arg(pagesValid ? qint64(pages) * pageSize : (size / pageSize + 1) * pageSize);
    return {};
}

// The file as a URI SQLite opens read-only; without a WAL beside it, as immutable, so that
// nothing (no -shm, no -wal) is made.
QByteArray readOnlyUri(const QString& path) {
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    QString query = QStringLiteral("mode=ro");
    if (!QFileInfo::exists(path + QStringLiteral("-wal")))
        query += QStringLiteral("&immutable=1");
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded).toUtf8();
}

// Looks at the file through a read-only connection: empty when it is a job file this program
// reads, else why not.
QString checkReadOnly(const QString& path, int* version) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(readOnlyUri(path).constData(), &db,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    QString problem;
    const QString damaged = QStringLiteral("%1 is damaged: %2. It was not changed; open a backup "
                                           "copy of the job.");
    if (rc != SQLITE_OK) {
        problem = damaged.arg(named(path), dbError(db));
    } else {
        sqlite3_busy_timeout(db, 2000);
        Statement check(db, "PRAGMA quick_check(1)");
        if (!check.Ok() || !check.Row()) {
            const int code = sqlite3_extended_errcode(db) & 0xff;
            if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
                problem = QStringLiteral("%1 is open in another Vantello. Close it there first.")
                              .arg(named(path));
            else if (code == SQLITE_NOTADB)
                problem =
                    QStringLiteral("%1 is not a job file: it is not a database.").arg(named(path));
            else
                problem = damaged.arg(named(path), dbError(db));
        } else if (check.Text(0) != QStringLiteral("ok")) {
            QString found = check.Text(0);
            found.remove(QStringLiteral("*** in database main ***"));
            problem = damaged.arg(
                named(path),
                QStringLiteral("the database check found \"%1\"").arg(found.simplified()));
        } else {
            Statement id(db, "PRAGMA application_id");
            Statement v(db, "PRAGMA user_version");
            const qint64 app = id.Row() ? id.Int(0) : 0;
            *version = v.Row() ? int(v.Int(0)) : 0;
            if (app != kJobApplicationId)
                problem = QStringLiteral("%1 is not a job file: it is a database of another "
                                         "program.")
                              .arg(named(path));
            else if (*version > kJobSchemaVersion)
                problem = QStringLiteral("%1 was written by a newer version of Vantello (job "
                                         "file version %2; this version reads up to %3). Open it "
                                         "with the newer version.")
                              .arg(named(path))
                              .arg(*version)
                              .arg(kJobSchemaVersion);
        }
    }
    sqlite3_close(db);
    return problem;
}

} // namespace

JobTestSummary SummaryOf(const TraverseSetup& setup, const std::vector<PointRecord>& records,
                         MeterUnit unit) {
    JobTestSummary s;
    const std::vector<TraversePoint> points = TraversePoints(setup);
    std::vector<PointRecord> all = records;
    all.resize(points.size());
    const TraverseResults r = ComputeTraverseResults(setup, all);
    const TraverseVerdict v = JudgeTraverse(setup, points, all, r, unit, QLocale::c());
    s.verdict = v.Headline();
    s.reasons = v.Reasons().join(u'\n');
    const bool flow = DesignIsFlow(setup.type);
    // A flow needs an area: a grille without the maker's Ak has none.
    if (r.taken > 0 && (!flow || r.area > 0)) {
        s.measured = flow ? r.flow : r.actualMean;
        s.measuredStandard = flow ? r.standardFlow : r.standardMean;
        if (r.designDeviationPercent)
            s.percentOfDesign = 100 + *r.designDeviationPercent;
    }
    for (const PointRecord& p : all) {
        if (!p.taken)
            continue;
        if (!s.first.isValid() || p.taken->takenAt < s.first)
            s.first = p.taken->takenAt;
        if (!s.last.isValid() || p.taken->takenAt > s.last)
            s.last = p.taken->takenAt;
    }
    return s;
}

JobFile::JobFile(QString path, sqlite3* db, bool readOnly)
    : m_path(std::move(path))
    , m_db(db)
    , m_readOnly(readOnly) {}

JobFile::~JobFile() {
    sqlite3_close(m_db);
}

bool JobFile::exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_error = message ? QString::fromUtf8(message) : dbError(m_db);
    sqlite3_free(message);
    return false;
}

bool JobFile::fail(const QString& what) {
    m_error = what.isEmpty() ? dbError(m_db) : what;
    if (!sqlite3_get_autocommit(m_db))
        exec("ROLLBACK");
    return false;
}

JobOpening JobFile::Open(const QString& path) {
    JobOpening o;
    const QFileInfo info(path);
    if (!info.exists()) {
        o.error = QStringLiteral("%1 does not exist.").arg(named(path));
        return o;
    }
    if (!info.isFile()) {
        o.error = QStringLiteral("%1 is not a file.").arg(named(path));
        return o;
    }
    o.error = headerProblem(path);
    int version = 0;
    if (o.error.isEmpty())
        o.error = checkReadOnly(path, &version);
    if (!o.error.isEmpty())
        return o;

    const bool writable = info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
    if (!writable) {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(readOnlyUri(path).constData(), &db,
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK) {
            o.error = QStringLiteral("%1 cannot be read: %2.").arg(named(path), dbError(db));
            sqlite3_close(db);
            return o;
        }
        if (version < kJobSchemaVersion) {
            sqlite3_close(db);
            o.error = QStringLiteral("%1 was written by an earlier version of Vantello and is "
                                     "read-only, so it cannot be brought up to date. Copy it "
                                     "where you may change it and open the copy.")
                          .arg(named(path));
            return o;
        }
        o.file.reset(new JobFile(path, db, true));
        o.notice = QStringLiteral("%1 is read-only (%2), so the job is open for reading only: "
                                  "its tests can be looked at and printed, not changed. Use "
                                  "\"Save job as\" to continue in a copy.")
                       .arg(named(path), info.isWritable()
                                             ? QStringLiteral("its folder may not be written")
                                             : QStringLiteral("the file may not be written"));
        return o;
    }

    sqlite3* db = nullptr;
    const QByteArray native = QDir::toNativeSeparators(info.absoluteFilePath()).toUtf8();
    if (sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        o.error = QStringLiteral("%1 cannot be opened: %2.").arg(named(path), dbError(db));
        sqlite3_close(db);
        return o;
    }
    std::unique_ptr<JobFile> file(new JobFile(path, db, false));
    sqlite3_busy_timeout(db, 2000);
    // One program at a time: the lock is taken by the first write and held until the job closes.
    if (!file->exec("PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=WAL; "
                    "PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON; BEGIN IMMEDIATE;")) {
        o.error = (sqlite3_errcode(db) & 0xff) == SQLITE_BUSY
                      ? QStringLiteral("%1 is open in another Vantello. Close it there first.")
                            .arg(named(path))
                      : QStringLiteral("%1 cannot be opened: %2.").arg(named(path), file->m_error);
        return o;
    }
    for (int v = version; v < kJobSchemaVersion; ++v) {
        bool done = file->exec(kMigrations[std::size_t(v)]);
        if (done) {
            Statement applied(db, "INSERT INTO migrations(version, applied) VALUES (?, ?)");
            applied.Bind(1, v + 1);
            applied.Bind(2, IsoInstantText(QDateTime::currentDateTime()));
            done = applied.Run() || file->fail({});
        }
        if (!done) {
            file->fail(file->m_error);
            o.error = QStringLiteral("%1 could not be brought up to this version: %2.")
                          .arg(named(path), file->m_error);
            return o;
        }
    }
    const QByteArray setVersion = "PRAGMA user_version=" + QByteArray::number(kJobSchemaVersion);
    if (!file->exec(setVersion.constData()) || !file->exec("COMMIT")) {
        file->fail({});
        o.error = QStringLiteral("%1 cannot be written: %2.").arg(named(path), file->m_error);
        return o;
    }
    o.file = std::move(file);
    return o;
}

JobOpening JobFile::Create(const QString& path, const JobInfo& jobInfo) {
    JobOpening o;
    if (QFileInfo::exists(path)) {
        o.error = QStringLiteral("%1 exists already.").arg(named(path));
        return o;
    }
    sqlite3* db = nullptr;
    const QByteArray native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toUtf8();
    if (sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        o.error = QStringLiteral("%1 cannot be made: %2.").arg(named(path), dbError(db));
        sqlite3_close(db);
        QFile::remove(path);
        return o;
    }
    const QByteArray id = "PRAGMA application_id=" + QByteArray::number(kJobApplicationId);
    const bool made =
        sqlite3_exec(db, id.constData(), nullptr, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) == SQLITE_OK;
    const QString why = dbError(db);
    sqlite3_close(db);
    if (!made) {
        QFile::remove(path);
        o.error = QStringLiteral("%1 cannot be made: %2.").arg(named(path), why);
        return o;
    }
    o = Open(path);
    if (o.file && !o.file->SaveInfo(jobInfo)) {
        o.error = QStringLiteral("%1 cannot be written: %2.").arg(named(path), o.file->m_error);
        o.file.reset();
    }
    return o;
}

JobInfo JobFile::Info() const {
    JobInfo info;
    Statement q(m_db, "SELECT project, client, site, technician, instrument, air FROM job");
    if (q.Row()) {
        info.project = q.Text(0);
        info.client = q.Text(1);
        info.site = q.Text(2);
        info.technician = q.Text(3);
        info.instrument = instrumentFromJson(q.Text(4));
        info.air = airFromJson(q.Text(5));
    }
    return info;
}

bool JobFile::SaveInfo(const JobInfo& info) {
    Statement q(m_db, "UPDATE job SET project = ?, client = ?, site = ?, technician = ?, "
                      "instrument = ?, air = ?");
    q.Bind(1, info.project);
    q.Bind(2, info.client);
    q.Bind(3, info.site);
    q.Bind(4, info.technician);
    q.Bind(5, instrumentJson(info.instrument));
    q.Bind(6, airJson(info.air));
    return q.Run() || fail({});
}

qint64 JobFile::CurrentTest() const {
    Statement q(m_db, "SELECT current_test FROM job");
    return q.Row() ? q.Int(0) : 0;
}

bool JobFile::SetCurrentTest(qint64 id) {
    if (m_readOnly)
        return fail(QStringLiteral("the job is open read-only"));
    Statement q(m_db, "UPDATE job SET current_test = ?");
    q.Bind(1, id);
    return q.Run() || fail({});
}

std::vector<JobTestRow> JobFile::Tests() const {
    std::vector<JobTestRow> rows;
    Statement q(m_db, "SELECT id, setup, tag, location, verdict, reasons, measured, "
                      "measured_standard, percent, first_taken, last_taken FROM tests ORDER BY id");
    while (q.Row()) {
        JobTestRow r;
        r.id = q.Int(0);
        const TraverseSetup s = SetupFromValues(fromJson(q.Text(1)));
        r.type = s.type;
        r.designValue = s.designValue;
        r.designIsFlow = DesignIsFlow(s.type);
        r.designFlowUnit = s.designFlowUnit;
        r.designVelocityUnit = s.designVelocityUnit;
        r.designStandard = s.designStandard;
        r.tag = q.Text(2);
        r.location = q.Text(3);
        r.summary.verdict = q.Text(4);
        r.summary.reasons = q.Text(5);
        r.summary.measured = q.MaybeReal(6);
        r.summary.measuredStandard = q.MaybeReal(7);
        r.summary.percentOfDesign = q.MaybeReal(8);
        r.summary.first = q.Time(9);
        r.summary.last = q.Time(10);
        rows.push_back(r);
    }
    return rows;
}

std::optional<JobTest> JobFile::ReadTest(qint64 id) const {
    Statement q(m_db,
                "SELECT setup, tag, location, notes, unit, verdict, reasons, measured, "
                "measured_standard, percent, first_taken, last_taken FROM tests WHERE id = ?");
    q.Bind(1, id);
    if (!q.Row())
        return std::nullopt;
    JobTest t;
    t.id = id;
    t.setup = SetupFromValues(fromJson(q.Text(0)));
    t.people.tag = q.Text(1);
    t.people.location = q.Text(2);
    t.people.notes = q.Text(3);
    t.unit = UnitFromText(ReadingKind::Velocity, q.Text(4));
    t.summary = {q.Text(5),      q.Text(6),  q.MaybeReal(7), q.MaybeReal(8),
                 q.MaybeReal(9), q.Time(10), q.Time(11)};
    t.records.resize(TraversePoints(t.setup).size());
    Statement p(m_db, "SELECT point, average, minimum, maximum, count, take_seconds, taken_at, "
                      "temperature, humidity, not_plain, skipped FROM points WHERE test = ?");
    p.Bind(1, id);
    while (p.Row()) {
        const qint64 index = p.Int(0);
        if (index < 0 || index >= qint64(t.records.size()))
            continue; // a point the setup does not have
        PointRecord& r = t.records[std::size_t(index)];
        if (!p.Null(1)) {
            PointMeasurement m;
            m.average = p.Real(1);
            m.minimum = p.Real(2);
            m.maximum = p.Real(3);
            m.count = int(p.Int(4));
            m.takeSeconds = int(p.Int(5));
            m.takenAt = p.Time(6);
            m.temperatureC = p.MaybeReal(7);
            m.humidity = p.MaybeReal(8);
            m.notPlainAir = p.Int(9) != 0;
            r.taken = m;
        }
        r.skipped = p.Int(10) != 0;
    }
    return t;
}

namespace {

bool writePoint(sqlite3* db, qint64 test, int index, const PointRecord& r) {
    if (!r.taken && !r.skipped) {
        Statement d(db, "DELETE FROM points WHERE test = ? AND point = ?");
        d.Bind(1, test);
        d.Bind(2, index);
        return d.Run();
    }
    Statement q(db, "INSERT OR REPLACE INTO points(test, point, average, minimum, maximum, count, "
                    "take_seconds, taken_at, temperature, humidity, not_plain, skipped) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.Bind(1, test);
    q.Bind(2, index);
    if (const auto& m = r.taken) {
        q.Bind(3, m->average);
        q.Bind(4, m->minimum);
        q.Bind(5, m->maximum);
        q.Bind(6, m->count);
        q.Bind(7, m->takeSeconds);
        q.Bind(8, m->takenAt);
        q.Bind(9, m->temperatureC);
        q.Bind(10, m->humidity);
        q.Bind(11, m->notPlainAir ? 1 : 0);
    }
    q.Bind(12, r.skipped ? 1 : 0);
    return q.Run();
}

bool writeSummary(sqlite3* db, qint64 test, const JobTestSummary& s) {
    Statement q(db, "UPDATE tests SET verdict = ?, reasons = ?, measured = ?, "
                    "measured_standard = ?, percent = ?, first_taken = ?, last_taken = ? "
                    "WHERE id = ?");
    q.Bind(1, s.verdict);
    q.Bind(2, s.reasons);
    q.Bind(3, s.measured);
    q.Bind(4, s.measuredStandard);
    q.Bind(5, s.percentOfDesign);
    q.Bind(6, s.first);
    q.Bind(7, s.last);
    q.Bind(8, test);
    return q.Run() && sqlite3_changes(db) == 1;
}

bool writeHeader(sqlite3* db, const JobTest& t) {
    Statement q(db, "UPDATE tests SET type = ?, tag = ?, location = ?, notes = ?, setup = ?, "
                    "unit = ? WHERE id = ?");
    q.Bind(1, TestTypeKey(t.setup.type));
    q.Bind(2, t.people.tag);
    q.Bind(3, t.people.location);
    q.Bind(4, t.people.notes);
    q.Bind(5, json(SetupValues(t.setup)));
    q.Bind(6, unitKey(t.unit));
    q.Bind(7, t.id);
    return q.Run() && sqlite3_changes(db) == 1;
}

bool writePoints(sqlite3* db, const JobTest& t) {
    Statement d(db, "DELETE FROM points WHERE test = ?");
    d.Bind(1, t.id);
    if (!d.Run())
        return false;
    for (std::size_t i = 0; i < t.records.size(); ++i)
        if (!writePoint(db, t.id, int(i), t.records[i]))
            return false;
    return true;
}

} // namespace

qint64 JobFile::AddTest(const JobTest& test) {
    if (m_readOnly)
        return fail(QStringLiteral("the job is open read-only")), 0;
    if (!exec("BEGIN IMMEDIATE"))
        return 0;
    Statement q(m_db, "INSERT INTO tests(type, setup) VALUES ('', '')");
    if (!q.Run())
        return fail({}), 0;
    JobTest t = test;
    t.id = sqlite3_last_insert_rowid(m_db);
    if (!writeHeader(m_db, t) || !writeSummary(m_db, t.id, t.summary) || !writePoints(m_db, t) ||
        !exec("COMMIT"))
        return fail({}), 0;
    return t.id;
}

bool JobFile::SaveTest(const JobTest& test, bool replacePoints) {
    if (m_readOnly)
        return fail(QStringLiteral("the job is open read-only"));
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    if (!writeHeader(m_db, test) || !writeSummary(m_db, test.id, test.summary) ||
        (replacePoints && !writePoints(m_db, test)) || !exec("COMMIT"))
        return fail({});
    return true;
}

bool JobFile::StorePoint(qint64 testId, int index, const PointRecord& record,
                         const JobTestSummary& summary) {
    if (m_readOnly)
        return fail(QStringLiteral("the job is open read-only"));
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    if (!writePoint(m_db, testId, index, record) || !writeSummary(m_db, testId, summary) ||
        !exec("COMMIT"))
        return fail({});
    return true;
}

bool JobFile::DeleteTest(qint64 id) {
    if (m_readOnly)
        return fail(QStringLiteral("the job is open read-only"));
    Statement q(m_db, "DELETE FROM tests WHERE id = ?");
    q.Bind(1, id);
    return q.Run() || fail({});
}

bool JobFile::CopyTo(const QString& path) {
    if (QFileInfo::exists(path))
        return fail(QStringLiteral("%1 exists already").arg(named(path)));
    Statement q(m_db, "VACUUM INTO ?");
    q.Bind(1, QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    if (!q.Run()) {
        fail({});
        QFile::remove(path);
        return false;
    }
    return true;
}
