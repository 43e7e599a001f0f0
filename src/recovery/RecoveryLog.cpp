#include "recovery/RecoveryLog.h"

#include "recovery/EarlierRuns.h"
#include "reports/AtomicFileWriter.h"
#include "seams/MessageBoxes.h"
#include "state/GVarMod.h"

#include <QDir>
#include <QTimer>

RecoveryLog::RecoveryLog(QString folder, MessageBoxes& messages, QObject* parent)
    : QObject(parent)
    , m_folder(std::move(folder))
    , m_messages(messages) {}

void RecoveryLog::OfferEarlierRuns(const GVarMod& state, const RestoreStep& restore) {
    if (!IsOn())
        return;
    for (EarlierRun& run : FindEarlierRuns(m_folder)) {
        const QString question =
            QString::fromUtf16(kRestoreQuestion)
                .arg(run.readings.size())
                .arg(run.readings.front().reading.Time, run.readings.back().reading.Time);
        if (!m_messages.Question(question)) {
            keepAsCsv(run, {});
            continue;
        }
        if (run.readings.size() > std::size_t(kReadingLimit - state.ReadingCount)) {
            keepAsCsv(run, QStringLiteral("They do not fit in the table beside the readings "
                                          "restored before them.\n\n"));
            continue;
        }
        // The first restored log goes on as this run's; a later one's readings follow on in it.
        QString reason;
        const bool adopted = !m_file.IsOpen() && !m_failed &&
                             m_file.Adopt(run.path, run.intactSize, std::move(run.lock), &reason);
        if (!adopted)
            StartRun();
        for (const LoggedReading& entry : run.readings) {
            const Reading& stored = restore(entry);
            if (!adopted)
                Append(stored, entry.kind, entry.instant);
        }
        if (!adopted && !m_failed)
            RemoveEarlierRun(run);
    }
}

void RecoveryLog::keepAsCsv(EarlierRun& run, const QString& why) {
    QString path;
    QString reason;
    if (KeepAsCsv(run, m_folder, &path, &reason)) {
        RemoveEarlierRun(run);
        m_messages.Message(why +
                           QStringLiteral("The readings of that run were kept in this file:\n") +
                           QDir::toNativeSeparators(path));
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
