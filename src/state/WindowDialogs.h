#pragma once

#include "state/MessageBoxes.h"
#include "state/SaveDialog.h"

class QWidget;

// Message boxes shown as modal QMessageBox dialogs captioned "Brisel".
class WindowMessageBoxes : public MessageBoxes {
public:
    explicit WindowMessageBoxes(QWidget* parent = nullptr)
        : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    bool Question(const QString& text) override;
    void Message(const QString& text) override;

private:
    QWidget* m_parent;
};

// The save dialog as a modal QFileDialog: one filter entry, no default suffix, no overwrite
// question, starting with the last name chosen in it.
class WindowSaveDialog : public SaveDialog {
public:
    explicit WindowSaveDialog(QWidget* parent = nullptr)
        : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

protected:
    QString Show(const Request& request) override;

private:
    QWidget* m_parent;
};
