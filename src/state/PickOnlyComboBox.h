#pragma once

#include <QComboBox>

// A drop-down box with an editable text whose list entries count only when the user picks one
// (activated, with the mouse or with the keyboard in the open list). Typing and Enter in the text
// field pick nothing, typed text is never added to the list, and nothing is completed while
// typing.
class PickOnlyComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PickOnlyComboBox(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
