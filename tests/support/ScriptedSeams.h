#pragma once

// Message boxes and save dialogs answered from a script, recording what they were asked.

#include "seams/MessageBoxes.h"
#include "seams/OpenDialog.h"
#include "seams/SaveDialog.h"

#include <QList>
#include <QStringList>

class ScriptedMessages : public MessageBoxes {
public:
    QStringList shown;   // every question and message, in order
    QStringList details; // the detail of every message that had one, in order
    QList<bool> answers; // answers to the questions in turn; No once they run out

    bool Question(const QString& text) override {
        shown << text;
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    QList<int> choices;  // choices made in turn; the last one offered once they run out
    QStringList offered; // the choices of every Choice box, joined by "|"
    int Choice(const QString& text, const QStringList& buttons) override {
        shown << text;
        offered << buttons.join(u'|');
        return choices.isEmpty() ? int(buttons.size()) - 1 : choices.takeFirst();
    }
    void Message(const QString& text) override { shown << text; }
    void DetailedMessage(const QString& text, const QString& detail) override {
        shown << text;
        details << detail;
    }
};

class ScriptedSaveDialog : public SaveDialog {
public:
    QStringList answers; // chosen paths in turn; an empty one (or none left) cancels
    QList<Request> asked;

protected:
    QString Show(const Request& request) override {
        asked.append(request);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// The dialog that picks files to open, answered in turn; none left (or an empty list) cancels.
class ScriptedOpenPaths : public OpenDialog {
public:
    QList<QStringList> answers;
    QStringList AskOpenPaths(const QString&, const QString&) override {
        return answers.isEmpty() ? QStringList() : answers.takeFirst();
    }
};
