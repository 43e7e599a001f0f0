#pragma once

#include "seams/MessageBoxes.h"

class QWidget;

// Message boxes shown as modal QMessageBox dialogs captioned "Brisel".
class WindowMessageBoxes : public MessageBoxes {
public:
    explicit WindowMessageBoxes(QWidget* parent = nullptr)
        : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    bool Question(const QString& text) override;
    int Choice(const QString& text, const QStringList& choices) override;
    void Message(const QString& text) override;
    // The detail is the box's informative text, shown under the message.
    void DetailedMessage(const QString& text, const QString& detail) override;

private:
    QWidget* m_parent;
};
