#include "alarms/AlarmsForm.h"

#include "alarms/RunAlarms.h"
#include "state/SystemTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QColor kRaisedColour(200, 0, 0);
const QColor kClearColour(0, 128, 0);

QString stateText(const AlarmRule& rule, const AlarmRuleState& state) {
    if (state.raised)
        return QStringLiteral("RAISED");
    if (state.holdingSinceMs)
        return QStringLiteral("holding");
    return rule.quantity == AlarmQuantity::NoData || state.lastValue
               ? QStringLiteral("clear")
               : QStringLiteral("no value yet");
}

} // namespace

AlarmsForm::AlarmsForm(RunAlarms& alarms, std::function<QDateTime()> now, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_alarms(alarms)
    , m_now(std::move(now)) {
    setWindowTitle(QStringLiteral("Alarms"));
    resize(640, 520);

    auto* rulesBox = new QGroupBox(QStringLiteral("Rules"), this);
    m_rules = new QTableWidget(0, 4, rulesBox);
    m_rules->setHorizontalHeaderLabels({QStringLiteral("Rule"), QStringLiteral("State"),
                                        QStringLiteral("Last value"), QStringLiteral("Since")});
    m_rules->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_rules->verticalHeader()->hide();
    m_rules->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rules->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rules->setSelectionMode(QAbstractItemView::SingleSelection);
    m_ruleEdit = new QLineEdit(rulesBox);
    m_ruleEdit->setPlaceholderText(
        QStringLiteral("velocity < 2.5 m/s for 30s hysteresis 0.2   or   no-data 60s"));
    m_ruleEdit->setAccessibleName(QStringLiteral("New rule"));
    m_addRule = new QPushButton(QStringLiteral("&Add rule"), rulesBox);
    m_removeRule = new QPushButton(QStringLiteral("&Remove rule"), rulesBox);
    m_ruleMessage = new QLabel(rulesBox);
    m_ruleMessage->setWordWrap(true);
    QPalette warn = m_ruleMessage->palette();
    warn.setColor(QPalette::WindowText, kRaisedColour);
    m_ruleMessage->setPalette(warn);
    m_sound = new QCheckBox(QStringLiteral("&Sound when an alarm is raised"), rulesBox);
    auto* ruleRow = new QHBoxLayout;
    ruleRow->addWidget(m_ruleEdit, 1);
    ruleRow->addWidget(m_addRule);
    ruleRow->addWidget(m_removeRule);
    auto* rulesLayout = new QVBoxLayout(rulesBox);
    rulesLayout->addWidget(m_rules);
    rulesLayout->addLayout(ruleRow);
    rulesLayout->addWidget(m_ruleMessage);
    rulesLayout->addWidget(m_sound);

    auto* eventsBox = new QGroupBox(QStringLiteral("Events of this run"), this);
    m_events = new QTreeWidget(eventsBox);
    m_events->setRootIsDecorated(false);
    m_events->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Event"),
                               QStringLiteral("Rule or note"), QStringLiteral("Value")});
    m_events->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_events->header()->setStretchLastSection(false);
    m_noteEdit = new QLineEdit(eventsBox);
    m_noteEdit->setPlaceholderText(QStringLiteral("A note for the record, with the current time"));
    m_noteEdit->setAccessibleName(QStringLiteral("Note"));
    m_noteEdit->setMaxLength(int(kLongestNote));
    m_addNote = new QPushButton(QStringLiteral("Add &note"), eventsBox);
    auto* noteRow = new QHBoxLayout;
    noteRow->addWidget(m_noteEdit, 1);
    noteRow->addWidget(m_addNote);
    auto* eventsLayout = new QVBoxLayout(eventsBox);
    eventsLayout->addWidget(m_events);
    eventsLayout->addLayout(noteRow);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rulesBox, 2);
    layout->addWidget(eventsBox, 3);

    QSettings settings(QStringLiteral("Vantello"), QStringLiteral("Vantello"));
    const AlarmSettings saved = ReadAlarmSettings(settings);
    m_sound->setChecked(saved.sound);

    connect(m_addRule, &QPushButton::clicked, this, &AlarmsForm::addRule);
    connect(m_ruleEdit, &QLineEdit::returnPressed, this, &AlarmsForm::addRule);
    connect(m_removeRule, &QPushButton::clicked, this, &AlarmsForm::removeRule);
    connect(m_addNote, &QPushButton::clicked, this, &AlarmsForm::addNote);
    connect(m_noteEdit, &QLineEdit::returnPressed, this, &AlarmsForm::addNote);
    connect(m_sound, &QCheckBox::toggled, this, &AlarmsForm::remember);
    connect(&m_alarms, &RunAlarms::Changed, this, &AlarmsForm::redraw);
    redraw();
    // What is typed most during a run: a note.
    m_noteEdit->setFocus();
}

bool AlarmsForm::Sound() const {
    return m_sound->isChecked();
}

void AlarmsForm::addRule() {
    const QString text = m_ruleEdit->text().simplified();
    if (text.isEmpty())
        return;
    QString why;
    if (!m_alarms.SetRules(m_alarms.RuleTexts() << text, m_now(), &why)) {
        m_ruleMessage->setText(QStringLiteral("This rule cannot be read: %1").arg(why));
        return;
    }
    m_ruleMessage->clear();
    m_ruleEdit->clear();
    remember();
}

void AlarmsForm::removeRule() {
    const int row = m_rules->currentRow();
    QStringList texts = m_alarms.RuleTexts();
    if (row < 0 || row >= texts.size())
        return;
    texts.removeAt(row);
    QString why;
    m_alarms.SetRules(texts, m_now(), &why);
    remember();
}

void AlarmsForm::addNote() {
    if (m_alarms.AddNote(m_noteEdit->text(), m_now()))
        m_noteEdit->clear();
}

void AlarmsForm::remember() {
    QSettings settings(QStringLiteral("Vantello"), QStringLiteral("Vantello"));
    WriteAlarmSettings(settings, {m_alarms.RuleTexts(), m_sound->isChecked()});
}

void AlarmsForm::redraw() {
    const std::vector<AlarmRule>& rules = m_alarms.Watch().Rules();
    const std::vector<AlarmRuleState>& states = m_alarms.Watch().States();
    m_rules->setRowCount(int(rules.size()));
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const AlarmRuleState& s = states[i];
        const QString cells[] = {
            rules[i].text, stateText(rules[i], s),
            s.lastValue ? EventNumberText(*s.lastValue) + u' ' + rules[i].UnitText() : QString(),
            s.changedAt.isValid() ? ClockText(s.changedAt) : QString()};
        for (int c = 0; c < 4; ++c) {
            QTableWidgetItem* item = m_rules->item(int(i), c);
            if (!item) {
                item = new QTableWidgetItem;
                m_rules->setItem(int(i), c, item);
            }
            item->setText(cells[c]);
            if (c == 1)
                item->setForeground(s.raised ? kRaisedColour : kClearColour);
        }
    }
    m_rules->resizeColumnsToContents();
    m_rules->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    // Events only ever come at the end (the oldest may go from the start of a long list).
    const std::vector<RunEvent>& events = m_alarms.Events();
    if (events.size() < m_eventsShown || events.size() == RunAlarms::kListedEvents) {
        m_events->clear();
        m_eventsShown = 0;
    }
    for (std::size_t i = m_eventsShown; i < events.size(); ++i) {
        const RunEvent& e = events[i];
        const bool note = e.kind == RunEventKind::Note;
        auto* item = new QTreeWidgetItem(
            {ClockText(e.at),
             note ? QStringLiteral("note") : QStringLiteral("alarm ") + e.ChangeText(),
             note ? e.note : e.rule, e.ValueText()});
        if (!note)
            item->setForeground(1, e.change == AlarmChange::Raised ? kRaisedColour : kClearColour);
        m_events->addTopLevelItem(item);
    }
    if (events.size() > m_eventsShown)
        m_events->scrollToBottom();
    m_eventsShown = events.size();
    for (int c = 0; c < 4; ++c)
        if (c != 2)
            m_events->resizeColumnToContents(c);
}
