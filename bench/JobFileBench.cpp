// A job of 200 tests with 25 points each: the time to open it and list its tests (the list's
// texts included), to read every test with its points, and the cost of storing one point (one
// transaction, WAL, full sync) as p50, p99 and the worst of 500.
//
//   bench_job_file [--folder DIR] [--tests 200] [--points 25]
//   bench_job_file --open FILE     opens a job as the program does and prints what it says
#include "jobs/JobFile.h"
#include "jobs/JobReport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const QDateTime kDay(QDate(2026, 12, 10), QTime(9, 0), Qt::OffsetFromUTC, 3600);

PointRecord taken(int i) {
    PointMeasurement m;
    m.average = 2.0 + 0.01 * i;
    m.minimum = 1.8;
    m.maximum = 2.4;
    m.count = 20;
    m.takeSeconds = 10;
    m.takenAt = kDay.addSecs(30 * i);
    m.temperatureC = 21.5;
    m.humidity = 40;
    return {m, false};
}

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times a job file: open and list, read, store one point."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("folder"),
                      QStringLiteral("Where the job is written (default: a temporary folder)."),
                      QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("tests"), QStringLiteral("Tests in the job (200)."),
                      QStringLiteral("N"), QStringLiteral("200")});
    parser.addOption({QStringLiteral("points"), QStringLiteral("Points per test (25)."),
                      QStringLiteral("N"), QStringLiteral("25")});
    parser.addOption({QStringLiteral("open"),
                      QStringLiteral("Open FILE as the program does and print what it says."),
                      QStringLiteral("FILE")});
    parser.process(app);
    if (parser.isSet(QStringLiteral("open"))) {
        const JobOpening o = JobFile::Open(parser.value(QStringLiteral("open")));
        if (!o.file) {
            std::printf("refused: %s\n", qPrintable(o.error));
            return 1;
        }
        std::printf("opened%s: %zu tests\n%s\n", o.file->ReadOnly() ? " read-only" : "",
                    o.file->Tests().size(), qPrintable(o.notice));
        return 0;
    }
    QTemporaryDir temporary;
    const QString folder = parser.isSet(QStringLiteral("folder"))
                               ? parser.value(QStringLiteral("folder"))
                               : temporary.path();
    const int tests = parser.value(QStringLiteral("tests")).toInt();
    const int points = parser.value(QStringLiteral("points")).toInt();
    const QString path = folder + QStringLiteral("/bench.vantello");
    for (const char* s : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(s));

    // A 5 x 5 rectangular duct: 25 points.
    JobTest test;
    test.setup = DefaultSetup(TestType::DuctTraverse);
    test.setup.shape = TraverseShape::RectangularDuct;
    test.setup.designValue = 1800;
    test.unit = MeterUnit::MetresPerSecond;
    test.records.resize(TraversePoints(test.setup).size());
    for (int i = 0; i < points && i < int(test.records.size()); ++i)
        test.records[std::size_t(i)] = taken(i);
    test.summary = SummaryOf(test.setup, test.records, MeterUnit::MetresPerSecond);
    {
        JobOpening o = JobFile::Create(path, [] {
            JobInfo info;
            info.project = QStringLiteral("Bench");
            return info;
        }());
        if (!o.file) {
            std::fprintf(stderr, "%s\n", qPrintable(o.error));
            return 1;
        }
        for (int i = 0; i < tests; ++i) {
            test.people.tag = QStringLiteral("AHU-%1/G%2").arg(i / 20).arg(i);
            o.file->AddTest(test);
        }
    }
    std::printf("job: %d tests x %zu points, %lld bytes\n", tests, test.records.size(),
                QFile(path).size());

    QElapsedTimer t;
    t.start();
    JobOpening o = JobFile::Open(path);
    const double opened = ms(t);
    const std::vector<JobTestRow> rows = o.file->Tests();
    const QLocale l;
    int chars = 0;
    for (const JobTestRow& r : rows) {
        const JobSummaryLine s = SummaryLineOf(r, l);
        chars += int(s.tag.size() + s.measured.size() + s.verdict.size());
    }
    const double listed = ms(t);
    std::printf("open (header, quick check, version): %.1f ms; open and list %zu tests: %.1f ms "
                "(target < 300 ms)\n",
                opened, rows.size(), listed);
    t.restart();
    std::size_t read = 0;
    for (const JobTestRow& r : rows)
        read += o.file->ReadTest(r.id)->records.size();
    std::printf("read every test with its points (%zu points): %.1f ms\n", read, ms(t));

    std::vector<double> costs;
    const qint64 id = rows.front().id;
    for (int i = 0; i < 500; ++i) {
        std::vector<PointRecord> records = o.file->ReadTest(id)->records;
        records[std::size_t(i % 25)] = taken(i);
        const JobTestSummary summary = SummaryOf(test.setup, records, MeterUnit::MetresPerSecond);
        t.restart();
        o.file->StorePoint(id, i % 25, records[std::size_t(i % 25)], summary);
        costs.push_back(ms(t));
    }
    double sum = 0;
    for (double c : costs)
        sum += c;
    std::sort(costs.begin(), costs.end());
    std::printf("store one point: mean %.2f ms\n", sum / double(costs.size()));
    std::printf("store one point (one transaction, WAL, full sync), 500 times: p50 %.2f ms, p99 "
                "%.2f ms, worst %.2f ms (target < 5 ms)\n",
                costs[costs.size() / 2], costs[costs.size() * 99 / 100], costs.back());
    return 0;
}
