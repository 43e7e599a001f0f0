#include "reports/PrintProgress.h"

#include "seams/MessageBoxes.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QTimer>

bool PrintProgress::WaitSending() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::WaitForMoreEvents);
    return true;
}

PrintProgressDialog::PrintProgressDialog(QWidget* parent, int minimumDurationMs)
    : m_parent(parent)
    , m_minimumDurationMs(minimumDurationMs) {}

PrintProgressDialog::~PrintProgressDialog() = default;

void PrintProgressDialog::Start(int pageCount) {
    m_sending = false;
    m_dialog = std::make_unique<QProgressDialog>(m_parent);
    m_dialog->setWindowTitle(QString::fromUtf16(kMessageCaption));
    m_dialog->setLabelText(QStringLiteral("Printing page 1 of %1").arg(pageCount));
    m_dialog->setCancelButtonText(QStringLiteral("Cancel"));
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setRange(0, pageCount);
    m_dialog->setMinimumDuration(m_minimumDurationMs);
    m_dialog->setValue(0);
}

bool PrintProgressDialog::Advance(int pagesDone) {
    if (!m_dialog)
        return true;
    if (m_dialog->wasCanceled())
        return false; // a cancelled dialog is hidden and must not come back
    if (pagesDone < m_dialog->maximum())
        m_dialog->setLabelText(
            QStringLiteral("Printing page %1 of %2").arg(pagesDone + 1).arg(m_dialog->maximum()));
    // Once the dialog is shown, this lets the application handle its events.
    m_dialog->setValue(pagesDone);
    return !m_dialog->wasCanceled();
}

bool PrintProgressDialog::WaitSending() {
    if (!m_dialog)
        return PrintProgress::WaitSending();
    if (m_dialog->wasCanceled())
        return false;
    if (!m_sending) {
        m_sending = true;
        m_dialog->setLabelText(QStringLiteral("Sending to the printer ..."));
        m_dialog->setValue(m_dialog->maximum());
        if (!m_dialog->isVisible()) {
            QProgressDialog* dialog = m_dialog.get();
            QTimer::singleShot(m_minimumDurationMs, dialog, [dialog] {
                if (!dialog->wasCanceled())
                    dialog->show();
            });
        }
    }
    // Until the dialog shows, the user's input waits, as it does while pages are composed.
    QCoreApplication::processEvents(
        (m_dialog->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents) |
        QEventLoop::WaitForMoreEvents);
    return !m_dialog->wasCanceled();
}

void PrintProgressDialog::Finish() {
    m_dialog.reset();
}
