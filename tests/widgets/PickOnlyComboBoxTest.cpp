#include "widgets/PickOnlyComboBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

class PickOnlyComboBoxTest : public QObject {
    Q_OBJECT
private slots:
    void onlyDeliberatePicks();
};

void PickOnlyComboBoxTest::onlyDeliberatePicks() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* box = new PickOnlyComboBox(&window);
    layout->addWidget(other);
    layout->addWidget(box);
    box->addItems({"4000", "400", "40", "4"});
    QStringList picked;
    connect(box, &PickOnlyComboBox::Picked, this, [&] { picked << box->currentText(); });
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // One notch of the wheel over the box's text field, as the window system delivers it: to the
    // widget under the pointer, focusing whoever takes the focus by wheel, passed up until taken.
    const auto wheel = [box] {
        QWidget* under = box->lineEdit();
        const QPointF at = under->rect().center();
        QWheelEvent notch(at, under->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&notch); // notify, unlike sendEvent, keeps it so
        QApplication::instance()->notify(under, &notch);
    };

    box->setCurrentIndex(0);
    box->setEditText(QStringLiteral("400")); // from code: picks nothing, the entry follows
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    wheel(); // a stray scroll while the user types elsewhere
    QVERIFY(picked.isEmpty());
    QCOMPARE(box->currentText(), QStringLiteral("400"));
    QVERIFY(other->hasFocus());

    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Down); // from the text shown, not from the old entry
    QCOMPARE(picked, QStringList{"40"});
    wheel(); // in the box, the wheel picks like the arrow keys
    QCOMPARE(picked, (QStringList{"40", "4"}));
}

QTEST_MAIN(PickOnlyComboBoxTest)
#include "PickOnlyComboBoxTest.moc"
