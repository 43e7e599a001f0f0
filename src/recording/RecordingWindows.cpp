#include "recording/RecordingWindows.h"

#include "recording/RecordingReader.h"
#include "seams/MessageBoxes.h"
#include "widgets/FileOpenDialog.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

namespace {
constexpr int kProgressSteps = 1000;
constexpr int kShowProgressAfterMs = 1000;
const QString kFilter =
    QStringLiteral("Vantello files (*.csv *.txt *.jsonl *.json *.log);;All files (*)");
} // namespace

struct RecordingWindows::Job {
    QString path;
    ReadProgress progress;
    ReadOutcome outcome;
    QThread* thread = nullptr;
    QProgressDialog* dialog = nullptr;
    QTimer* timer = nullptr;
    QElapsedTimer clock;
};

RecordingWindows::RecordingWindows(Seams seams)
    : m_seams(seams) {}

RecordingWindows::~RecordingWindows() {
    for (auto& job : m_jobs) {
        job->progress.cancel = true;
        job->thread->wait();
        delete job->thread;
        delete job->dialog;
    }
    for (const QPointer<RecordingForm>& w : m_windows)
        delete w.data();
}

void RecordingWindows::AskAndOpen(QWidget* over) {
    if (!m_seams.openDialog) {
        m_ownOpenDialog = std::make_unique<FileOpenDialog>(over);
        m_seams.openDialog = m_ownOpenDialog.get();
    }
    Open(m_seams.openDialog->AskOpenPaths(QStringLiteral("Open recording"), kFilter), over);
}

std::vector<RecordingForm*> RecordingWindows::Windows() const {
    std::vector<RecordingForm*> out;
    for (const QPointer<RecordingForm>& w : m_windows)
        if (w)
            out.push_back(w.data());
    return out;
}

void RecordingWindows::Open(const QStringList& paths, QWidget* over) {
    for (const QString& path : paths) {
        auto job = std::make_unique<Job>();
        Job* j = job.get();
        j->path = path;
        j->clock.start();
        j->dialog =
            new QProgressDialog(QStringLiteral("Reading %1 ...").arg(QFileInfo(path).fileName()),
                                QStringLiteral("Cancel"), 0, kProgressSteps, over);
        j->dialog->setWindowTitle(QStringLiteral("Open recording"));
        j->dialog->setMinimumWidth(420);
        j->dialog->setAutoClose(false);
        j->dialog->setAutoReset(false);
        j->dialog->setMinimumDuration(24 * 3600 * 1000); // shown by the timer below, not by itself
        j->dialog->reset();
        j->dialog->hide();
        connect(j->dialog, &QProgressDialog::canceled, this, [j] { j->progress.cancel = true; });
        j->timer = new QTimer(j->dialog);
        j->timer->setInterval(100);
        connect(j->timer, &QTimer::timeout, this, [j] {
            const qint64 total = j->progress.total.load();
            if (total > 0)
                j->dialog->setValue(int(j->progress.done.load() * kProgressSteps / total));
            if (!j->dialog->isVisible() && j->clock.elapsed() >= kShowProgressAfterMs &&
                !j->progress.cancel.load())
                j->dialog->show();
        });
        j->timer->start();
        j->thread = QThread::create([j] { j->outcome = ReadRecordingFile(j->path, &j->progress); });
        connect(j->thread, &QThread::finished, this, [this, j] { finished(j); });
        m_jobs.push_back(std::move(job));
        j->thread->start();
    }
}

void RecordingWindows::finished(Job* j) {
    const auto it = std::find_if(m_jobs.begin(), m_jobs.end(),
                                 [j](const std::unique_ptr<Job>& p) { return p.get() == j; });
    if (it == m_jobs.end())
        return;
    std::unique_ptr<Job> job = std::move(*it);
    m_jobs.erase(it);
    job->thread->wait();
    delete job->thread;
    job->timer->stop();
    delete job->dialog;

    ReadOutcome& out = job->outcome;
    const QString name = QFileInfo(job->path).fileName();
    RecordingForm* window = nullptr;
    if (out.status != ReadOutcome::Status::Cancelled && out.recording.size() > 0) {
        auto recording = std::make_unique<Recording>(std::move(out.recording));
        window = new RecordingForm(std::move(recording),
                                   {m_seams.messages, m_seams.saveDialog, m_seams.print});
        m_windows.push_back(window);
        window->show();
        window->raise();
        window->activateWindow();
    }
    if (out.status == ReadOutcome::Status::Failed) {
        if (window)
            m_seams.messages.DetailedMessage(
                QStringLiteral("%1 could not be read past line %2. The readings before it are "
                               "shown.")
                    .arg(name)
                    .arg(out.errorLine),
                out.error);
        else
            m_seams.messages.DetailedMessage(
                QStringLiteral("%1 cannot be opened.").arg(name),
                out.error + QStringLiteral("\nVantello opens the files it writes: text reports, "
                                           "CSV exports, vantello-log's CSV and JSON lines, and "
                                           "recovery logs."));
    }
    emit Done(job->path, window);
}
