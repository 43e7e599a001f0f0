#pragma once

#include <QStringList>

// A modal dialog that picks files to open. The widgets library provides the real dialog; tests
// answer it with a script.
class OpenDialog {
public:
    virtual ~OpenDialog() = default;
    // The chosen files (several at once), or none when the user cancels. filter is the dialog's
    // name filter: "Recordings (*.csv *.txt);;All files (*)".
    virtual QStringList AskOpenPaths(const QString& title, const QString& filter) = 0;
};
