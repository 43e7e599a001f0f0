#include "widgets/ScreenUpdatePacing.h"
#include "widgets/BeforeNextRepaint.h"

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
    auto* label = new ScreenLabel(QStringLiteral("0"), &window);
    label->resize(200, 50);
    PaceScreenUpdates(window, kInterval);
    window.show();
    QTRY_COMPARE(label->painted, QStringLiteral("0"));

    // Ten changes: each takes effect at once; the screen follows at most twice (at once after a
    // quiet interval, then when the interval is up), and ends showing the last.
    // A step due before the repaint (moving pixels) runs once, just before the one that ends it.
    const int before = label->paints;
    int paintsAtStep = -1;
    for (int i = 1; i <= 10; ++i) {
        label->setText(QString::number(i));
        if (i == 5)
            BeforeNextRepaint(*label, [&] { paintsAtStep = label->paints; });
        QCoreApplication::processEvents();
    }
    QCOMPARE(paintsAtStep, -1);
    QTRY_COMPARE_WITH_TIMEOUT(label->painted, QStringLiteral("10"), 3 * kInterval);
    QVERIFY2(label->paints - before <= 2, qPrintable(QString::number(label->paints - before)));
    QCOMPARE(paintsAtStep, label->paints - 1);

    QTest::qWait(kInterval + 100); // quiet: the next change shows at once
    label->setText(QStringLiteral("11"));
    QCoreApplication::processEvents();
    QCOMPARE(label->painted, QStringLiteral("11"));
}

QTEST_MAIN(ScreenUpdatePacingTest)
#include "ScreenUpdatePacingTest.moc"
