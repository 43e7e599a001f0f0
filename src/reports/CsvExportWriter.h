#pragma once

#include <QByteArray>
#include <QString>

#include <span>

class GVarMod;
struct Reading;

// The comma-separated export: a heading line, then per reading No, "TRH", Value, "Unit", "Time".
// Texts are quoted as stored, numbers use a full stop whatever the locale, Windows-1252, CR LF.

// The heading and one row, without the line end and before encoding: the form that the export and
// the logger without windows share.
inline constexpr char16_t kCsvExportHeading[] = uR"("NO.","T&RH","DATA","UNIT","TIME")";
QString CsvExportRow(qint64 no, const QString& trh, double value, const QString& unit,
                     const QString& time);

QByteArray CsvExportBytes(const GVarMod& state);
// The same for any readings, in the order given.
QByteArray CsvExportBytes(std::span<const Reading> readings);

// Writes the export of readings 1 ... ReadingCount to path, atomically (see WriteTextReport).
bool WriteCsvExport(const GVarMod& state, const QString& path, QString* error = nullptr);
