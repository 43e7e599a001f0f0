#include "widgets/WindowMessageBoxes.h"

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

void WindowMessageBoxes::DetailedMessage(const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf16(kMessageCaption), text,
                    QMessageBox::Ok, m_parent);
    box.setInformativeText(detail);
    box.exec();
}
