#pragma once

// Job files as the job tests and the benchmark make them: tests of every type with taken,
// skipped and open points.

#include "jobs/JobFile.h"

// A job for the project of the given name.
inline JobInfo JobFor(const QString& project) {
    JobInfo info;
    info.project = project;
    return info;
}

#include <QDateTime>

inline const QDateTime kJobDay(QDate(2026, 12, 10), QTime(9, 14, 0), Qt::OffsetFromUTC, 3600);

// A point taken at the given average (m/s), its spread +-10 %, 20 readings over 10 s.
inline PointRecord TakenPoint(double average, int minute = 0,
                              std::optional<double> temperature = std::nullopt) {
    PointMeasurement m;
    m.average = average;
    m.minimum = average * 0.9;
    m.maximum = average * 1.1;
    m.count = 20;
    m.takeSeconds = 10;
    m.takenAt = kJobDay.addSecs(60 * minute);
    m.temperatureC = temperature;
    if (temperature)
        m.humidity = 45.5;
    return {m, false};
}

// A test of the type with its type's defaults, a design value and the given points taken (the
// second skipped when there are three or more).
inline JobTest SampleTest(TestType type, const QString& tag, int taken) {
    JobTest t;
    t.setup = DefaultSetup(type);
    t.setup.designValue = DesignIsFlow(type) ? 1800 : 0.5;
    t.people.tag = tag;
    t.people.location = QStringLiteral("Level 2, \"east\"");
    t.people.notes = QStringLiteral("=cleaned before\nsecond line");
    t.unit = MeterUnit::MetresPerSecond;
    t.records.resize(TraversePoints(t.setup).size());
    for (int i = 0; i < taken && i < int(t.records.size()); ++i)
        t.records[std::size_t(i)] =
            TakenPoint(2.0 + 0.1 * i, i, i % 2 ? std::optional(21.5) : std::nullopt);
    if (taken >= 3)
        t.records[1].skipped = true;
    t.summary = SummaryOf(t.setup, t.records, MeterUnit::MetresPerSecond);
    return t;
}
