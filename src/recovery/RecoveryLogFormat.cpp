#include "recovery/RecoveryLogFormat.h"

#include "state/SystemTexts.h"

#include <QLocale>

#include <algorithm>
#include <array>

namespace {

constexpr char kHeader[] = "VANTELLO RECOVERY LOG 1\n";
constexpr qsizetype kFieldCount = 9; // the tag and eight fields, before the checksum
constexpr qsizetype kCrcDigits = 8;

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

// One line without its LF, or nothing when it is not an intact entry numbered `expected`.
bool parseEntry(QByteArrayView line, std::int32_t expected, LoggedReading* out) {
    const qsizetype lastTab = line.lastIndexOf('\t');
    if (lastTab < 0 || line.size() - lastTab - 1 != kCrcDigits)
        return false;
    const QByteArrayView payload = line.first(lastTab);
    bool ok = false;
    const uint crc = line.sliced(lastTab + 1).toUInt(&ok, 16);
    if (!ok || crc != Crc32(payload.data(), payload.size()))
        return false;

    std::array<QByteArrayView, kFieldCount> f;
    qsizetype at = 0;
    for (qsizetype k = 0; k < kFieldCount; ++k) {
        const qsizetype tab = k + 1 < kFieldCount ? payload.indexOf('\t', at) : payload.size();
        if (tab < 0)
            return false;
        f[std::size_t(k)] = payload.sliced(at, tab - at);
        at = tab + 1;
    }
    if (f[0] != "R")
        return false;

    Reading& r = out->reading;
    if (f[1].toInt(&ok) != expected || !ok)
        return false;
    r.No = expected;
    r.Value = f[2].toDouble(&ok);
    if (!ok)
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

RecoveryLogContent ParseRecoveryLog(const QByteArray& bytes) {
    RecoveryLogContent content;
    const QByteArrayView header(kHeader);
    if (!bytes.startsWith(header)) {
        // A log cut off while its header was written holds no reading.
        content.recognised = header.startsWith(bytes);
        return content;
    }
    content.recognised = true;
    qsizetype at = header.size();
    content.intactSize = at;
    for (;;) {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            break;
        LoggedReading entry;
        if (!parseEntry(QByteArrayView(bytes).sliced(at, end - at),
                        std::int32_t(content.readings.size()) + 1, &entry))
            break;
        content.readings.push_back(std::move(entry));
        at = end + 1;
        content.intactSize = at;
    }
    return content;
}
