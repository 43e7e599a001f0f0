#include "widgets/WindowMessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

bool WindowMessageBoxes::Question(const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf16(kMessageCaption), text,
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

int WindowMessageBoxes::Choice(const QString& text, const QStringList& choices) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf16(kMessageCaption), text,
                    QMessageBox::NoButton, m_parent);
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
        buttons << box.addButton(choice, QMessageBox::AcceptRole);
    if (buttons.isEmpty())
        return -1;
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
    box.setEscapeButton(buttons.last());
    box.exec();
    const qsizetype chosen = buttons.indexOf(box.clickedButton());
    return int(chosen < 0 ? buttons.size() - 1 : chosen);
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
