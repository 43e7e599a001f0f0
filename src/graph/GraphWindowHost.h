#pragma once

#include "graph/GraphForm.h"
#include "live/GraphPeer.h"

#include <QObject>
#include <QPointer>

#include <vector>

class GVarMod;
class MessageBoxes;
class ShowForm;

// The way to the graph window. The window is created, loaded and shown when it is needed and not
// loaded; the user's close box deletes it, and the next opening creates it afresh from its design
// state. Whoever asks for the visible graph gets nothing while it is closed, never a stale window.
//
// The live display reaches it through ShowForm::SetGraphAccess; the main window calls CloseGraph
// at exit. The host must outlive neither the state, the live display nor the message boxes.
class GraphWindowHost : public QObject, public GraphWindowAccess {
    Q_OBJECT
public:
    GraphWindowHost(GVarMod& state, ShowForm& show, MessageBoxes& boxes,
                    GraphPrinting printing = {});
    ~GraphWindowHost() override; // closes the window

    // The graph window while it is shown, otherwise nothing.
    GraphPeer* VisibleGraph() override;
    // Shows the graph window, not modal, loading it first when it is not loaded.
    GraphPeer* OpenGraph() override;
    // Unloads the graph window at once, if it is loaded.
    void CloseGraph();

    // The loaded window (shown or not), or nothing.
    GraphForm* Window() const { return m_window; }

private:
    GVarMod& m_state;
    ShowForm& m_show;
    MessageBoxes& m_boxes;
    GraphPrinting m_printing;
    QPointer<GraphForm> m_window;
    // Windows the user closed that are waiting to be deleted.
    std::vector<QPointer<GraphForm>> m_closed;
};
