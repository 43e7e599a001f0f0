#pragma once

#include "logger/LogOptions.h"

#include <QByteArray>
#include <QDateTime>

struct DecodedFrame;
struct RunEvent;

// The lines the logger writes: UTF-8, each ended by a line feed. The time of a reading is its
// instant as ISO 8601 in local time with milliseconds and the offset from UTC.
//
// csv: the export's heading, then per reading the export's row: NO plain, T&RH quoted, DATA as
// the value with a full stop, UNIT quoted (empty when unknown), TIME quoted.
// jsonl: no heading; per reading one JSON object with the fields no, time, value, data, unit,
// kind, mode, temperature, temperature_unit, humidity and trh, in this order. unit, kind, mode
// and temperature_unit are null when the frame's code is unknown; numbers use a full stop.
// influx: no heading; per reading one line of the line protocol: the measurement vantello, the
// tags kind, mode (DP or WB only), port, temperature_unit and unit (each left out when unknown or
// empty), the fields value, temperature and humidity, and the instant in nanoseconds since 1970.

// What starts a new file (empty for jsonl).
QByteArray LogHeading(LogFormat format);

// What every line of the format starts with, for telling whether a file holds such lines: the
// heading, or for formats without one the start of a line.
QByteArray LogLineStart(LogFormat format);

// One reading's line; port is the meter's port as the influx tag names it.
QByteArray LogLine(LogFormat format, qint64 no, const DecodedFrame& reading, const QDateTime& at,
                   const QString& port = {});

// A text as a JSON string: in double quotes, with double quotes, backslashes and control
// characters escaped, as the jsonl lines write their texts.
QByteArray JsonStringText(const QString& text);

// A tag's key or value in the line protocol: backslash, comma, equals sign and space escaped with
// a backslash, control characters (which the protocol cannot carry there) as "_".
QString InfluxTagText(QStringView text);

// Events (alarms raised and cleared, notes). jsonl: one JSON object per event among the readings'
// lines, told apart by its first field: {"event":"alarm" or "note","time","change" ("raised",
// "cleared"; null for a note),"rule","quantity","value" (a number in the rule's unit; null for a
// note),"unit","note" (null for an alarm)}. csv: the events go to a file of their own beside the
// output (EventsFilePath), with the heading below and one row per event in the same order.
// influx: among the readings' lines, the measurement vantello_event with the tags change, event,
// quantity and unit and the fields rule, value and note (each left out when empty).
QByteArray LogEventLine(LogFormat format, const RunEvent& event);
// The heading of the csv events file.
QByteArray LogEventsHeading();
// The csv events file of an output file: "run.csv" has "run.csv.events.csv".
QString EventsFilePath(const QString& output);
