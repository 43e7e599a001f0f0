#pragma once

#include <QString>
#include <QStringList>

// The caption of every message box that has none of its own.
inline constexpr char16_t kMessageCaption[] = u"Brisel";

// Modal message boxes. The widgets library shows real ones; tests answer them with a script.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // A question with Yes and No buttons; true for Yes.
    virtual bool Question(const QString& text) = 0;

    // A question with a button for each choice (the first is the default; the last is also
    // what closing the box chooses); the index of the button chosen.
    virtual int Choice(const QString& text, const QStringList& choices) {
        return Question(text) ? 0 : int(choices.size()) - 1;
    }

    // A message with an OK button.
    virtual void Message(const QString& text) = 0;

    // A message with an OK button and, under its text, the detail: why, and what to do.
    virtual void DetailedMessage(const QString& text, const QString& /*detail*/) { Message(text); }
};
