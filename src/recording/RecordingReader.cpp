#include "recording/RecordingReader.h"

#include "recovery/RecoveryLogFormat.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr qint64 kMaxLine = 1 << 20;           // longer lines are not in a file we write
constexpr qint64 kMaxRecoveryLog = 64LL << 20; // a recovery log holds 50000 readings at most
constexpr qint64 kChunk = 4 << 20;
constexpr qint64 kDayMs = 24LL * 3600 * 1000;
constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
constexpr char kCsvHeading[] = R"("NO.","T&RH","DATA","UNIT","TIME")";
constexpr char kRecoveryHeader[] = "VANTELLO RECOVERY LOG";

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

bool blank(QByteArrayView v) {
    for (const char c : v)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

QByteArrayView trimmed(QByteArrayView v) {
    while (!v.isEmpty() && isSpace(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isSpace(v.back()))
        v.chop(1);
    return v;
}

// A number with a full stop or a comma as decimal separator; the whole text must be the number.
bool parseNumber(QByteArrayView text, double* out) {
    text = trimmed(text);
    if (text.isEmpty() || text.size() > 64)
        return false;
    std::array<char, 64> buffer{};
    for (qsizetype i = 0; i < text.size(); ++i)
        buffer[std::size_t(i)] = text[i] == ',' ? '.' : text[i];
    const char* begin = buffer.data();
    const char* end = begin + text.size();
    if (*begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, *out);
    return ec == std::errc() && ptr == end && std::isfinite(*out);
}

bool parseInteger(QByteArrayView text) {
    text = trimmed(text);
    if (text.startsWith('-'))
        text = text.sliced(1);
    if (text.isEmpty() || text.size() > 18)
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int digits(QByteArrayView t, qsizetype at, qsizetype n, bool* ok) {
    int v = 0;
    for (qsizetype i = at; i < at + n; ++i) {
        if (i >= t.size() || t[i] < '0' || t[i] > '9') {
            *ok = false;
            return 0;
        }
        v = v * 10 + (t[i] - '0');
    }
    return v;
}

qint64 daysFromCivil(qint64 y, unsigned m, unsigned d) {
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

// Splits one CSV line into fields (quotes removed, "" inside quotes kept as one quote).
bool splitCsv(QByteArrayView line, std::vector<QByteArrayView>& fields, QByteArray& scratch) {
    fields.clear();
    qsizetype at = 0;
    for (;;) {
        if (at < line.size() && line[at] == '"') {
            const qsizetype start = at + 1;
            qsizetype end = start;
            bool doubled = false;
            for (;;) {
                end = line.indexOf('"', end);
                if (end < 0)
                    return false; // an unterminated quote
                if (end + 1 < line.size() && line[end + 1] == '"') {
                    doubled = true;
                    end += 2;
                    continue;
                }
                break;
            }
            QByteArrayView field = line.sliced(start, end - start);
            if (doubled) {
                scratch = field.toByteArray().replace("\"\"", "\"");
                field = scratch; // only the unit or time could hold one; neither does
            }
            fields.push_back(field);
            at = end + 1;
            if (at == line.size())
                return true;
            if (line[at] != ',')
                return false;
            ++at;
        } else {
            const qsizetype comma = line.indexOf(',', at);
            if (comma < 0) {
                fields.push_back(line.sliced(at));
                return true;
            }
            fields.push_back(line.sliced(at, comma - at));
            at = comma + 1;
        }
        if (fields.size() > 16)
            return false;
    }
}

QString unitKind(const QString& unit) {
    static const QStringList velocity{"m/s", "km/h", "mil/h", "ft/m", "ft/s", "knots"};
    static const QStringList flow{"CMS", "CMM", "CFM"};
    if (velocity.contains(unit))
        return QStringLiteral("VEL");
    if (flow.contains(unit))
        return QStringLiteral("FLOW");
    return QString();
}

// Times of day as the locale wrote them, with or without a date before a backslash.
class LocaleTimes {
public:
    // Milliseconds of the date's midnight (as if UTC) plus the time of day; *withDate says whether
    // there was a date.
    bool Parse(QByteArrayView text, qint64* ms, bool* withDate) {
        text = trimmed(text);
        const qsizetype slash = text.indexOf('\\');
        QByteArrayView timePart = text;
        qint64 day = 0;
        *withDate = slash >= 0;
        if (slash >= 0) {
            const QByteArray datePart = trimmed(text.first(slash)).toByteArray();
            timePart = text.sliced(slash + 1);
            if (datePart != m_lastDateText) {
                const QDate d = parseDate(QString::fromLatin1(datePart));
                if (!d.isValid())
                    return false;
                m_lastDateText = datePart;
                m_lastDay = daysFromCivil(d.year(), unsigned(d.month()), unsigned(d.day()));
            }
            day = m_lastDay;
        }
        qint64 timeMs = 0;
        if (!parseTimeOfDay(timePart, &timeMs))
            return false;
        *ms = day * kDayMs + timeMs;
        return true;
    }

private:
    static QDate parseDate(const QString& text) {
        // The user's own form first; then the forms other locales write, day before month where
        // both orders could read (most locales put the day first).
        const QStringList formats{QLocale().dateFormat(QLocale::ShortFormat),
                                  QStringLiteral("yyyy-MM-dd"),
                                  QStringLiteral("dd/MM/yyyy"),
                                  QStringLiteral("dd/MM/yy"),
                                  QStringLiteral("dd.MM.yyyy"),
                                  QStringLiteral("dd.MM.yy"),
                                  QStringLiteral("M/d/yy"),
                                  QStringLiteral("M/d/yyyy"),
                                  QStringLiteral("yyyy/MM/dd"),
                                  QStringLiteral("dd-MM-yyyy")};
        for (const QString& f : formats) {
            QDate d = QDate::fromString(text, f);
            if (!d.isValid())
                continue;
            if (!f.contains(QLatin1String("yyyy")) && d.year() < 1970)
                d = d.addYears(100); // two-digit years are of this century
            return d;
        }
        return {};
    }

    // h:mm:ss with an optional AM/PM marker, in any locale's separators.
    static bool parseTimeOfDay(QByteArrayView t, qint64* ms) {
        std::array<int, 3> part{};
        int count = 0;
        qsizetype i = 0;
        bool pm = false;
        bool am = false;
        while (i < t.size()) {
            const char c = t[i];
            if (c >= '0' && c <= '9') {
                if (count == 3)
                    return false;
                int v = 0;
                qsizetype n = 0;
                while (i < t.size() && t[i] >= '0' && t[i] <= '9' && n < 3) {
                    v = v * 10 + (t[i++] - '0');
                    ++n;
                }
                part[std::size_t(count++)] = v;
                continue;
            }
            if (c == 'P' || c == 'p')
                pm = true;
            else if (c == 'A' || c == 'a')
                am = true;
            ++i;
        }
        if (count < 2)
            return false;
        int h = part[0];
        if (pm && h < 12)
            h += 12;
        if (am && h == 12)
            h = 0;
        if (h > 23 || part[1] > 59 || part[2] > 60)
            return false;
        *ms = ((qint64(h) * 60 + part[1]) * 60 + part[2]) * 1000;
        return true;
    }

    QByteArray m_lastDateText;
    qint64 m_lastDay = 0;
};

// A flat JSON object: its members' names and raw values (strings unescaped, null as absent).
class JsonMembers {
public:
    bool Parse(QByteArrayView line) {
        m_names.clear();
        m_values.clear();
        m_isString.clear();
        qsizetype i = skip(line, 0);
        if (i >= line.size() || line[i] != '{')
            return false;
        i = skip(line, i + 1);
        if (i < line.size() && line[i] == '}')
            return skip(line, i + 1) == line.size();
        for (;;) {
            QByteArray name;
            if (!string(line, i, &name))
                return false;
            i = skip(line, i);
            if (i >= line.size() || line[i] != ':')
                return false;
            i = skip(line, i + 1);
            if (i >= line.size())
                return false;
            QByteArray value;
            bool isString = false;
            if (line[i] == '"') {
                if (!string(line, i, &value))
                    return false;
                isString = true;
            } else {
                const qsizetype start = i;
                while (i < line.size() && line[i] != ',' && line[i] != '}' && !isSpace(line[i]))
                    ++i;
                value = line.sliced(start, i - start).toByteArray();
                if (value.isEmpty() || value.startsWith('{') || value.startsWith('['))
                    return false; // the logger writes no nested values
            }
            m_names.push_back(std::move(name));
            m_values.push_back(std::move(value));
            m_isString.push_back(isString);
            i = skip(line, i);
            if (i >= line.size())
                return false;
            if (line[i] == '}')
                return skip(line, i + 1) == line.size();
            if (line[i] != ',')
                return false;
            i = skip(line, i + 1);
        }
    }

    // The member's text; nullopt when absent or null.
    std::optional<QByteArray> Get(const char* name, bool wantString) const {
        for (std::size_t k = 0; k < m_names.size(); ++k) {
            if (m_names[k] != name)
                continue;
            if (!m_isString[k] && m_values[k] == "null")
                return std::nullopt;
            if (m_isString[k] != wantString)
                return std::nullopt;
            return m_values[k];
        }
        return std::nullopt;
    }
    bool Has(const char* name) const {
        for (const QByteArray& n : m_names)
            if (n == name)
                return true;
        return false;
    }

private:
    static qsizetype skip(QByteArrayView s, qsizetype i) {
        while (i < s.size() && isSpace(s[i]))
            ++i;
        return i;
    }
    static bool string(QByteArrayView s, qsizetype& i, QByteArray* out) {
        if (i >= s.size() || s[i] != '"')
            return false;
        ++i;
        out->clear();
        while (i < s.size()) {
            const char c = s[i++];
            if (c == '"')
                return true;
            if (c != '\\') {
                *out += c;
                continue;
            }
            if (i >= s.size())
                return false;
            const char e = s[i++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                *out += e;
                break;
            case 'n':
                *out += '\n';
                break;
            case 't':
                *out += '\t';
                break;
            case 'r':
                *out += '\r';
                break;
            case 'b':
                *out += '\b';
                break;
            case 'f':
                *out += '\f';
                break;
            case 'u': {
                if (i + 4 > s.size())
                    return false;
                bool ok = false;
                const uint code = s.sliced(i, 4).toUInt(&ok, 16);
                if (!ok)
                    return false;
                *out += QString(QChar(char16_t(code))).toUtf8();
                i += 4;
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    std::vector<QByteArray> m_names;
    std::vector<QByteArray> m_values;
    std::vector<bool> m_isString;
};

enum class Format { Unknown, Csv, Jsonl, Report, Recovery };

// Takes the lines of one file one after the other.
class LineParser {
public:
    explicit LineParser(Recording& r)
        : m_r(r) {}

    Format format() const { return m_format; }

    // False with the reason when the line is not what the file's lines are.
    bool Line(QByteArrayView line, QString* why) {
        ++m_lineNo;
        if (line.contains('\0')) {
            *why = QStringLiteral("it holds binary data, not text");
            return false;
        }
        if (m_format == Format::Unknown)
            return first(line, why);
        if (m_format == Format::Report && m_lineNo == 2) {
            if (!trimmed(line).isEmpty()) {
                *why = QStringLiteral("the file is none Vantello writes: its first line is no "
                                      "CSV heading, JSON object or recovery log header, and it "
                                      "is no report (whose second line is empty)");
                return false;
            }
            return true;
        }
        if (trimmed(line).isEmpty())
            return true;
        switch (m_format) {
        case Format::Csv:
            return csvRow(line, why);
        case Format::Jsonl:
            return jsonRow(line, why);
        case Format::Report:
            return reportRow(line, why);
        default:
            return false;
        }
    }

    // Adds a reading from a recovery log entry.
    bool Logged(const LoggedReading& e, QString* why) {
        TrhPieces trh;
        const QByteArray trhBytes = e.reading.TRH.toUtf8();
        if (!ParseTrh(trhBytes, &trh)) {
            *why = QStringLiteral("its temperature and humidity text is not readable");
            return false;
        }
        if (m_r.size() == 0)
            m_r.offsetSeconds = e.instant.offsetFromUtc();
        return append(e.instant.toMSecsSinceEpoch(), e.reading.Value, trh,
                      {e.kind.isEmpty() ? unitKind(e.reading.Unit) : e.kind, e.reading.Unit,
                       trh.mode, trh.temperatureUnit},
                      why);
    }

private:
    bool first(QByteArrayView line, QString* why) {
        QByteArrayView t = line;
        if (t.startsWith("\xEF\xBB\xBF"))
            t = t.sliced(3); // a byte-order mark some editors add
        if (trimmed(t) == QByteArrayView(kCsvHeading)) {
            m_format = Format::Csv;
            return true;
        }
        if (trimmed(t).startsWith('{')) {
            m_format = Format::Jsonl;
            m_r.format = QStringLiteral("vantello-log JSON lines");
            return jsonRow(t, why);
        }
        if (trimmed(t).isEmpty()) {
            *why = QStringLiteral("the first line is empty: the file is none Vantello writes");
            return false;
        }
        m_format = Format::Report;
        m_r.format = QStringLiteral("text report");
        return true;
    }

    bool addRow(qint64 time, int offset, bool withDate, double value, const TrhPieces& trh,
                QString kind, const QString& unit, QString* why) {
        if (m_r.size() == 0) {
            m_r.hasDates = withDate;
            m_r.offsetSeconds = offset;
        } else if (withDate != m_r.hasDates) {
            *why = withDate ? QStringLiteral("it has a date where the lines before had none")
                            : QStringLiteral("it has no date where the lines before had one");
            return false;
        }
        if (!withDate) {
            // Times of day without dates: a time that goes back more than an hour is the next day.
            if (m_r.size() > 0 && time + m_dayShift < m_lastTime - 3600 * 1000) {
                m_dayShift += kDayMs;
                ++m_r.wrappedDays;
            }
            time += m_dayShift;
            m_lastTime = time;
        }
        if (kind.isEmpty())
            kind = unitKind(unit);
        return append(time, value, trh, {kind, unit, trh.mode, trh.temperatureUnit}, why);
    }

    // The meter's units, kinds and modes are short words, and a file has few of them.
    bool append(qint64 time, double value, const TrhPieces& trh, const SeriesKey& key,
                QString* why) {
        if (key.unit.size() > 16 || key.kind.size() > 16 || key.mode.size() > 16 ||
            key.temperatureUnit.size() > 16) {
            *why = QStringLiteral("its unit, kind or mode is no word the meter uses");
            return false;
        }
        if (!m_r.Append(time, value, trh.temperature, trh.humidity, key)) {
            *why = QStringLiteral("it starts one series too many (more than %1 different units, "
                                  "kinds and modes)")
                       .arg(Recording::kMaxSeriesKeys);
            return false;
        }
        ++m_r.linesRead;
        return true;
    }

    bool time(QByteArrayView text, qint64* ms, int* offset, bool* withDate, QString* why) {
        text = trimmed(text);
        if (ParseIsoInstant(text, ms, offset)) {
            *withDate = true;
            return true;
        }
        *offset = 0;
        if (m_times.Parse(text, ms, withDate))
            return true;
        *why = QStringLiteral("its time \"%1\" is not readable")
                   .arg(QString::fromUtf8(text.first(std::min<qsizetype>(text.size(), 40))));
        return false;
    }

    bool csvRow(QByteArrayView line, QString* why) {
        if (!splitCsv(line, m_fields, m_scratch) || m_fields.size() != 5) {
            *why = QStringLiteral("it is not a row of five fields (NO., T&RH, DATA, UNIT, TIME)");
            return false;
        }
        if (!parseInteger(m_fields[0])) {
            *why = QStringLiteral("its number is not a whole number");
            return false;
        }
        TrhPieces trh;
        if (!ParseTrh(m_fields[1], &trh)) {
            *why = QStringLiteral("its temperature and humidity text is not readable");
            return false;
        }
        double value = 0;
        if (!parseNumber(m_fields[2], &value)) {
            *why = QStringLiteral("its value is not a number");
            return false;
        }
        qint64 ms = 0;
        int offset = 0;
        bool withDate = true;
        if (!time(m_fields[4], &ms, &offset, &withDate, why))
            return false;
        if (m_r.size() == 0)
            m_r.format = ParseIsoInstant(trimmed(m_fields[4]), &ms, &offset)
                             ? QStringLiteral("vantello-log CSV")
                             : QStringLiteral("CSV export");
        if (m_unitText != m_fields[3]) {
            m_unitText = m_fields[3].toByteArray();
            m_unit = QString::fromUtf8(m_unitText);
        }
        return addRow(ms, offset, withDate, value, trh, QString(), m_unit, why);
    }

    bool jsonRow(QByteArrayView line, QString* why) {
        if (!m_json.Parse(line)) {
            *why = QStringLiteral("it is not a whole JSON object");
            return false;
        }
        // An event the logger wrote among the readings (an alarm, a note) is no reading.
        if (m_json.Has("event"))
            return true;
        const auto timeText = m_json.Get("time", true);
        const auto valueText = m_json.Get("value", false);
        double value = 0;
        if (!timeText || !valueText || !parseNumber(*valueText, &value)) {
            *why = QStringLiteral("it has no time or no numeric value");
            return false;
        }
        qint64 ms = 0;
        int offset = 0;
        bool withDate = true;
        if (!time(*timeText, &ms, &offset, &withDate, why))
            return false;
        TrhPieces trh;
        trh.temperature = kNone;
        trh.humidity = kNone;
        double number = 0;
        if (const auto t = m_json.Get("temperature", false); t && parseNumber(*t, &number))
            trh.temperature = float(number);
        if (const auto h = m_json.Get("humidity", false); h && parseNumber(*h, &number))
            trh.humidity = float(number);
        trh.mode = QString::fromUtf8(m_json.Get("mode", true).value_or(QByteArray()));
        trh.temperatureUnit =
            QString::fromUtf8(m_json.Get("temperature_unit", true).value_or(QByteArray()));
        if (!m_json.Has("temperature") && !m_json.Has("humidity")) {
            // Without the separate numbers, the T&RH text.
            if (const auto text = m_json.Get("trh", true); !text || !ParseTrh(*text, &trh)) {
                trh.temperature = kNone;
                trh.humidity = kNone;
            }
        }
        const QString unit = QString::fromUtf8(m_json.Get("unit", true).value_or(QByteArray()));
        const QString kind = QString::fromUtf8(m_json.Get("kind", true).value_or(QByteArray()));
        return addRow(ms, offset, withDate, value, trh, kind, unit, why);
    }

    // No, T&RH (two words), Data, Unit (absent when unknown), Time (a date, a backslash and the
    // time of day, which may be more than one word).
    bool reportRow(QByteArrayView line, QString* why) {
        std::vector<QByteArrayView> words;
        qsizetype at = 0;
        while (at < line.size()) {
            while (at < line.size() && isSpace(line[at]))
                ++at;
            const qsizetype start = at;
            while (at < line.size() && !isSpace(line[at]))
                ++at;
            if (at > start)
                words.push_back(line.sliced(start, at - start));
        }
        const auto fail = [why](const char* text) {
            *why = QString::fromLatin1(text);
            return false;
        };
        if (words.size() < 5)
            return fail("it is not a report line (number, temperature and humidity, value, "
                        "unit, time)");
        if (!parseInteger(words[0]))
            return fail("its number is not a whole number");
        TrhPieces trh;
        const QByteArray trhText = words[1].toByteArray() + ' ' + words[2].toByteArray();
        if (!ParseTrh(trhText, &trh))
            return fail("its temperature and humidity text is not readable");
        double value = 0;
        if (!parseNumber(words[3], &value))
            return fail("its value is not a number");
        std::size_t next = 4;
        QString unit;
        if (words[4].front() < '0' || words[4].front() > '9') {
            unit = QString::fromLatin1(words[4]);
            next = 5;
        }
        if (next >= words.size())
            return fail("it has no time");
        const QByteArrayView timeText(words[next].data(), line.end() - words[next].data());
        qint64 ms = 0;
        int offset = 0;
        bool withDate = true;
        if (!time(timeText, &ms, &offset, &withDate, why))
            return false;
        return addRow(ms, offset, withDate, value, trh, QString(), unit, why);
    }

    Recording& m_r;
    Format m_format = Format::Unknown;
    qint64 m_lineNo = 0;
    LocaleTimes m_times;
    JsonMembers m_json;
    std::vector<QByteArrayView> m_fields;
    QByteArray m_scratch;
    QByteArray m_unitText;
    QString m_unit;
    qint64 m_dayShift = 0;
    qint64 m_lastTime = 0;
};

// Reads lines from a source of chunks and applies the torn-last-line rule.
class FileReading {
public:
    FileReading(const QString& name, ReadOutcome& out)
        : m_name(name)
        , m_out(out)
        , m_parser(out.recording) {}

    // False once reading must stop (a bad line before the last, or a recovery log too large).
    bool Chunk(QByteArrayView bytes) {
        if (m_lineNo == 0 && m_carry.isEmpty() && !bytes.isEmpty()) {
            if (bytes.first(std::min<qsizetype>(bytes.size(), 4096)).contains('\0'))
                return fail(0, QStringLiteral("it is a binary file, none Vantello writes"));
            if (bytes.startsWith(kRecoveryHeader))
                m_recovery = true;
        }
        if (m_recovery) {
            m_whole += bytes;
            if (m_whole.size() > kMaxRecoveryLog)
                return fail(0, QStringLiteral("it is too large for a recovery log"));
            return true;
        }
        qsizetype at = 0;
        while (at < bytes.size()) {
            const qsizetype lf = bytes.indexOf('\n', at);
            if (lf < 0) {
                m_carry += bytes.sliced(at);
                if (m_carry.size() > kMaxLine)
                    return fail(m_lineNo + 1,
                                QStringLiteral("it is longer than a megabyte: the file is "
                                               "none Vantello writes"));
                return true;
            }
            QByteArrayView line = bytes.sliced(at, lf - at);
            at = lf + 1;
            if (!m_carry.isEmpty()) {
                m_carry += line;
                if (!takeLine(m_carry))
                    return false;
                m_carry.clear();
            } else if (!takeLine(line)) {
                return false;
            }
        }
        return true;
    }

    void End() {
        if (m_failed)
            return;
        if (m_recovery) {
            endRecovery();
            return;
        }
        if (!m_carry.isEmpty() && !takeLine(m_carry))
            return;
        if (m_pendingLine > 0) {
            if (m_out.recording.size() == 0) {
                fail(m_pendingLine, m_pendingWhy);
                return;
            }
            m_out.recording.tornLastLine = true; // the last line: a write cut short
        }
        if (m_lineNo == 0) {
            fail(0, QStringLiteral("the file is empty"));
            return;
        }
        if (m_out.recording.size() == 0) {
            fail(0, QStringLiteral("it holds no readings"));
            return;
        }
        m_out.status = ReadOutcome::Status::Read;
    }

private:
    bool takeLine(QByteArrayView line) {
        ++m_lineNo;
        if (line.endsWith('\r'))
            line.chop(1);
        if (m_pendingLine > 0) {
            if (trimmed(line).isEmpty())
                return true;
            return fail(m_pendingLine, m_pendingWhy); // not the last line after all
        }
        QString why;
        if (!m_parser.Line(line, &why)) {
            m_pendingLine = m_lineNo;
            m_pendingWhy = why;
        }
        return true;
    }

    void endRecovery() {
        m_out.recording.format = QStringLiteral("recovery log");
        const RecoveryLogContent content = ParseRecoveryLog(m_whole);
        if (!content.recognised) {
            fail(1, QStringLiteral("its recovery log header is not one this version reads"));
            return;
        }
        for (const LoggedReading& e : content.readings) {
            QString why;
            if (!m_parser.Logged(e, &why)) {
                fail(qint64(m_out.recording.size()) + 2, why);
                return;
            }
        }
        m_out.recording.damagedSkipped = content.skipped;
        m_lineNo = qint64(content.readings.size() + content.skipped) + 1;
        const QByteArrayView rest = QByteArrayView(m_whole).sliced(content.intactSize);
        // The entry after the last intact one: the last line (torn) or one in the middle.
        if (!blank(rest)) {
            const qsizetype lf = rest.indexOf('\n');
            if (lf >= 0 && !blank(rest.sliced(lf + 1))) {
                fail(m_lineNo + 1, QStringLiteral("its checksum or fields are wrong, or it is "
                                                  "out of sequence"));
                return;
            }
            m_out.recording.tornLastLine = true;
        }
        if (m_out.recording.size() == 0) {
            fail(0, QStringLiteral("it holds no readings"));
            return;
        }
        m_out.status = ReadOutcome::Status::Read;
    }

    bool fail(qint64 line, const QString& why) {
        m_failed = true;
        m_out.status = ReadOutcome::Status::Failed;
        m_out.errorLine = line;
        m_out.error = line > 0 ? QStringLiteral("%1, line %2: %3").arg(m_name).arg(line).arg(why)
                               : QStringLiteral("%1: %2").arg(m_name, why);
        return false;
    }

    QString m_name;
    ReadOutcome& m_out;
    LineParser m_parser;
    QByteArray m_carry;
    QByteArray m_whole;
    bool m_recovery = false;
    bool m_failed = false;
    qint64 m_lineNo = 0;
    qint64 m_pendingLine = 0;
    QString m_pendingWhy;
};

void finish(ReadOutcome& out) {
    if (out.recording.size() > 0)
        out.recording.Finish();
}

} // namespace

bool ParseTrh(QByteArrayView text, TrhPieces* out) {
    qsizetype i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    out->mode.clear();
    if (text.sliced(i).startsWith("DP") || text.sliced(i).startsWith("WB")) {
        out->mode = QString::fromLatin1(text.sliced(i, 2));
        i += 2;
    }
    const qsizetype numberStart = i;
    if (i < text.size() && text[i] == '-')
        ++i;
    while (i < text.size() &&
           ((text[i] >= '0' && text[i] <= '9') || text[i] == '.' || text[i] == ','))
        ++i;
    double temperature = 0;
    if (!parseNumber(text.sliced(numberStart, i - numberStart), &temperature))
        return false;
    // The unit: a degree sign (one byte or two) and C or F, or nothing when the meter's code was
    // unknown.
    out->temperatureUnit.clear();
    const qsizetype unitStart = i;
    while (i < text.size() && !isSpace(text[i]) && i - unitStart < 4)
        ++i;
    const QByteArrayView unit = text.sliced(unitStart, i - unitStart);
    if (unit.endsWith('C'))
        out->temperatureUnit = QStringLiteral("\u00B0C");
    else if (unit.endsWith('F'))
        out->temperatureUnit = QStringLiteral("\u00B0F");
    else if (!unit.isEmpty())
        return false;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    const QByteArrayView rest = trimmed(text.sliced(i));
    double humidity = 0;
    if (!rest.endsWith('%') || !parseNumber(rest.first(rest.size() - 1), &humidity))
        return false;
    out->temperature = float(temperature);
    out->humidity = float(humidity);
    return true;
}

bool ParseIsoInstant(QByteArrayView t, qint64* ms, int* offsetSeconds) {
    if (t.size() < 19 || t[4] != '-' || t[7] != '-' || (t[10] != 'T' && t[10] != ' ') ||
        t[13] != ':' || t[16] != ':')
        return false;
    bool ok = true;
    const int y = digits(t, 0, 4, &ok);
    const int mo = digits(t, 5, 2, &ok);
    const int d = digits(t, 8, 2, &ok);
    const int h = digits(t, 11, 2, &ok);
    const int mi = digits(t, 14, 2, &ok);
    const int s = digits(t, 17, 2, &ok);
    if (!ok || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60)
        return false;
    qsizetype at = 19;
    int milli = 0;
    if (at < t.size() && (t[at] == '.' || t[at] == ',')) {
        ++at;
        int n = 0;
        while (at < t.size() && t[at] >= '0' && t[at] <= '9') {
            if (n < 3)
                milli = milli * 10 + (t[at] - '0');
            ++n;
            ++at;
        }
        if (n == 0)
            return false;
        for (; n < 3; ++n)
            milli *= 10;
    }
    int offset = 0;
    if (at < t.size()) {
        if (t[at] == 'Z' && at + 1 == t.size()) {
            offset = 0;
        } else if ((t[at] == '+' || t[at] == '-') && at + 6 == t.size() && t[at + 3] == ':') {
            const int oh = digits(t, at + 1, 2, &ok);
            const int om = digits(t, at + 4, 2, &ok);
            if (!ok || oh > 23 || om > 59)
                return false;
            offset = (oh * 60 + om) * 60 * (t[at] == '-' ? -1 : 1);
        } else {
            return false;
        }
    }
    const qint64 days = daysFromCivil(y, unsigned(mo), unsigned(d));
    *ms = (((days * 24 + h) * 60 + mi) * 60 + s) * 1000 + milli - qint64(offset) * 1000;
    *offsetSeconds = offset;
    return true;
}

ReadOutcome ReadRecordingBytes(const QByteArray& bytes, const QString& name) {
    ReadOutcome out;
    out.recording.path = name;
    FileReading reading(name, out);
    if (reading.Chunk(bytes))
        reading.End();
    finish(out);
    return out;
}

ReadOutcome ReadRecordingFile(const QString& path, ReadProgress* progress) {
    ReadOutcome out;
    out.recording.path = path;
    const QString name = QFileInfo(path).fileName();
    if (QFileInfo(path).isDir()) {
        out.error = QStringLiteral("%1: it is a folder, not a file").arg(name);
        return out;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("%1: %2").arg(name, file.errorString());
        return out;
    }
    if (progress)
        progress->total = file.size();
    FileReading reading(name, out);
    QByteArray chunk;
    qint64 done = 0;
    for (;;) {
        if (progress && progress->cancel.load()) {
            out.status = ReadOutcome::Status::Cancelled;
            out.recording = Recording();
            return out;
        }
        chunk.resize(kChunk);
        const qint64 got = file.read(chunk.data(), kChunk);
        if (got < 0) {
            out.error = QStringLiteral("%1: %2").arg(name, file.errorString());
            out.recording = Recording();
            return out;
        }
        if (got == 0)
            break;
        done += got;
        if (progress)
            progress->done = done;
        if (!reading.Chunk(QByteArrayView(chunk.constData(), got))) {
            finish(out);
            return out;
        }
    }
    reading.End();
    finish(out);
    return out;
}
