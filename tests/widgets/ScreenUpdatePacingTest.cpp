#include "widgets/ScreenUpdatePacing.h"

#include <QLabel>
#include <QTest>

namespace {

// A label that notes what it last put on the screen.
class ScreenLabel : public QLabel {
public:
    using QLabel::QLabel;
    int paints = 0;
    QString painted;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        painted = text();
        QLabel::paintEvent(event);
    }
};

} // namespace

class ScreenUpdatePacingTest : public QObject {
    Q_OBJECT
private slots:
    void burstsArePacedAndTheLastStateShows();
};

void ScreenUpdatePacingTest::burstsArePacedAndTheLastStateShows() {
    constexpr int kInterval = 2000; // longer than any pause of a busy machine between two events
    QWidget window;
    window.resize(200, 50);
    auto* label = new ScreenLabel(QStringLiteral("0"), &window);
    label->setGeometry(0, 0, 200, 50);
    PaceScreenUpdates(window, kInterval);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(label->painted, QStringLiteral("0"));

    // A burst of changes: each takes effect at once, the screen follows at most twice (at once
    // when the window had been quiet, then once when the interval is up), with the last state.
    const int before = label->paints;
    for (int i = 1; i <= 10; ++i) {
        label->setText(QString::number(i));
        QCoreApplication::processEvents();
        QCOMPARE(label->text(), QString::number(i));
    }
    QTRY_COMPARE_WITH_TIMEOUT(label->painted, QStringLiteral("10"), 3 * kInterval);
    QVERIFY2(label->paints - before <= 2, qPrintable(QString::number(label->paints - before)));

    // After a quiet interval, a change reaches the screen at once.
    QTest::qWait(kInterval + 100);
    label->setText(QStringLiteral("11"));
    QCoreApplication::processEvents();
    QCOMPARE(label->painted, QStringLiteral("11"));
}

QTEST_MAIN(ScreenUpdatePacingTest)
#include "ScreenUpdatePacingTest.moc"
