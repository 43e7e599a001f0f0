#pragma once

#include <QDateTime>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class RunAlarms;

// The "Alarms" window: the rules (added, removed, remembered in the settings), where each stands,
// the events of this run, a note added with the current time, and whether a raised alarm sounds.
// It draws what RunAlarms holds and redraws when that changes.
class AlarmsForm : public QWidget {
    Q_OBJECT
public:
    AlarmsForm(RunAlarms& alarms, std::function<QDateTime()> now, QWidget* parent = nullptr);

    // Whether a raised alarm also sounds (the check box, remembered).
    bool Sound() const;

    QTableWidget* rulesTable() const { return m_rules; }
    QTreeWidget* eventsList() const { return m_events; }
    QLineEdit* ruleEdit() const { return m_ruleEdit; }
    QLineEdit* noteEdit() const { return m_noteEdit; }
    QPushButton* addRuleButton() const { return m_addRule; }
    QPushButton* noteButton() const { return m_addNote; }
    QLabel* ruleMessage() const { return m_ruleMessage; }

private:
    void addRule();
    void removeRule();
    void addNote();
    void remember();
    void redraw();

    RunAlarms& m_alarms;
    std::function<QDateTime()> m_now;
    QTableWidget* m_rules = nullptr;
    QLineEdit* m_ruleEdit = nullptr;
    QPushButton* m_addRule = nullptr;
    QPushButton* m_removeRule = nullptr;
    QLabel* m_ruleMessage = nullptr;
    QCheckBox* m_sound = nullptr;
    QTreeWidget* m_events = nullptr;
    QLineEdit* m_noteEdit = nullptr;
    QPushButton* m_addNote = nullptr;
    std::size_t m_eventsShown = 0;
};
