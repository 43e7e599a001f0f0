#include "state/SystemTexts.h"

#include <QLocale>

QString PlainText(QString text) {
    qsizetype out = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text.at(i);
        switch (c.unicode()) {
        case 0x2212: // minus sign
        case 0xFE63: // small hyphen-minus
        case 0xFF0D: // fullwidth hyphen-minus
            c = u'-';
            break;
        case 0x2007: // figure space
        case 0x2008: // punctuation space
        case 0x2009: // thin space
        case 0x200A: // hair space
        case 0x202F: // narrow no-break space
            c = u' ';
            break;
        case 0x066B: // Arabic decimal separator
            c = u'.';
            break;
        case 0x066C: // Arabic thousands separator
            c = u',';
            break;
        case 0x061C: // Arabic letter mark
        case 0x200E: // left-to-right mark
        case 0x200F: // right-to-left mark
        case 0x202A: // embeddings and overrides
        case 0x202B:
        case 0x202C:
        case 0x202D:
        case 0x202E:
        case 0x2066: // isolates
        case 0x2067:
        case 0x2068:
        case 0x2069:
            continue;
        default:
            if (c.unicode() > 0x7F && c.category() == QChar::Number_DecimalDigit)
                c = QChar(u'0' + c.digitValue());
            break;
        }
        text[out++] = c;
    }
    text.truncate(out);
    return text;
}

QString NumberText(double value) {
    if (value == 0.0)
        value = 0.0; // turns -0 into +0
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return PlainText(locale.toString(value, 'g', 15));
}

QString ShortDateText(const QDate& date) {
    return PlainText(QLocale().toString(date, QLocale::ShortFormat));
}

namespace {

// The locale's long time format (which has seconds) without its time zone fields.
QString timeOfDayFormat() {
    const QString format = QLocale().timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't') {
            // Drop the zone field and the blank that separated it from the rest.
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            while (i + 1 < format.size() && format.at(i + 1) == u't')
                ++i;
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

} // namespace

QString TimeOfDayText(const QTime& time) {
    return PlainText(QLocale().toString(time, timeOfDayFormat()));
}

QString ReadingTimeText(const QDateTime& at) {
    return ShortDateText(at.date()) + u'\\' + TimeOfDayText(at.time());
}

QStringList ReadingTimeSamples() {
    // The 22nd to the 28th of each month fall on every weekday; 10 and 22 o'clock are two-digit
    // hours before and after noon.
    const int year = QDate::currentDate().year();
    QStringList samples;
    for (int month = 1; month <= 12; ++month)
        for (int day = 22; day <= 28; ++day)
            for (int hour : {10, 22})
                samples << ReadingTimeText(QDateTime(QDate(year, month, day), QTime(hour, 58, 58)));
    return samples;
}

QString ClockText(const QDateTime& at) {
    return ShortDateText(at.date()) + u' ' + TimeOfDayText(at.time());
}

QString CsvCellText(const QString& text, bool typed) {
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    QString cell = text;
    if (typed && !cell.isEmpty() && kFormulaStarts.contains(cell.front()))
        cell.prepend(u'\'');
    cell.replace(u'"', QStringLiteral("\"\""));
    return u'"' + cell + u'"';
}

QString IsoInstantText(const QDateTime& at) {
    // Written digit by digit: this runs for every reading. date() and time() are already the
    // wall-clock time of the instant's own zone or offset.
    const QDate d = at.date();
    const QTime t = at.time();
    const int offset = at.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    char16_t text[29];
    const auto put = [&text](int pos, int value, int digits) {
        for (int k = digits - 1; k >= 0; --k, value /= 10)
            text[pos + k] = char16_t(u'0' + value % 10);
    };
    put(0, d.year(), 4);
    text[4] = u'-';
    put(5, d.month(), 2);
    text[7] = u'-';
    put(8, d.day(), 2);
    text[10] = u'T';
    put(11, t.hour(), 2);
    text[13] = u':';
    put(14, t.minute(), 2);
    text[16] = u':';
    put(17, t.second(), 2);
    text[19] = u'.';
    put(20, t.msec(), 3);
    text[23] = offset < 0 ? u'-' : u'+';
    put(24, minutes / 60, 2);
    text[26] = u':';
    put(27, minutes % 60, 2);
    return QString(reinterpret_cast<const QChar*>(text), 29);
}

QDateTime LocalNow() {
    constexpr qint64 kMinute = 60 * 1000;
    thread_local qint64 minute = -1; // the UTC minute the offset was looked up for
    thread_local int offset = 0;
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    const qint64 thisMinute = ms >= 0 ? ms / kMinute : (ms - kMinute + 1) / kMinute;
    if (thisMinute != minute) {
        offset = QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
        minute = thisMinute;
    }
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, offset);
}

QString FullStopNumberText(double value) {
    if (value == 0.0)
        value = 0.0; // turns -0 into +0
    return QString::number(value, 'g', 15);
}

#ifdef Q_OS_WIN
constexpr bool kBackslashIsEscaped = false; // the folder separator, and in no name
#else
constexpr bool kBackslashIsEscaped = true;
#endif

QString QuotedPath(const QString& path) {
    QString out = QStringLiteral("'");
    out.reserve(path.size() + 2);
    for (const QChar c : path) {
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\'' || (c == u'\\' && kBackslashIsEscaped))
            out += u'\\' + QString(c);
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + u'\'';
}
