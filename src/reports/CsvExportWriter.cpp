#include "reports/CsvExportWriter.h"

#include "reports/AnsiText.h"
#include "reports/AtomicFileWriter.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"

QString CsvExportRow(qint64 no, const QString& trh, double value, const QString& unit,
                     const QString& time) {
    // Texts are quoted, a quotation mark in them doubled (the meter's texts hold none, so their
    // bytes are as ever; a text read back from a damaged or crafted log cannot add cells).
    const auto text = [](const QString& t) {
        return t.contains(u'"') ? QString(t).replace(u'"', QStringLiteral("\"\"")) : t;
    };
    QString row = QString::number(no);
    row.reserve(trh.size() + unit.size() + time.size() + 40);
    row += QLatin1String(",\"");
    row += text(trh);
    row += QLatin1String("\",");
    row += FullStopNumberText(value);
    row += QLatin1String(",\"");
    row += text(unit);
    row += QLatin1String("\",\"");
    row += text(time);
    row += u'"';
    return row;
}

QByteArray CsvExportBytes(std::span<const Reading> readings) {
    QByteArray out = ToAnsi(QString::fromUtf16(kCsvExportHeading)) + "\r\n";
    out.reserve(out.size() + qsizetype(readings.size()) * 60);
    for (const Reading& r : readings)
        out += ToAnsi(CsvExportRow(r.No, r.TRH, r.Value, r.Unit, r.Time)) + "\r\n";
    return out;
}

QByteArray CsvExportBytes(const GVarMod& state) {
    // The records of the table lie one after the other.
    const std::int32_t count = state.ReadingCount;
    if (count <= 0)
        return CsvExportBytes(std::span<const Reading>());
    return CsvExportBytes(std::span<const Reading>(&state.Readings(1), std::size_t(count)));
}

bool WriteCsvExport(const GVarMod& state, const QString& path, QString* error) {
    return WriteFileAtomically(path, CsvExportBytes(state), error);
}
