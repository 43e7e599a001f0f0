#include "state/WindowDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

bool WindowMessageBoxes::Question(const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf16(kMessageCaption), text,
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void WindowMessageBoxes::Message(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf16(kMessageCaption), text,
                    QMessageBox::Ok, m_parent);
    box.exec();
}

QString WindowSaveDialog::Show(const Request& request) {
    QFileDialog dialog(m_parent, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QString());
    // The description names the pattern already ("text files (*.txt)"); add it when it does not.
    QString filter = request.description;
    if (!request.pattern.isEmpty() && !filter.contains(u'(' + request.pattern + u')'))
        filter += QStringLiteral(" (%1)").arg(request.pattern);
    dialog.setNameFilter(filter);
    if (!request.startName.isEmpty())
        dialog.selectFile(request.startName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
