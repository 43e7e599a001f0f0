#pragma once

#include "state/GVarMod.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

// One reading as the recovery log keeps it: the stored record as it is, the kind the live readout
// showed with it ("VEL", "FLOW", or empty when the frame's kind was not recognised) and the instant
// it was stored.
struct LoggedReading {
    Reading reading;
    QString kind;
    QDateTime instant;
};

// The recovery log is a text file that only ever grows at its end: a header line, then one line
// per stored reading, written whole with one write as the reading is stored. A line is
//
//   R <tab> No <tab> Value <tab> kind <tab> TRH <tab> Unit <tab> Data <tab> Time <tab> instant
//     <tab> CRC-32 of everything before this last tab, 8 lower-case hex digits <LF>
//
// in UTF-8, with backslash, tab, CR and LF inside texts written as \\, \t, \r and \n. Value has the
// shortest digits that read back as the same double; the instant is ISO 8601 with
// milliseconds and UTC offset. A program killed in the middle of a write leaves a last line
// without its LF or with a wrong checksum: that entry is not a reading.

// The header line, LF included.
QByteArray RecoveryLogHeader();

// The entry line of one reading, LF included.
QByteArray RecoveryLogEntry(const LoggedReading& entry);

struct RecoveryLogContent {
    // The bytes start with the header, or are a beginning of it (a log cut off as it was made).
    bool recognised = false;
    // The complete entries from the start, numbered 1, 2, 3 ... The first line that is torn,
    // broken or out of sequence ends them; nothing after it is taken.
    std::vector<LoggedReading> readings;
    // Where the last complete entry (or the header) ends: the log goes on from here.
    qint64 intactSize = 0;
};

RecoveryLogContent ParseRecoveryLog(const QByteArray& bytes);

// CRC-32 as zip and PNG compute it (reflected polynomial EDB88320).
std::uint32_t Crc32(const char* data, qsizetype size);
