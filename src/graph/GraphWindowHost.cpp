#include "graph/GraphWindowHost.h"

#include "widgets/ScreenUpdatePacing.h"

#include <algorithm>

GraphWindowHost::GraphWindowHost(GVarMod& state, ShowForm& show, MessageBoxes& boxes,
                                 GraphPrinting printing)
    : m_state(state)
    , m_show(show)
    , m_boxes(boxes)
    , m_printing(std::move(printing)) {}

GraphWindowHost::~GraphWindowHost() {
    CloseGraph();
}

GraphPeer* GraphWindowHost::VisibleGraph() {
    if (m_window && m_window->isVisible())
        return m_window.data();
    return nullptr;
}

GraphPeer* GraphWindowHost::OpenGraph() {
    if (!m_window) {
        auto* window = new GraphForm(m_state, m_show, m_boxes, m_printing);
        PaceScreenUpdates(*window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // Closed by the user: it is deleted on the next pass of the event loop and no longer
        // counts as loaded from now on.
        connect(window, &GraphForm::Unloaded, this, [this, window] {
            if (m_window == window) {
                std::erase_if(m_closed, [](const QPointer<GraphForm>& w) { return w.isNull(); });
                m_closed.emplace_back(window);
                m_window = nullptr;
            }
        });
        window->Form_Load();
        m_window = window;
    }
    if (m_window->isMinimized())
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return m_window.data();
}

void GraphWindowHost::CloseGraph() {
    std::vector<QPointer<GraphForm>> windows = std::move(m_closed);
    m_closed.clear();
    windows.emplace_back(m_window);
    m_window = nullptr;
    for (const QPointer<GraphForm>& w : windows)
        delete w.data();
}
