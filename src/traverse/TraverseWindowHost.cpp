#include "traverse/TraverseWindowHost.h"

#include "traverse/TraverseClock.h"
#include "widgets/FileSaveDialog.h"

TraverseWindowHost::TraverseWindowHost(MessageBoxes& messages, Seams seams)
    : m_messages(messages)
    , m_seams(std::move(seams)) {}

TraverseWindowHost::~TraverseWindowHost() {
    // The window goes before the clock and the dialog it uses.
    m_window.reset();
}

TraverseForm* TraverseWindowHost::Open() {
    if (!m_window) {
        if (!m_seams.dialog) {
            m_ownDialog = std::make_unique<FileSaveDialog>();
            m_seams.dialog = m_ownDialog.get();
        }
        if (!m_seams.clock) {
            m_ownClock = std::make_unique<SystemTraverseClock>();
            m_seams.clock = m_ownClock.get();
        }
        m_window = std::make_unique<TraverseForm>(TraverseParts{
            m_messages, *m_seams.dialog, *m_seams.clock, m_seams.printTarget, m_seams.now});
        if (m_ownDialog)
            m_ownDialog->SetOwner(m_window.get());
    }
    if (m_window->isMinimized())
        m_window->showNormal();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return m_window.get();
}

void TraverseWindowHost::Close() {
    if (m_window)
        m_window->close();
}
