#include "state/SystemTexts.h"

#include <QLocale>

QString NumberText(double value) {
    if (value == 0.0)
        value = 0.0; // turns -0 into +0
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

QString ShortDateText(const QDate& date) {
    return QLocale().toString(date, QLocale::ShortFormat);
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
    return QLocale().toString(time, timeOfDayFormat());
}

QString ReadingTimeText(const QDateTime& at) {
    return ShortDateText(at.date()) + u'\\' + TimeOfDayText(at.time());
}

QString ClockText(const QDateTime& at) {
    return ShortDateText(at.date()) + u' ' + TimeOfDayText(at.time());
}

QString IsoInstantText(const QDateTime& at) {
    const int offset = at.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return at.toOffsetFromUtc(offset).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")) +
           (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
