#pragma once

#include "link/MeterFrame.h"

#include <QByteArray>
#include <QDateTime>

#include <deque>
#include <optional>

// The readings of the last hour as the live page shows and serves them: each as its number, its
// instant and the meter's 13 bytes (32 bytes a reading, about 8 MB for an hour at 74 a second),
// decoded again only when asked for. At most 300000 are kept, the oldest going first.
struct LiveEntry {
    qint64 no = 0;
    qint64 ms = 0;          // the instant, milliseconds since 1970 UTC
    qint32 offsetSeconds{}; // the local offset from UTC it was taken at
    MeterFrame frame{};

    QDateTime At() const;
};

class LiveRecord {
public:
    explicit LiveRecord(qint64 keepMs = 3600 * 1000)
        : m_keepMs(keepMs) {}

    // Adds a reading and forgets those more than the kept time before it (or beyond the most kept).
    void Add(qint64 no, const MeterFrame& frame, const QDateTime& at);

    const std::deque<LiveEntry>& Entries() const { return m_entries; }
    const LiveEntry* Latest() const { return m_entries.empty() ? nullptr : &m_entries.back(); }
    // The index of the first reading at or after ms, and of the first numbered no or later.
    size_t FirstAtOrAfter(qint64 ms) const;
    size_t FirstFrom(qint64 no) const;

private:
    qint64 m_keepMs;
    std::deque<LiveEntry> m_entries;
};

// The reading as the logger's JSON object (no line end).
QByteArray LiveJson(const LiveEntry& entry);

// /readings.csv: a heading, then per reading its number, instant (ISO 8601 with the offset), value,
// unit, kind, mode, temperature, temperature unit and humidity; plain values without quotes,
// numbers with a full stop, an unknown code as an empty cell; UTF-8 with line feeds.
QByteArray LiveCsvHeading();
QByteArray LiveCsvRow(const LiveEntry& entry);

// since= as /readings.csv takes it: an ISO 8601 date and time, with an offset or Z, or local
// time without; nothing when it is none.
std::optional<QDateTime> ParseSince(const QString& text);
