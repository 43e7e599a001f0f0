#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// What happened during a run besides the readings: an alarm rule raised or cleared, or a note
// someone added. Both programs keep them with the readings (the recovery log, the logger's
// outputs) and show them to whoever watches the run.
enum class RunEventKind { Alarm, Note };
enum class AlarmChange { Raised, Cleared };

struct RunEvent {
    QDateTime at;
    RunEventKind kind = RunEventKind::Alarm;
    // An alarm's: raised or cleared, by which rule (its text as written, and its place in the
    // list of rules, -1 when not known), the quantity the rule watches ("velocity", "flow",
    // "temperature", "humidity", "no-data") and the value that decided it, in the rule's unit
    // ("s" for no-data: how long no reading came).
    AlarmChange change = AlarmChange::Raised;
    QString rule;
    int ruleIndex = -1;
    QString quantity;
    std::optional<double> value;
    QString unit;
    // A note's text (one line; empty for an alarm).
    QString note;

    // "alarm" or "note".
    QString KindText() const;
    // "raised" or "cleared" for an alarm, empty for a note.
    QString ChangeText() const;
    // The value with its unit ("2.3 m/s", "61 s"), empty without a value.
    QString ValueText() const;
    // One line for people: "alarm raised: velocity < 2.5 m/s for 30s (2.31 m/s)", "note: ...".
    QString Summary() const;
};

// A value as events show and files keep it: at most four decimals, no trailing zeros, a full stop.
QString EventNumberText(double value);

// A note as it is kept: one line (line breaks and tabs become spaces, the ends trimmed), at most
// kLongestNote characters.
inline constexpr qsizetype kLongestNote = 1000;
QString NoteText(const QString& typed);

// A note added now.
RunEvent NoteEvent(const QString& typed, const QDateTime& at);

// Events as CSV (UTF-8, LF), beside a file of readings: the heading
// "TIME","EVENT","CHANGE","RULE","QUANTITY","VALUE","UNIT","NOTE" and one row per event, texts
// quoted (a rule or note starting like a formula with a single quote before it, so a spreadsheet
// never runs it), the value as a number.
QByteArray EventsCsvHeading();
QByteArray EventsCsvRow(const RunEvent& event);
