#include "widgets/FileSaveDialog.h"

#include <QFileDialog>

FileSaveDialog::FileSaveDialog(QWidget* owner)
    : m_owner(owner) {}

QString FileSaveDialog::NameFilter(const QString& description, const QString& pattern) {
    if (pattern.isEmpty() || description.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')')))
        return description;
    return description + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

QString FileSaveDialog::Show(const Request& request) {
    QFileDialog dialog(m_owner, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(QString());
    dialog.setNameFilter(NameFilter(request.description, request.pattern));
    if (!request.startName.isEmpty())
        dialog.selectFile(request.startName);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}
