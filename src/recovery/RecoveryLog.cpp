#include "recovery/RecoveryLog.h"

#include "recovery/EarlierRuns.h"
#include "reports/AtomicFileWriter.h"
#include "seams/MessageBoxes.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <QTimer>
#include <algorithm>

RecoveryLog::RecoveryLog(QString folder, MessageBoxes& messages, QObject* parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_messages(messages) {}

void RecoveryLog::OfferEarlierRuns(const GVarMod& state, const RestoreStep& restore,
                                   const RestoreEventStep& restoreEvent) {
    if (!IsOn())
        return;
    QStringList notices;
    std::vector<EarlierRun> runs = FindEarlierRuns(m_folder, &notices);
    for (const QString& notice : notices)
        m_messages.Message(notice);
    // More than one run: one question lists them all.
    enum { RestoreAll, KeepAll, DecideEach } plan = DecideEach;
    if (runs.size() > 1) {
        QString list;
        for (const EarlierRun& run : runs)
            list += QStringLiteral("\n%1 readings, %2 to %3")
                        .arg(run.scan.good)
                        .arg(run.scan.first.reading.Time, run.scan.last.reading.Time);
        const int chosen = m_messages.Choice(
            QString::fromUtf16(kEarlierRunsQuestion).arg(runs.size()).arg(list),
            {QStringLiteral("Restore all"), QStringLiteral("Keep all as CSV files"),
             QStringLiteral("Decide for each")});
        plan = chosen == 0 ? RestoreAll : chosen == 1 ? KeepAll : DecideEach;
    }
    for (EarlierRun& run : runs) {
        const RecoveryLogScan& scan = run.scan;
        QString question = QString::fromUtf16(kRestoreQuestion)
                               .arg(scan.good)
                               .arg(scan.first.reading.Time, scan.last.reading.Time);
        if (scan.skipped > 0)
            question.replace(QStringLiteral(". Restore"),
                             QStringLiteral(" (%1 damaged lines of the log skipped). Restore")
                                 .arg(scan.skipped));
        if (plan == KeepAll || (plan == DecideEach && !m_messages.Question(question))) {
            keepAsCsv(run, 0, {});
            continue;
        }
        // What the table holds is restored; the rest is kept as a CSV file.
        const qint64 room = qint64(kReadingLimit) - state.ReadingCount;
        const qint64 count = std::min({scan.good, room, qint64(run.readings.size())});
        if (count <= 0) {
            keepAsCsv(run, 0,
                      QStringLiteral("They do not fit in the table beside the readings "
                                     "restored before them.\n\n"));
            continue;
        }
        // A log restored whole, as it was written, goes on as this run's; other readings follow
        // on in this run's log.
        QString reason;
        const bool adopted = count == scan.good && scan.inSequence && !m_file.IsOpen() &&
                             !m_failed &&
                             m_file.Adopt(run.path, scan.intactSize, std::move(run.lock), &reason);
        if (!adopted)
            StartRun();
        for (qint64 i = 0; i < count; ++i) {
            const LoggedReading& entry = run.readings[std::size_t(i)];
            const Reading& stored = restore(entry);
            if (!adopted)
                Append(stored, entry.kind, entry.instant);
        }
        for (const RunEvent& event : run.events) {
            if (restoreEvent)
                restoreEvent(event);
            if (!adopted)
                AppendEvent(event);
        }
        if (adopted)
            continue;
        if (count < scan.good)
            keepAsCsv(run, count,
                      QStringLiteral("%1 of the readings did not fit in the table.\n\n")
                          .arg(scan.good - count));
        else if (!m_failed)
            RemoveEarlierRun(run);
    }
}

void RecoveryLog::keepAsCsv(EarlierRun& run, qint64 from, const QString& why) {
    QString path;
    QString reason;
    if (KeepAsCsv(run, from, m_folder, &path, &reason)) {
        RemoveEarlierRun(run);
        const QString events = path + QStringLiteral(".events.csv");
        m_messages.Message(
            why + QStringLiteral("The readings of that run were kept in this file:\n") +
            QuotedPath(QDir::toNativeSeparators(path)) +
            (QFileInfo::exists(events) ? QStringLiteral("\nIts alarms and notes are beside it:\n") +
                                             QuotedPath(QDir::toNativeSeparators(events))
                                       : QString()));
    } else {
        // The log stays, to be offered again at the next start.
        m_messages.Message(why + FileWriteErrorText(path, reason));
    }
}

void RecoveryLog::StartRun() {
    if (!IsOn() || m_file.IsOpen())
        return;
    m_failed = false;
    QString reason;
    if (!m_file.Create(m_folder, &reason))
        fail(reason);
}

void RecoveryLog::Append(const Reading& reading, const QString& kind, const QDateTime& at) {
    if (m_failed || !m_file.IsOpen())
        return;
    QString reason;
    if (!m_file.Append(RecoveryLogEntry({reading, kind, at}), &reason))
        fail(reason);
}

void RecoveryLog::AppendEvent(const RunEvent& event) {
    if (m_failed || !m_file.IsOpen())
        return;
    QString reason;
    if (!m_file.Append(RecoveryLogEventEntry(event), &reason))
        fail(reason);
}

void RecoveryLog::StartFresh() {
    if (!IsOn())
        return;
    m_file.Remove();
    StartRun();
}

void RecoveryLog::EndRun() {
    m_file.Remove();
}

void RecoveryLog::fail(const QString& reason) {
    m_failed = true;
    const QString text = QString::fromUtf16(kLogFailedText).arg(reason);
    QTimer::singleShot(0, this, [this, text] { m_messages.Message(text); });
}
