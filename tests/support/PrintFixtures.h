#pragma once

// What the print tests print and how they look at the result.

#include "reports/GraphReportLayout.h"
#include "state/GVarMod.h"

#include <QProcess>

#include <functional>

// Readings "D<No>" in m/s, all at one time, "V 23.5°C 45.6%" as their temperature and humidity;
// `set` changes what a test needs (called with each new reading and its index from 0).
inline void FillPrintReadings(GVarMod& s, int count,
                              const std::function<void(Reading&, int)>& set = {}) {
    for (int i = 0; i < count; ++i) {
        Reading& r = s.AppendRecord();
        r.TRH = QString::fromUtf8("V 23.5°C 45.6%");
        r.Data = QStringLiteral("D%1").arg(r.No);
        r.Unit = QStringLiteral("m/s");
        r.Time = QStringLiteral("06.05.14\\10:11:12");
        if (set)
            set(r, i);
    }
}

// The graph window's texts: axis numbers 40 down to -40 in steps of 5, the given page numbers.
inline GraphReportTexts PrintGraphTexts(const QString& first = QStringLiteral("1"),
                                        const QString& middle = QStringLiteral("50"),
                                        const QString& last = QStringLiteral("100")) {
    GraphReportTexts t;
    for (int k = 0; k < 17; ++k)
        t.axisNumbers[static_cast<std::size_t>(k)] = QString::number(40 - 5 * k);
    t.pageNumbers = {first, middle, last};
    t.clock = QStringLiteral("06.05.14 10:11:12");
    return t;
}

// What a tool (pdfinfo, pdftotext) prints, or "<tool failed>".
inline QString RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput());
}
