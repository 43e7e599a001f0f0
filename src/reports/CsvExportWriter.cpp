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

QByteArray CsvExportBytes(const GVarMod& state) {
    QByteArray out = "\"NO.\",\"T&RH\",\"DATA\",\"UNIT\",\"TIME\"\r\n";
    const std::int32_t count = state.ReadingCount;
    out.reserve(out.size() + qsizetype(count) * 60);
    for (std::int32_t i = 1; i <= count; ++i) {
        const Reading& r = state.Readings(i);
        out += QByteArray::number(r.No) + ',' + quoted(r.TRH) + ',' + invariantNumber(r.Value) +
               ',' + quoted(r.Unit) + ',' + quoted(r.Time) + "\r\n";
    }
    return out;
}

bool WriteCsvExport(const GVarMod& state, const QString& path, QString* error) {
    return WriteFileAtomically(path, CsvExportBytes(state), error);
}
