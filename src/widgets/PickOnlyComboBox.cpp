#include "widgets/PickOnlyComboBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

namespace {

// The box's text field. While it handles a key or loses the focus, the box matches the typed text
// against its list and may report a choice; that report is not the user's choice. Keys the field
// does not use (the arrows) reach the box after the field is done, so they still pick.
class PickOnlyEdit : public QLineEdit {
public:
    explicit PickOnlyEdit(QWidget* parent)
        : QLineEdit(parent) {}

    bool Finishing() const { return m_finishing; }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool outer = m_finishing;
        m_finishing = true;
        QLineEdit::keyPressEvent(event);
        m_finishing = outer;
    }
    void focusOutEvent(QFocusEvent* event) override {
        const bool outer = m_finishing;
        m_finishing = true;
        QLineEdit::focusOutEvent(event);
        m_finishing = outer;
    }

private:
    bool m_finishing = false;
};

} // namespace

PickOnlyComboBox::PickOnlyComboBox(QWidget* parent)
    : QComboBox(parent) {
    auto* edit = new PickOnlyEdit(this);
    setLineEdit(edit);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setFocusPolicy(Qt::StrongFocus); // not Qt::WheelFocus: a scroll does not take the focus
    connect(this, &QComboBox::activated, this, [this, edit] {
        if (!edit->Finishing())
            emit Picked();
    });
    // Text set from code (not typed) moves the current entry along.
    connect(edit, &QLineEdit::textChanged, this, [this, edit](const QString& text) {
        if (!edit->Finishing())
            followText(text);
    });
}

void PickOnlyComboBox::followText(const QString& text) {
    if (m_following)
        return;
    const int entry = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry == currentIndex())
        return;
    m_following = true;
    setCurrentIndex(entry); // no entry clears the text: put it back
    if (entry < 0)
        setEditText(text);
    m_following = false;
}

void PickOnlyComboBox::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore(); // for the window under it to scroll, if it does
        return;
    }
    QComboBox::wheelEvent(event);
}
