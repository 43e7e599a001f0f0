#pragma once

#include "jobs/JobFile.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

// A design schedule: one test a row, as comma- (or semicolon-) separated values:
//   tag, type, size, design value, unit
// type: duct, grille, fumehood, cleanair or face (or the names the window shows); size: "600x400"
// (a rectangle or a face), "400" or "D400" (a round duct), with "mm" (the default) or "in" after
// it, empty for a grille (kept in its notes); the design value a flow (m3/h, l/s, m3/s, cfm) for a
// duct or grille, a face velocity (m/s, ft/m or fpm, ...) for the faces, both empty for none. A
// first row starting with "tag" is a heading. Text in UTF-8 or Windows-1252.
struct ScheduleImport {
    std::vector<JobTest> tests; // nothing when any row is bad
    QStringList errors;         // "Line 4: ..." for each row that cannot be read
};

// The tests of a schedule, each starting from base (the site's air, take time and the like) with
// its type's defaults.
ScheduleImport ReadDesignSchedule(const QByteArray& bytes, const TraverseSetup& base);

// The tag a copy of a test gets: the tag with its last number counted up to one no test has
// ("G-03" gives "G-04", "G-09" with "G-10" taken "G-11"), or " 2", " 3" ... added to a tag
// without a number.
QString NextFreeTag(const QString& tag, const QStringList& taken);
