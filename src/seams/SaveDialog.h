#pragma once

#include <QString>

// A modal save-file dialog owned by a window. It remembers the last name chosen in it and offers
// that name as the starting name the next time. The widgets library provides the real dialog;
// tests answer it with a script.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;

    // The last file name chosen in this dialog (empty until one is chosen).
    const QString& FileName() const { return m_fileName; }

    struct Request {
        QString title;       // "Save"
        QString description; // "text files (*.txt)"
        QString pattern;     // "*.txt"
        QString startName;   // the last name chosen here
    };

protected:
    // Shows the dialog: no default extension, no initial folder, no overwrite question.
    // Returns the chosen path, or an empty text when the user cancels.
    virtual QString Show(const Request& request) = 0;

private:
    friend QString AskSavePath(SaveDialog& dialog, const QString& filter);
    QString m_fileName;
};

// Asks for a file to save to. filter is one entry, the description before the bar and the pattern
// after it: "text files (*.txt)|*.txt". Returns the chosen path, or an empty text on cancel.
QString AskSavePath(SaveDialog& dialog, const QString& filter);
