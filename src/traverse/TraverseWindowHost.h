#pragma once

#include "traverse/TraverseForm.h"

#include <QDateTime>

#include <functional>
#include <memory>

class FileSaveDialog;
class WindowMessageBoxes;
class MessageBoxes;
class PrintTarget;
class SaveDialog;
class SystemTraverseClock;
class TraverseClock;

// The way to the traverse window. It is created when first opened and kept, hidden, when the user
// closes it, so a traverse survives closing until "New traverse". The reception handler asks
// Listening() for every frame: nothing while the window is closed.
class TraverseWindowHost {
public:
    struct Seams {
        SaveDialog* dialog = nullptr;       // null: a file dialog over the window
        TraverseClock* clock = nullptr;     // null: the system clock
        PrintTarget* printTarget = nullptr; // null: the default printer
        std::function<QDateTime()> now = [] {
            return QDateTime::currentDateTime();
        };
        // Called once the window is made, before it is first shown.
        std::function<void(TraverseForm&)> created = {};
    };
    TraverseWindowHost(MessageBoxes& messages, Seams seams);
    ~TraverseWindowHost();
    TraverseWindowHost(const TraverseWindowHost&) = delete;
    TraverseWindowHost& operator=(const TraverseWindowHost&) = delete;

    // Shows the window, creating it the first time, and brings it to the front.
    TraverseForm* Open();
    // The window while it is open (shown, minimised included), otherwise nothing.
    TraverseForm* Listening() const {
        return m_window && m_window->isVisible() ? m_window.get() : nullptr;
    }
    // Closes the window (at exit): a running take is cancelled.
    void Close();
    // Whether the meter is connected: a take does not start while it is not, and one running
    // ends, storing nothing, when it goes.
    void SetMeterOnline(bool online);
    // At exit: a test with points not yet saved is offered for saving (as CSV).
    void OfferSaveAtExit();

private:
    MessageBoxes& m_messages;
    Seams m_seams;
    std::unique_ptr<FileSaveDialog> m_ownDialog;
    // The program's real message boxes show over the traverse window, not the main window.
    std::unique_ptr<WindowMessageBoxes> m_ownMessages;
    bool m_online = true;
    std::unique_ptr<SystemTraverseClock> m_ownClock;
    std::unique_ptr<TraverseForm> m_window;
};
