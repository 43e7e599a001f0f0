#pragma once

#include "recovery/RecoveryLogFile.h"
#include "recovery/RecoveryLogFormat.h"

#include <QObject>
#include <QString>

#include <functional>

class GVarMod;
class MessageBoxes;
struct EarlierRun;

inline constexpr char16_t kRestoreQuestion[] =
    u"Readings from a run that did not end normally were found: %1 readings, %2 to %3. "
    u"Restore them?";
inline constexpr char16_t kEarlierRunsQuestion[] =
    u"Readings from %1 runs that did not end normally were found:%2\n\n"
    u"Restore them, or keep each run's readings as a CSV file?";
inline constexpr char16_t kLogFailedText[] =
    u"Readings are no longer written to the recovery log: %1. They are still kept in memory.";

// The recovery log of this run: every stored reading is appended as it is stored, so that a run
// that does not end normally (a crash, a killed program, a flat battery) loses nothing. The log
// follows the table: it starts afresh when the table is emptied and goes away at a normal exit.
// At the next start, the logs of such runs are offered back.
//
// A log that cannot be made or written is reported once, with a message shown after the current
// event (never inside the reception handler); reception goes on and the next fresh log tries
// again.
class RecoveryLog : public QObject {
    Q_OBJECT
public:
    // folder holds the logs; an empty folder turns the log off.
    RecoveryLog(QString folder, MessageBoxes& messages, QObject* parent = nullptr);

    bool IsOn() const { return !m_folder.isEmpty(); }
    // This run's log; empty while there is none.
    QString Path() const { return m_file.IsOpen() ? m_file.Path() : QString(); }

    // Stores a restored reading as the next one of the table and shows it as if just received;
    // returns the stored record.
    using RestoreStep = std::function<const Reading&(const LoggedReading&)>;
    // Shows a restored event (an alarm or a note) among this run's.
    using RestoreEventStep = std::function<void(const RunEvent&)>;

    // At start-up, before the link opens: offers the earlier runs' readings, oldest first: one
    // question for one run, and for several one question listing them (restore all, keep all,
    // or decide for each in turn). Yes restores them through restore (the first restored log goes
    // on as this run's log; a later one follows on if the table has room). No keeps them as a CSV
    // file beside the logs and names its path.
    // The run's events are restored with its readings through restoreEvent (when given) and kept
    // in this run's log.
    void OfferEarlierRuns(const GVarMod& state, const RestoreStep& restore,
                          const RestoreEventStep& restoreEvent = {});
    // Makes this run's log, unless a restored one goes on already.
    void StartRun();
    // Appends the reading just stored. kind is the readout's kind label, empty when unknown.
    void Append(const Reading& reading, const QString& kind, const QDateTime& at);
    // Appends an event of the run (an alarm raised or cleared, a note).
    void AppendEvent(const RunEvent& event);
    // The table was emptied: the log starts afresh (and a log that failed is tried again).
    void StartFresh();
    // A normal exit: the log goes.
    void EndRun();

private:
    void fail(const QString& reason);
    void keepAsCsv(EarlierRun& run, qint64 from, const QString& why);

    QString m_folder;
    MessageBoxes& m_messages;
    RecoveryLogFile m_file;
    bool m_failed = false; // this log could not be made or written; nothing more goes to it
};
