#include "traverse/TraverseWindowHost.h"

#include "traverse/TraverseClock.h"
#include "widgets/FileSaveDialog.h"
#include "widgets/WindowLayout.h"
#include "widgets/WindowMessageBoxes.h"

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
        MessageBoxes* messages = &m_messages;
        if (dynamic_cast<WindowMessageBoxes*>(&m_messages)) {
            m_ownMessages = std::make_unique<WindowMessageBoxes>();
            messages = m_ownMessages.get();
        }
        m_window = std::make_unique<TraverseForm>(TraverseParts{
            *messages, *m_seams.dialog, *m_seams.clock, m_seams.printTarget, m_seams.now});
        if (m_ownDialog)
            m_ownDialog->SetOwner(m_window.get());
        if (m_ownMessages)
            m_ownMessages->SetParent(m_window.get());
        m_window->SetMeterOnline(m_online);
        // On the screen, whatever its size: no larger than the screen's free area, centred.
        FitCentredOnScreen(*m_window);
        if (m_seams.created)
            m_seams.created(*m_window);
    }
    BringToFront(*m_window);
    return m_window.get();
}

void TraverseWindowHost::Close() {
    if (m_window)
        m_window->close();
}

void TraverseWindowHost::SetMeterOnline(bool online) {
    m_online = online;
    if (m_window)
        m_window->SetMeterOnline(online);
}

void TraverseWindowHost::OfferSaveAtExit() {
    if (!m_window || !m_window->Unsaved())
        return;
    if (m_messages.Question(QStringLiteral(
            "The air-flow test in the Traverse window is not saved. Save it as a CSV file?")))
        m_window->Save();
}
