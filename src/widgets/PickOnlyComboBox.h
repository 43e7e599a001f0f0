#pragma once

#include <QComboBox>

// A drop-down box with an editable text field whose click event, Picked(), is raised only when
// the user chooses an entry of its list: with the mouse in the open list or with the arrow keys.
// Typing, Enter and leaving the box pick nothing, even when the typed text equals an entry (a
// plain editable QComboBox reports that as a choice); setting the text from code picks nothing
// either. Typed text is never added to the list, and nothing is completed while typing.
//
// Only deliberate picks count: the mouse wheel changes nothing unless the box has the keyboard
// focus (the wheel goes to whatever lies under the pointer, and it does not give the box the
// focus). Whenever code sets the text, the box's current entry follows it (the entry with that
// text, or none), so the arrow keys step from the text shown.
class PickOnlyComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PickOnlyComboBox(QWidget* parent = nullptr);

signals:
    void Picked();

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void followText(const QString& text);

    bool m_following = false;
};
