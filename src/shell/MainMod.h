#pragma once

#include <QStringList>

// How the program was started.
struct StartOptions {
    // Feed the program from the simulated meter on a pseudo-terminal instead of looking for the
    // meter's USB bridge.
    bool demo = false;
    // Keep a recovery log in the user's state folder and offer back the readings of runs that did
    // not end normally.
    bool recovery = true;
    // Connect to this port at start, as CONNECT does with a typed name, instead of looking for the
    // meter's USB bridge. Empty: look for the bridge.
    QString port;
    // Saved files to open in recording windows at start.
    QStringList files;
};

// The start procedure: sets the shared state, builds the main window with its child windows on
// the real serial port, message boxes and dialogs, shows it and runs until it is closed.
// Needs a QApplication. Returns the process's exit code.
int MainMod(const StartOptions& options);
