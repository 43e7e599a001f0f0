// The rules behind the recording window: the min/max summary against a plain scan, the
// statistics of a range, the time axis' steps and labels.
#include "charts/TimeAxis.h"
#include "recording/RecordingPlot.h"
#include "recording/RecordingReader.h"
#include "recording/RecordingStats.h"

#include <QDateTime>
#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>

namespace {

constexpr float kNone = std::numeric_limits<float>::quiet_NaN();

// Readings about a second apart with jitter, a long gap, NaN temperatures here and there and a
// change of unit, so that runs, partial buckets and gaps all occur.
Recording randomRecording(int n, quint32 seed) {
    QRandomGenerator random(seed);
    Recording r;
    qint64 t = 1'800'000'000'000;
    for (int i = 0; i < n; ++i) {
        t += 500 + random.bounded(1000);
        if (i == n / 3)
            t += 3'600'000;
        const SeriesKey key{QStringLiteral("VEL"), i < n * 2 / 3 ? "m/s" : "km/h", "", "°C"};
        r.Append(t, random.bounded(10000) / 100.0,
                 random.bounded(10) == 0 ? kNone : float(random.bounded(400)) / 10.f,
                 float(random.bounded(1000)) / 10.f, key);
    }
    r.Finish();
    return r;
}

bool sameFloat(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

QByteArray logCsv(const QList<std::pair<int, double>>& secondsAndValues) {
    QByteArray out = "\"NO.\",\"T&RH\",\"DATA\",\"UNIT\",\"TIME\"\n";
    int no = 0;
    const QDateTime start(QDate(2026, 12, 9), QTime(12, 0), Qt::OffsetFromUTC, 3600);
    for (const auto& [s, v] : secondsAndValues)
        out += QStringLiteral("%1,\" 20°C 50%%\",%2,\"m/s\",\"%3\"\n")
                   .arg(++no)
                   .arg(v)
                   .arg(start.addSecs(s).toString(Qt::ISODateWithMs))
                   .replace(QStringLiteral("%%"), QStringLiteral("%"))
                   .toUtf8();
    return out;
}

} // namespace

class RecordingRulesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Every bucket of every level holds the extremes of exactly its readings.
    void summaryBucketsMatchAScan() {
        const Recording r = randomRecording(20000, 1);
        QCOMPARE(r.runs.size(), std::size_t(2));
        for (std::size_t run = 0; run < r.runs.size(); ++run) {
            const SeriesRun& sr = r.runs[run];
            const RunSummary& s = r.summaries[run];
            std::size_t size = RunSummary::kFanout;
            for (const auto& level : s.levels) {
                QCOMPARE(level.size(), (sr.end - sr.begin + size - 1) / size);
                for (std::size_t b = 0; b < level.size(); ++b) {
                    float lo = kNone, hi = kNone, tlo = kNone, thi = kNone;
                    for (std::size_t i = sr.begin + b * size;
                         i < std::min(sr.end, sr.begin + (b + 1) * size); ++i) {
                        const float v = float(r.values[i]);
                        lo = std::isnan(lo) ? v : std::min(lo, v);
                        hi = std::isnan(hi) ? v : std::max(hi, v);
                        const float t = r.temperatures[i];
                        if (!std::isnan(t)) {
                            tlo = std::isnan(tlo) ? t : std::min(tlo, t);
                            thi = std::isnan(thi) ? t : std::max(thi, t);
                        }
                    }
                    QVERIFY(sameFloat(level[b].valueMin, lo) && sameFloat(level[b].valueMax, hi));
                    QVERIFY(sameFloat(level[b].temperatureMin, tlo) &&
                            sameFloat(level[b].temperatureMax, thi));
                }
                size *= RunSummary::kFanout;
            }
            QCOMPARE(s.levels.back().size(), std::size_t(1));
        }
    }

    // The pixel columns of a plot, from the summary, against a scan of the readings in each.
    void columnsMatchAScan() {
        const Recording r = randomRecording(30000, 2);
        QRandomGenerator random(3);
        const qint64 first = r.times.front();
        const qint64 whole = r.times.back() - first;
        for (int round = 0; round < 40; ++round) {
            const qint64 span = std::max<qint64>(10000, qint64(random.bounded(double(whole))));
            const qint64 from = first - 5000 + qint64(random.bounded(double(whole - span / 2)));
            const qint64 to = from + span;
            const qint64 width = 50 + random.bounded(1200);
            for (std::size_t run = 0; run < r.runs.size(); ++run) {
                std::vector<std::pair<qint64, qint64>> gaps;
                const RunColumns got = SummariseColumns(r, run, from, to, width, gaps);
                const SeriesRun& sr = r.runs[run];
                // The scan: readings in [from, to] plus one beyond each edge.
                std::size_t a = sr.begin;
                while (a < sr.end && r.times[a] < from)
                    ++a;
                std::size_t c = a;
                while (c < sr.end && r.times[c] <= to)
                    ++c;
                a = a > sr.begin ? a - 1 : a;
                c = c < sr.end ? c + 1 : c;
                if (a >= c) {
                    QVERIFY(got.columns.empty());
                    continue;
                }
                std::map<qint64, ColumnSummary> want;
                int scannedGaps = 0;
                for (std::size_t i = a; i < c; ++i) {
                    const qint64 col =
                        std::clamp<qint64>(qint64(std::floor(double(r.times[i] - from) *
                                                             double(width) / double(span))),
                                           -1, width);
                    ColumnSummary& w = want[col];
                    if (!w.used)
                        w.firstTime = r.times[i];
                    w.used = true;
                    w.lastTime = r.times[i];
                    const float v = float(r.values[i]);
                    ColumnChannel& ch = w.ch[0];
                    if (std::isnan(ch.first))
                        ch.first = v;
                    ch.last = v;
                    ch.lo = std::isnan(ch.lo) ? v : std::min(ch.lo, v);
                    ch.hi = std::isnan(ch.hi) ? v : std::max(ch.hi, v);
                    if (i > a && r.times[i] - r.times[i - 1] > r.gapMs)
                        ++scannedGaps;
                }
                QCOMPARE(int(gaps.size()), scannedGaps);
                for (const auto& [col, w] : want) {
                    const ColumnSummary& g = got.columns[std::size_t(col - got.firstColumn)];
                    QVERIFY(g.used);
                    QCOMPARE(g.firstTime, w.firstTime);
                    QCOMPARE(g.lastTime, w.lastTime);
                    QCOMPARE(g.ch[0].first, w.ch[0].first);
                    QCOMPARE(g.ch[0].last, w.ch[0].last);
                    QCOMPARE(g.ch[0].lo, w.ch[0].lo);
                    QCOMPARE(g.ch[0].hi, w.ch[0].hi);
                }
                int used = 0;
                for (const ColumnSummary& g : got.columns)
                    used += g.used ? 1 : 0;
                QCOMPARE(used, int(want.size()));
            }
        }
    }

    void statistics_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<double>("mean");
        QTest::addColumn<double>("timeWeighted");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<int>("minimumAt");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<int>("maximumAt");
        QTest::addColumn<double>("deviation");
        // Readings at 0, 1, 2, 3 s (1, 2, 3, 10) and at 60 s (4): the last interval is a gap (more
        // than ten median intervals) and does not weigh in the time-weighted mean.
        QTest::newRow("all") << 0 << 60 << 5LL << 4.0 << 3.5 << 1.0 << 0 << 10.0 << 3
                             << std::sqrt(12.5);
        QTest::newRow("inside") << 1 << 2 << 2LL << 2.5 << 2.5 << 2.0 << 1 << 3.0 << 2
                                << std::sqrt(0.5);
        QTest::newRow("one reading")
            << 59 << 61 << 1LL << 4.0 << 4.0 << 4.0 << 60 << 4.0 << 60 << 0.0;
        QTest::newRow("a range on one reading")
            << 0 << 0 << 1LL << 1.0 << 1.0 << 1.0 << 0 << 1.0 << 0 << 0.0;
    }

    void statistics() {
        QFETCH(int, from);
        QFETCH(int, to);
        const ReadOutcome read = ReadRecordingBytes(
            logCsv({{0, 1}, {1, 2}, {2, 3}, {3, 10}, {60, 4}}), QStringLiteral("s.csv"));
        const Recording& r = read.recording;
        const qint64 t0 = r.times.front();
        const auto stats = StatisticsOf(r, t0 + from * 1000, t0 + to * 1000);
        QCOMPARE(stats.size(), std::size_t(3)); // velocity, temperature, humidity
        const RangeStatistics& s = stats.front();
        QCOMPARE(s.quantity, QStringLiteral("Velocity"));
        QCOMPARE(s.unit, QStringLiteral("m/s"));
        QTEST(s.count, "count");
        QTEST(s.mean, "mean");
        QTEST(s.timeWeightedMean, "timeWeighted");
        QTEST(s.minimum, "minimum");
        QFETCH(int, minimumAt);
        QCOMPARE(s.minimumTime, t0 + minimumAt * 1000);
        QTEST(s.maximum, "maximum");
        QFETCH(int, maximumAt);
        QCOMPARE(s.maximumTime, t0 + maximumAt * 1000);
        QFETCH(double, deviation);
        QVERIFY(std::abs(s.standardDeviation - deviation) < 1e-12);
        QCOMPARE(stats[1].quantity, QStringLiteral("Temperature"));
        QCOMPARE(stats[1].mean, 20.0);
    }

    // The saved statistics follow the export: Windows-1252, CR LF, texts quoted, full stops.
    void statisticsCsv() {
        const Recording r =
            ReadRecordingBytes(logCsv({{0, 1.5}, {1, 2.5}}), QStringLiteral("run.csv")).recording;
        const qint64 t0 = r.times.front();
        const QByteArray csv = StatisticsCsvBytes(r, t0, t0 + 1000, StatisticsOf(r, t0, t0 + 1000));
        const QList<QByteArray> lines = csv.split('\n');
        QCOMPARE(lines.size(), 5); // heading, three quantities, nothing after the last CR LF
        QVERIFY(lines[0].startsWith("\"FILE\",\"FROM\",\"TO\",\"QUANTITY\""));
        QCOMPARE(lines[1],
                 QByteArray("\"run.csv\",\"2026-12-09T12:00:00.000+01:00\","
                            "\"2026-12-09T12:00:01.000+01:00\",\"Velocity\",\"m/s\",2,"
                            "\"2026-12-09T12:00:00.000+01:00\",\"2026-12-09T12:00:01.000+01:00\","
                            "1,2,2,1.5,\"2026-12-09T12:00:00.000+01:00\",2.5,"
                            "\"2026-12-09T12:00:01.000+01:00\",0.707106781186548\r"));
        QVERIFY(lines[2].contains(",\"Temperature\",\"\xB0"
                                  "C\",2,"));
    }

    void timeSteps_data() {
        QTest::addColumn<qint64>("span");
        QTest::addColumn<qint64>("step");
        constexpr qint64 s = 1000, m = 60 * s, h = 60 * m, d = 24 * h;
        // 900 pixels, ticks at least 90 apart: at most ten ticks.
        QTest::newRow("a week: days") << 7 * d << d;
        QTest::newRow("a day: three hours") << d << 3 * h;
        QTest::newRow("an hour: ten minutes") << h << 10 * m;
        QTest::newRow("a minute: ten seconds") << m << 10 * s;
        QTest::newRow("nine seconds: seconds") << 9 * s << s;
        QTest::newRow("two months: weeks") << 60 * d << 7 * d;
        QTest::newRow("two years: ninety days") << 730 * d << 90 * d;
    }

    void timeSteps() {
        QFETCH(qint64, span);
        QTEST(TimeAxisStep(span, 900, 90), "step");
    }

    // Two hours over midnight at 15-minute steps: times of day, the date on the first tick and
    // on midnight's; the same at another offset from UTC.
    void timeLabels() {
        for (const int offset : {0, 3600}) {
            const qint64 from =
                QDateTime(QDate(2026, 12, 9), QTime(23, 0), Qt::UTC).toMSecsSinceEpoch() -
                qint64(offset) * 1000;
            const auto ticks = TimeAxisTicks(from, from + 2 * 3600 * 1000, offset, 900, true);
            QCOMPARE(ticks.size(), std::size_t(9));
            QCOMPARE(ticks[0].label, QStringLiteral("11:00 PM"));
            QCOMPARE(ticks[0].secondLabel, QStringLiteral("12/9/26"));
            QCOMPARE(ticks[1].secondLabel, QString());
            QCOMPARE(ticks[4].label, QStringLiteral("12:00 AM"));
            QCOMPARE(ticks[4].secondLabel, QStringLiteral("12/10/26"));
            QCOMPARE(ticks[4].position, 450.0);
        }
        // Without dates no date is written.
        const auto plain = TimeAxisTicks(0, 30 * 86400000LL, 0, 900, false);
        QCOMPARE(plain.front().label, QStringLiteral("1"));
        QCOMPARE(plain.back().secondLabel, QString());
        // Weeks start on Mondays: 2026-11-30 is one.
        const qint64 sunday =
            QDateTime(QDate(2026, 11, 29), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
        const auto weeks = TimeAxisTicks(sunday, sunday + 60 * 86400000LL, 0, 900, true);
        QCOMPARE(weeks.front().label, QStringLiteral("11/30/26"));
        QCOMPARE(weeks[1].label, QStringLiteral("12/7/26"));
    }

    // Zooming stops at ten seconds and never leaves the recording.
    void navigation() {
        const Recording r =
            ReadRecordingBytes(logCsv({{0, 1}, {3600, 2}}), QStringLiteral("n.csv")).recording;
        PlotView view;
        ShowAll(view, r);
        QCOMPARE(view.to - view.from, 3600000LL);
        for (int k = 0; k < 100; ++k)
            ZoomAt(view, r, 0.25, 0.5);
        QCOMPARE(view.to - view.from, kShortestViewMs);
        PanBy(view, r, -1000);
        QCOMPARE(view.from, r.times.front());
        ZoomTo(view, r, r.times.back() + 50000, r.times.back() + 10);
        QCOMPARE(view.to, r.times.back());
    }
};

QTEST_GUILESS_MAIN(RecordingRulesTest)
#include "RecordingRulesTest.moc"
