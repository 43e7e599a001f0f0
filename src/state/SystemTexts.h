#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

// Texts of numbers, dates and times as the user's locale writes them (QLocale(), the system locale
// unless a test pins another one with QLocale::setDefault), in their plain form (PlainText), so
// that a reading stored with them and the files written from it say the same in Windows-1252.

// The nearest plain form of a locale's text: any minus sign becomes "-", narrow, thin and other
// fixed-width spaces a space, decimal digits of any script 0-9, the Arabic decimal and thousands
// separators "." and ","; invisible direction marks are dropped. Everything else is kept.
QString PlainText(QString text);

// A path as messages on a terminal show it: in single quotes, with a line end, a tab, another
// control character, a backslash or a single quote in it written as an escape (\n, \t, \x1b, \\,
// \'), so that a crafted name can neither start a line of its own nor hide its end. On Windows a
// backslash is the folder separator and stays as it is.
QString QuotedPath(const QString& path);

// A double as display text: up to 15 significant digits, no trailing zeros, no trailing decimal
// separator, no group separators, no leading space, the locale's decimal separator. Whole values
// carry no decimal part. Negative zero reads "0".
QString NumberText(double value);

// A CSV cell: the text in double quotes, each double quote in it doubled. A text someone typed
// (typed) that starts like a formula (=, +, -, @, a tab or a carriage return) gets a single quote
// before it, so that a spreadsheet shows it instead of running it.
QString CsvCellText(const QString& text, bool typed);

// The locale's short date.
QString ShortDateText(const QDate& date);

// The time of day with seconds in the locale's format, without a time zone.
QString TimeOfDayText(const QTime& time);

// The time stamp stored with a reading: short date, a backslash, time of day.
QString ReadingTimeText(const QDateTime& at);

// Reading time stamps that together hold every month and weekday name, every half-day mark and
// two-digit days and hours the locale writes: the widest of them on screen is as wide as any
// stamp of the locale (its digits taken as equally wide), so a column sized by them cuts none.
QStringList ReadingTimeSamples();

// The clock text: short date, a space, time of day.
QString ClockText(const QDateTime& at);

// An instant as ISO 8601 in its own local time, with milliseconds and the offset from UTC,
// whatever the locale: 2026-12-09T18:40:07.123+01:00 (+00:00 for UTC, never Z).
QString IsoInstantText(const QDateTime& at);

// The current local date and time, as QDateTime::currentDateTime() gives it (with the local
// offset from UTC). The offset is looked up once per minute of UTC time: zones change their
// offsets only at whole minutes, and the look-up asks the system whether the zone changed, which
// costs more than the rest of a reading's time stamp together.
QDateTime LocalNow();

// A double as files for other programs write it, whatever the locale: a full stop, up to 15
// significant digits, no trailing zeros, no group separators. Negative zero reads "0".
QString FullStopNumberText(double value);
