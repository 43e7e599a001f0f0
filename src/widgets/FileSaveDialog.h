#pragma once

#include "seams/SaveDialog.h"

#include <QPointer>
#include <QWidget>

// The save dialog on screen: a modal file dialog over its owner window, titled as asked, with the
// one filter entry, no default extension and no overwrite question, starting at the last chosen
// name. Each window that saves files owns one.
class FileSaveDialog : public SaveDialog {
public:
    explicit FileSaveDialog(QWidget* owner = nullptr);

    void SetOwner(QWidget* owner) { m_owner = owner; }

    // The filter line the file dialog shows: the description, followed by the pattern in
    // parentheses unless the description already ends with it.
    static QString NameFilter(const QString& description, const QString& pattern);

protected:
    QString Show(const Request& request) override;

private:
    QPointer<QWidget> m_owner;
};
