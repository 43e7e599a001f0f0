#include "reports/CsvExportWriter.h"

#include "reports/AnsiText.h"
#include "reports/AtomicFileWriter.h"
#include "state/GVarMod.h"

namespace {

QByteArray quoted(const QString& text) {
    return '"' + ToAnsi(text) + '"';
}

// Shortest form of up to 15 significant digits with a full stop; -0 reads 0.
QByteArray invariantNumber(double v) {
    if (v == 0.0)
        v = 0.0;
    return QByteArray::number(v, 'g', 15);
}

} // namespace

QByteArray CsvExportBytes(std::span<const Reading> readings) {
    QByteArray out = "\"NO.\",\"T&RH\",\"DATA\",\"UNIT\",\"TIME\"\r\n";
    out.reserve(out.size() + qsizetype(readings.size()) * 60);
    for (const Reading& r : readings) {
        out += QByteArray::number(r.No) + ',' + quoted(r.TRH) + ',' + invariantNumber(r.Value) +
               ',' + quoted(r.Unit) + ',' + quoted(r.Time) + "\r\n";
    }
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
