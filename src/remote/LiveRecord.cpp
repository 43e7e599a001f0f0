#include "remote/LiveRecord.h"

#include "logger/LogRows.h"
#include "state/SystemTexts.h"

#include <QRegularExpression>

#include <algorithm>

namespace {
// An hour at 83 readings a second (the meter sends at most about 74); beyond, the oldest go first,
// so memory stays bounded (about 10 MB) whatever feeds the logger.
constexpr size_t kMostKept = 300000;
} // namespace

QDateTime LiveEntry::At() const {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offsetSeconds);
}

void LiveRecord::Add(qint64 no, const MeterFrame& frame, const QDateTime& at) {
    const qint64 ms = at.toMSecsSinceEpoch();
    m_entries.push_back({no, ms, at.offsetFromUtc(), frame});
    while (!m_entries.empty() &&
           (m_entries.front().ms < ms - m_keepMs || m_entries.size() > kMostKept))
        m_entries.pop_front();
}

size_t LiveRecord::FirstAtOrAfter(qint64 ms) const {
    // Instants rise with the numbers unless the clock was set back; the first one at or after
    // is looked for from the start then too.
    const auto it = std::partition_point(m_entries.begin(), m_entries.end(),
                                         [ms](const LiveEntry& e) { return e.ms < ms; });
    return size_t(it - m_entries.begin());
}

size_t LiveRecord::FirstFrom(qint64 no) const {
    const auto it = std::partition_point(m_entries.begin(), m_entries.end(),
                                         [no](const LiveEntry& e) { return e.no < no; });
    return size_t(it - m_entries.begin());
}

QByteArray LiveJson(const LiveEntry& entry) {
    QByteArray line = LogLine(LogFormat::Jsonl, entry.no, DecodeFrame(entry.frame), entry.At());
    line.chop(1);
    return line;
}

QByteArray LiveCsvHeading() {
    return "no,time,value,unit,kind,mode,temperature,temperature_unit,humidity\n";
}

QByteArray LiveCsvRow(const LiveEntry& entry) {
    const DecodedFrame r = DecodeFrame(entry.frame);
    const QString row =
        QStringList{QString::number(entry.no),         IsoInstantText(entry.At()),
                    FullStopNumberText(r.value),       r.UnitText().value_or(QString()),
                    r.KindLabel().value_or(QString()), r.modeLabel.value_or(QString()),
                    FullStopNumberText(r.temperature), r.temperatureUnit.value_or(QString()),
                    FullStopNumberText(r.humidity)}
            .join(u',');
    return row.toUtf8() + '\n';
}

std::optional<QDateTime> ParseSince(const QString& text) {
    // The date, T, the time to the minute at least, then Z or an offset or nothing.
    static const QRegularExpression form(
        QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d(:\d\d(\.\d{1,3})?)?(Z|[+-]\d\d:?\d\d)?$)"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    const QDateTime at = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!at.isValid())
        return std::nullopt;
    return at;
}
