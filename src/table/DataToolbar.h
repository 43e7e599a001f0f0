#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>

#include <array>

class QToolButton;

// The data table's toolbar: four icon buttons without captions, keyed "new", "save", "to_xls"
// and "print" (each key is also the button's tool tip). Tab reaches the buttons and Space presses
// them.
class DataToolbar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kButtons = 4;
    static const std::array<QString, kButtons>& Keys();

    explicit DataToolbar(QWidget* parent = nullptr);

    QToolButton* Button(int index) const { return m_buttons[static_cast<std::size_t>(index)]; }

signals:
    // The key of the clicked button.
    void ButtonClick(const QString& key);

private:
    std::array<QToolButton*, kButtons> m_buttons{};
};

// The 16 x 16 toolbar icons, drawn in code, in button order: blank sheet, floppy disk, green
// spreadsheet, printer.
QIcon ToolbarIcon(int index);
