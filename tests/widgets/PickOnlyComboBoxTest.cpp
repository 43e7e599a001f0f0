#include "widgets/PickOnlyComboBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

namespace {

// One notch of the wheel over the box's text field, delivered as the window system delivers it:
// to the widget under the pointer, giving the focus to whoever takes it by wheel, and passed up
// to the parents while nobody accepts it.
void wheelOver(PickOnlyComboBox& box, int notches) {
    QWidget* under = box.lineEdit();
    const QPointF at = under->rect().center();
    QWheelEvent wheel(at, under->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel); // notify, unlike sendEvent, keeps it so
    QApplication::instance()->notify(under, &wheel);
}

} // namespace

class PickOnlyComboBoxTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wheelPicksOnlyWithFocus();
    void arrowsStepFromTheTextShown_data();
    void arrowsStepFromTheTextShown();

private:
    QWidget* m_window = nullptr;
    PickOnlyComboBox* m_box = nullptr;
    QLineEdit* m_other = nullptr;
    QStringList m_picked;
};

void PickOnlyComboBoxTest::init() {
    m_window = new QWidget;
    auto* layout = new QVBoxLayout(m_window);
    m_other = new QLineEdit(m_window);
    m_box = new PickOnlyComboBox(m_window);
    layout->addWidget(m_other);
    layout->addWidget(m_box);
    m_box->addItems({"4000", "400", "40", "4"});
    m_picked.clear();
    connect(m_box, &PickOnlyComboBox::Picked, this, [this] { m_picked << m_box->currentText(); });
    m_window->show();
    QApplication::setActiveWindow(m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void PickOnlyComboBoxTest::cleanup() {
    delete m_window;
}

void PickOnlyComboBoxTest::wheelPicksOnlyWithFocus() {
    m_box->setEditText(QStringLiteral("400"));
    m_other->setFocus();
    QTRY_VERIFY(m_other->hasFocus());

    // A stray scroll while typing elsewhere: the box keeps its entry and does not take the focus.
    wheelOver(*m_box, -1);
    wheelOver(*m_box, 1);
    QVERIFY(m_picked.isEmpty());
    QCOMPARE(m_box->currentText(), QStringLiteral("400"));
    QVERIFY(m_other->hasFocus());

    // Once the user is in the box, the wheel picks like the arrow keys.
    m_box->setFocus();
    QTRY_VERIFY(m_box->hasFocus());
    wheelOver(*m_box, -1);
    QCOMPARE(m_picked, QStringList{"40"});
}

void PickOnlyComboBoxTest::arrowsStepFromTheTextShown_data() {
    QTest::addColumn<QString>("shown"); // set from code
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("picked"); // "" for no pick
    QTest::newRow("down from an entry") << "400" << int(Qt::Key_Down) << "40";
    QTest::newRow("up from an entry") << "400" << int(Qt::Key_Up) << "4000";
    QTest::newRow("down from the last entry") << "4" << int(Qt::Key_Down) << "";
}

void PickOnlyComboBoxTest::arrowsStepFromTheTextShown() {
    QFETCH(QString, shown);
    QFETCH(int, key);
    QFETCH(QString, picked);
    m_box->setCurrentIndex(0); // an entry picked earlier, then the text changed by code
    m_box->setEditText(shown);
    QVERIFY(m_picked.isEmpty()); // setting the text picks nothing
    QCOMPARE(m_box->currentText(), shown);
    m_box->setFocus();
    QTest::keyClick(m_box, Qt::Key(key));
    QCOMPARE(m_picked, picked.isEmpty() ? QStringList() : QStringList{picked});
}

QTEST_MAIN(PickOnlyComboBoxTest)
#include "PickOnlyComboBoxTest.moc"
