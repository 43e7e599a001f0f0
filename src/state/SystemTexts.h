#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// Texts of numbers, dates and times as the user's locale writes them (QLocale(), the system locale
// unless a test pins another one with QLocale::setDefault).

// A double as display text: up to 15 significant digits, no trailing zeros, no trailing decimal
// separator, no group separators, no leading space, the locale's decimal separator. Whole values
// carry no decimal part. Negative zero reads "0".
QString NumberText(double value);

// The locale's short date.
QString ShortDateText(const QDate& date);

// The time of day with seconds in the locale's format, without a time zone.
QString TimeOfDayText(const QTime& time);

// The time stamp stored with a reading: short date, a backslash, time of day.
QString ReadingTimeText(const QDateTime& at);

// The clock text: short date, a space, time of day.
QString ClockText(const QDateTime& at);

// An instant as ISO 8601 in its own local time, with milliseconds and the offset from UTC,
// whatever the locale: 2026-12-09T18:40:07.123+01:00 (+00:00 for UTC, never Z).
QString IsoInstantText(const QDateTime& at);

// A double as files for other programs write it, whatever the locale: a full stop, up to 15
// significant digits, no trailing zeros, no group separators. Negative zero reads "0".
QString FullStopNumberText(double value);
