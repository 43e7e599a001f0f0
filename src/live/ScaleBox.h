#pragma once

#include <QComboBox>

// The scale box of both chart windows: a drop-down list with an editable text field, no
// completion and no insertion of typed texts.
//
// Picked() is its click event: it is raised only when the user chooses an entry of the list, with
// the mouse in the drop-down list or with the arrow keys. Typing, Enter and leaving the box apply
// nothing, even when the typed text matches an entry (a plain QComboBox reports that as a choice).
// Setting the text from code raises nothing either.
class ScaleBox : public QComboBox {
    Q_OBJECT
public:
    explicit ScaleBox(QWidget* parent = nullptr);

signals:
    void Picked();
};
