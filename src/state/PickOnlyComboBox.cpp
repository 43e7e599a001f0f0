#include "state/PickOnlyComboBox.h"

#include <QKeyEvent>
#include <QLineEdit>

PickOnlyComboBox::PickOnlyComboBox(QWidget* parent)
    : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    lineEdit()->installEventFilter(this);
}

bool PickOnlyComboBox::eventFilter(QObject* watched, QEvent* event) {
    // An editable box picks the entry equal to the typed text on Enter; here Enter in the text
    // field does nothing.
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QComboBox::eventFilter(watched, event);
}
