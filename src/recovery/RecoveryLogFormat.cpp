#include "recovery/RecoveryLogFormat.h"

#include "state/SystemTexts.h"

#include <QBuffer>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr char kHeader[] = "VANTELLO RECOVERY LOG 1\n";
constexpr char kHeaderName[] = "VANTELLO RECOVERY LOG ";
constexpr double kLargestValue = 65535; // four digits and a decimal point at most
constexpr qsizetype kCrcDigits = 8;
// Every line: its tag (R for a reading, E for an event) and eight fields, before the checksum.
constexpr std::size_t kLineFields = 9;
using LineFields = std::array<QByteArrayView, kLineFields>;

QByteArray escaped(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    if (std::none_of(utf8.begin(), utf8.end(),
                     [](char c) { return c == '\\' || c == '\t' || c == '\n' || c == '\r'; }))
        return utf8;
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool unescaped(QByteArrayView field, QString* text) {
    QByteArray utf8;
    utf8.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        char c = field[i];
        if (c == '\\') {
            if (++i == field.size())
                return false;
            switch (field[i]) {
            case '\\':
                c = '\\';
                break;
            case 't':
                c = '\t';
                break;
            case 'n':
                c = '\n';
                break;
            case 'r':
                c = '\r';
                break;
            default:
                return false;
            }
        }
        utf8 += c;
    }
    *text = QString::fromUtf8(utf8);
    return true;
}

QByteArray crcText(const QByteArray& payload) {
    return QByteArray::number(Crc32(payload.constData(), payload.size()), 16)
        .rightJustified(kCrcDigits, '0');
}

// The fields of a line whose checksum is right, or nothing; also nothing for a line with more
// fields than this version writes.
bool checkedFields(QByteArrayView line, LineFields* f) {
    const qsizetype lastTab = line.lastIndexOf('\t');
    if (lastTab < 0 || line.size() - lastTab - 1 != kCrcDigits)
        return false;
    const QByteArrayView payload = line.first(lastTab);
    bool ok = false;
    const uint crc = line.sliced(lastTab + 1).toUInt(&ok, 16);
    if (!ok || crc != Crc32(payload.data(), payload.size()))
        return false;
    qsizetype at = 0;
    for (std::size_t k = 0; k < kLineFields; ++k) {
        const qsizetype tab = k + 1 < kLineFields ? payload.indexOf('\t', at) : payload.size();
        if (tab < 0)
            return false;
        (*f)[k] = payload.sliced(at, tab - at);
        at = tab + 1;
    }
    return !f->back().contains('\t');
}

// An event line without its LF, or nothing when it is no intact event.
bool parseEvent(QByteArrayView line, RunEvent* out) {
    LineFields f;
    if (!line.startsWith("E\t") || !checkedFields(line, &f))
        return false;
    QString instant, kind, change, value;
    if (!unescaped(f[1], &instant) || !unescaped(f[2], &kind) || !unescaped(f[3], &change) ||
        !unescaped(f[4], &out->rule) || !unescaped(f[5], &out->quantity) ||
        !unescaped(f[6], &value) || !unescaped(f[7], &out->unit) || !unescaped(f[8], &out->note))
        return false;
    out->at = QDateTime::fromString(instant, Qt::ISODateWithMs);
    if (!out->at.isValid())
        return false;
    if (kind == u"note") {
        out->kind = RunEventKind::Note;
    } else if (kind == u"alarm" && (change == u"raised" || change == u"cleared")) {
        out->kind = RunEventKind::Alarm;
        out->change = change == u"raised" ? AlarmChange::Raised : AlarmChange::Cleared;
    } else {
        return false;
    }
    if (!value.isEmpty()) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return false;
        out->value = number;
    }
    return true;
}

// One line without its LF, or nothing when it is not an intact entry numbered above `before`.
bool parseEntry(QByteArrayView line, std::int32_t before, LoggedReading* out) {
    LineFields f;
    if (!checkedFields(line, &f))
        return false;
    if (f[0] != "R")
        return false;

    Reading& r = out->reading;
    bool ok = false;
    r.No = f[1].toInt(&ok);
    if (!ok || r.No <= before)
        return false;
    r.Value = f[2].toDouble(&ok);
    // Never negative, never more than the meter's digits, never NaN.
    if (!ok || !(r.Value >= 0 && r.Value <= kLargestValue))
        return false;
    QString instant;
    if (!unescaped(f[3], &out->kind) || !unescaped(f[4], &r.TRH) || !unescaped(f[5], &r.Unit) ||
        !unescaped(f[6], &r.Data) || !unescaped(f[7], &r.Time) || !unescaped(f[8], &instant))
        return false;
    out->instant = QDateTime::fromString(instant, Qt::ISODateWithMs);
    return out->instant.isValid();
}

} // namespace

std::uint32_t Crc32(const char* data, qsizetype size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        crc = table[(crc ^ static_cast<std::uint8_t>(data[i])) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QByteArray RecoveryLogHeader() {
    return QByteArray(kHeader);
}

QByteArray RecoveryLogEntry(const LoggedReading& entry) {
    const Reading& r = entry.reading;
    QByteArray line;
    line.reserve(128);
    line += "R\t";
    line += QByteArray::number(r.No) + '\t';
    line += QByteArray::number(r.Value, 'g', QLocale::FloatingPointShortest) + '\t';
    line += escaped(entry.kind) + '\t';
    line += escaped(r.TRH) + '\t';
    line += escaped(r.Unit) + '\t';
    line += escaped(r.Data) + '\t';
    line += escaped(r.Time) + '\t';
    line += escaped(IsoInstantText(entry.instant));
    const QByteArray crc = crcText(line);
    line += '\t' + crc + '\n';
    return line;
}

QByteArray RecoveryLogEventEntry(const RunEvent& event) {
    QByteArray line;
    line.reserve(128);
    line += "E\t";
    line += escaped(IsoInstantText(event.at)) + '\t';
    line += escaped(event.KindText()) + '\t';
    line += escaped(event.ChangeText()) + '\t';
    line += escaped(event.rule) + '\t';
    line += escaped(event.quantity) + '\t';
    if (event.value)
        line += QByteArray::number(*event.value, 'g', QLocale::FloatingPointShortest);
    line += '\t';
    line += escaped(event.unit) + '\t';
    line += escaped(event.note);
    const QByteArray crc = crcText(line);
    line += '\t' + crc + '\n';
    return line;
}

RecoveryLogReader::RecoveryLogReader(QIODevice& in)
    : m_in(in) {
    const QByteArrayView header(kHeader);
    const QByteArray start = in.read(header.size());
    if (start != header) {
        // A log cut off while its header was written holds no reading.
        m_scan.recognised = header.startsWith(start) && in.atEnd();
        m_scan.laterVersion =
            !m_scan.recognised && start.size() == header.size() && start.startsWith(kHeaderName);
        m_scan.inSequence = false;
        m_done = true;
        return;
    }
    m_scan.recognised = true;
    m_offset = header.size();
    m_scan.intactSize = m_offset;
}

bool RecoveryLogReader::nextLine() {
    for (;;) {
        if (m_rest.isEmpty()) {
            m_chunk.resize(kChunk);
            const qint64 n = m_done ? 0 : m_in.read(m_chunk.data(), kChunk);
            if (n <= 0) {
                m_done = true;
                return false; // what is left is a torn last line, or nothing
            }
            m_rest = QByteArrayView(m_chunk.constData(), n);
        }
        const qsizetype end = m_rest.indexOf('\n');
        const QByteArrayView piece = end < 0 ? m_rest : m_rest.first(end);
        if (!m_overlong) {
            if (m_line.size() + piece.size() > kLongestEntryLine) {
                m_overlong = true;
                m_line.clear();
            } else {
                m_line += piece;
            }
        }
        m_offset += piece.size();
        if (end < 0) {
            m_rest = {};
            continue;
        }
        m_rest = m_rest.sliced(end + 1);
        m_offset += 1;
        m_scan.intactSize = m_offset;
        return true;
    }
}

bool RecoveryLogReader::Next(LoggedReading* out) {
    while (nextLine()) {
        LoggedReading entry;
        if (!m_overlong && m_line.startsWith("E\t")) {
            RunEvent event;
            if (parseEvent(m_line, &event)) {
                m_line.clear();
                ++m_scan.events;
                if (m_events.size() < std::size_t(kKeptEvents))
                    m_events.push_back(std::move(event));
                continue;
            }
        }
        const bool intact = !m_overlong && parseEntry(m_line, m_lastNo, &entry);
        m_line.clear();
        m_overlong = false;
        if (!intact) {
            ++m_scan.skipped;
            m_scan.inSequence = false;
            continue;
        }
        m_lastNo = entry.reading.No;
        if (entry.reading.No != m_scan.good + 1)
            m_scan.inSequence = false;
        if (m_scan.good == 0)
            m_scan.first = entry;
        ++m_scan.good;
        m_scan.last = entry;
        *out = std::move(entry);
        return true;
    }
    return false;
}

RecoveryLogContent ReadRecoveryLog(QIODevice& in, std::size_t keep) {
    RecoveryLogContent content;
    RecoveryLogReader reader(in);
    LoggedReading entry;
    while (reader.Next(&entry))
        if (content.readings.size() < keep)
            content.readings.push_back(std::move(entry));
    static_cast<RecoveryLogScan&>(content) = reader.Scan();
    content.events = reader.Events();
    return content;
}

RecoveryLogContent ParseRecoveryLog(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadRecoveryLog(buffer, std::size_t(-1));
}
