#pragma once

#include "recording/Recording.h"

#include <QByteArray>
#include <QString>

#include <atomic>

// Reads back every file Vantello writes, whatever its name: the text report, the CSV export (and
// the CSV kept from a recovery log), vantello-log's CSV and JSON lines, and the recovery log. The
// first line tells which: a recovery log's header, the export's heading, a JSON object, or else a
// report's title followed by an empty line.
//
// A last line that cannot be read is a torn write and is left out (tornLastLine). Any other line
// that cannot be read stops reading: the outcome names the file, the line and why, and keeps the
// readings before it. A binary file, a line longer than a megabyte or an empty file is refused
// with its reason; nothing is ever held whole in memory but a recovery log (at most 64 MB).

// Shared with a reader running on another thread: how far it got, and a request to stop.
struct ReadProgress {
    std::atomic<qint64> done{0};  // bytes read so far
    std::atomic<qint64> total{0}; // the file's size
    std::atomic<bool> cancel{false};
};

struct ReadOutcome {
    enum class Status { Read, Failed, Cancelled };
    Status status = Status::Failed;
    Recording recording;  // finished (Recording::Finish) whenever it holds readings
    QString error;        // for Failed: "FILE, line N: why" or "FILE: why"
    qint64 errorLine = 0; // the line that stopped reading, 0 when none
};

ReadOutcome ReadRecordingFile(const QString& path, ReadProgress* progress = nullptr);

// The same for bytes already in memory; name stands for the file in messages.
ReadOutcome ReadRecordingBytes(const QByteArray& bytes, const QString& name);

// The pieces of a reading's T&RH text (" 23.4°C 45.6%", "DP12.1°F 45%", with a full stop or a
// comma, the degree sign in UTF-8 or Windows-1252). False when the text is not of that form.
struct TrhPieces {
    QString mode;            // "", "DP" or "WB"
    QString temperatureUnit; // "°C", "°F" or empty
    float temperature = 0;
    float humidity = 0;
};
bool ParseTrh(QByteArrayView text, TrhPieces* out);

// An ISO 8601 instant with date, time, optional fraction and optional offset (Z or ±hh:mm); false
// for anything else. Without an offset the time is taken as it is (offset 0).
bool ParseIsoInstant(QByteArrayView text, qint64* msSinceEpoch, int* offsetSeconds);
