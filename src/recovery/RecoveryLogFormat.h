#pragma once

#include "alarms/RunEvent.h"
#include "state/GVarMod.h"

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
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
//
// An event of the run (an alarm raised or cleared, a note) is a line of its own among them:
//
//   E <tab> instant <tab> alarm|note <tab> raised|cleared|(empty) <tab> rule <tab> quantity
//     <tab> value (shortest digits, empty when none) <tab> unit <tab> note <tab> CRC-32 <LF>
//
// with the same escapes and checksum. Readers before events skip such a line as damaged (and
// restore the readings all the same); this one keeps it as an event and counts it apart.

// The header line, LF included.
QByteArray RecoveryLogHeader();

// The entry line of one reading, LF included.
QByteArray RecoveryLogEntry(const LoggedReading& entry);
// The entry line of one event, LF included.
QByteArray RecoveryLogEventEntry(const RunEvent& event);
// At most this many events of a log are kept when it is read (the rest are counted).
inline constexpr qsizetype kKeptEvents = 10000;

// The longest line an entry can make (a reading's texts are a few dozen characters each, an
// event's rule and note a few hundred); a longer line is damaged, and is never held whole in
// memory.
inline constexpr qsizetype kLongestEntryLine = 4096;

// What a log holds, read in one pass.
struct RecoveryLogScan {
    // The bytes start with the header, or are a beginning of it (a log cut off as it was made).
    bool recognised = false;
    // The header of a later version of this log ("VANTELLO RECOVERY LOG 2" ...): not read.
    bool laterVersion = false;
    // Intact entries found; every line that is complete but no intact entry (a wrong checksum, a
    // field too many or too few, a value the meter cannot send, a number not above the one
    // before, a line longer than any reading) is skipped and counted, and reading goes on. Only a
    // last line without its LF (the entry a killed program was writing) is neither.
    qint64 good = 0;
    qint64 skipped = 0;
    // Intact event lines (alarms, notes); they are neither readings nor damage.
    qint64 events = 0;
    // The entries are numbered 1, 2, 3 ... with none skipped: the log may simply go on.
    bool inSequence = true;
    // Where the last complete line (or the header) ends: the log goes on from here.
    qint64 intactSize = 0;
    // The first and the last intact entry.
    LoggedReading first;
    LoggedReading last;
};

// Reads a log from in, in pieces, so memory stays bounded whatever its size.
class RecoveryLogReader {
public:
    explicit RecoveryLogReader(QIODevice& in);
    // The next intact entry; false at the end.
    bool Next(LoggedReading* out);
    // What was read so far (all of it once Next returned false).
    const RecoveryLogScan& Scan() const { return m_scan; }
    // The events read so far, the first kKeptEvents of them.
    const std::vector<RunEvent>& Events() const { return m_events; }

private:
    bool nextLine();

    static constexpr qint64 kChunk = 256 * 1024;
    QIODevice& m_in;
    RecoveryLogScan m_scan;
    QByteArray m_chunk;
    QByteArrayView m_rest;
    QByteArray m_line; // never longer than the longest entry
    bool m_overlong = false;
    bool m_done = false;
    qint64 m_offset = 0;
    std::int32_t m_lastNo = 0;
    std::vector<RunEvent> m_events;
};

struct RecoveryLogContent : RecoveryLogScan {
    // The first intact entries, up to the number asked for.
    std::vector<LoggedReading> readings;
    // The events, the first kKeptEvents of them.
    std::vector<RunEvent> events;
};

RecoveryLogContent ReadRecoveryLog(QIODevice& in, std::size_t keep);
RecoveryLogContent ParseRecoveryLog(const QByteArray& bytes);

// CRC-32 as zip and PNG compute it (reflected polynomial EDB88320).
std::uint32_t Crc32(const char* data, qsizetype size);
