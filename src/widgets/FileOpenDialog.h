#pragma once

#include "seams/OpenDialog.h"

#include <QPointer>
#include <QWidget>

// The open dialog on screen: a modal file dialog over its owner window that picks one or more
// existing files, starting in the folder of the last pick.
class FileOpenDialog : public OpenDialog {
public:
    explicit FileOpenDialog(QWidget* owner = nullptr)
        : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }
    QStringList AskOpenPaths(const QString& title, const QString& filter) override;

private:
    QPointer<QWidget> m_owner;
    QString m_folder;
};
