#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

class GVarMod;

// One line of the text report: items in zones that start every 14 columns. After an item that
// ends at column c, the next starts at 14 * (c / 14 + 1), so at least one space separates them.
class ZonedLine {
public:
    void Add(const QByteArray& item);
    const QByteArray& Bytes() const { return m_line; }

private:
    QByteArray m_line;
    bool m_first = true;
};

// A number as the report writes signed numbers: a space for the sign, the digits, a space.
QByteArray SignedNumberItem(qint64 n);

// The text report: a title line with the date and time of saving, an empty line, then one zoned
// line per reading (No, TRH, Data, Unit, Time), Windows-1252, CR LF after every line.
QByteArray TextReportBytes(const GVarMod& state, const QString& title, const QDateTime& now);

// Writes the text report of readings 1 ... ReadingCount to path, atomically: the file is replaced
// only when the whole report is written, otherwise any existing file is left as it was (except a
// writable file in a folder the user may not write to, which is written in place; see
// WriteFileAtomically).
// Returns false with a reason in *error when the file could not be written.
bool WriteTextReport(const GVarMod& state, const QString& path, const QString& title,
                     QString* error = nullptr, const QDateTime& now = QDateTime::currentDateTime());
