#pragma once

#include "logger/LogOptions.h"

#include <QByteArray>
#include <QDateTime>

struct DecodedFrame;

// The lines the logger writes: UTF-8, each ended by a line feed. The time of a reading is its
// instant as ISO 8601 in local time with milliseconds and the offset from UTC.
//
// csv: the export's heading, then per reading the export's row: NO plain, T&RH quoted, DATA as
// the value with a full stop, UNIT quoted (empty when unknown), TIME quoted.
// jsonl: no heading; per reading one JSON object with the fields no, time, value, data, unit,
// kind, mode, temperature, temperature_unit, humidity and trh, in this order. unit, kind, mode
// and temperature_unit are null when the frame's code is unknown; numbers use a full stop.

// What starts a new file (empty for jsonl).
QByteArray LogHeading(LogFormat format);

// One reading's line.
QByteArray LogLine(LogFormat format, qint64 no, const DecodedFrame& reading, const QDateTime& at);
