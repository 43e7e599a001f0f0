#include "widgets/PickOnlyComboBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

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
    connect(this, &QComboBox::activated, this, [this, edit] {
        if (!edit->Finishing())
            emit Picked();
    });
}
