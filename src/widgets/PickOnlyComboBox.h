#pragma once

#include <QComboBox>

// A drop-down box with an editable text field whose click event, Picked(), is raised only when
// the user chooses an entry of its list: with the mouse in the open list or with the arrow keys.
// Typing, Enter and leaving the box pick nothing, even when the typed text equals an entry (a
// plain editable QComboBox reports that as a choice); setting the text from code picks nothing
// either. Typed text is never added to the list, and nothing is completed while typing.
class PickOnlyComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PickOnlyComboBox(QWidget* parent = nullptr);

signals:
    void Picked();
};
