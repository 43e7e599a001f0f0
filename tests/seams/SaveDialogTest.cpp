#include "seams/SaveDialog.h"
#include "support/ScriptedSeams.h"

#include <QStringList>
#include <QTest>

class SaveDialogTest : public QObject {
    Q_OBJECT
private slots:
    void asksWithTitleAndOneFilterEntry();
    void remembersLastChosenName();
};

void SaveDialogTest::asksWithTitleAndOneFilterEntry() {
    ScriptedSaveDialog d;
    d.answers = {QStringLiteral("/tmp/a")};
    QCOMPARE(AskSavePath(d, QStringLiteral("text files (*.txt)|*.txt")), QStringLiteral("/tmp/a"));
    QCOMPARE(d.asked.size(), 1);
    QCOMPARE(d.asked[0].title, QStringLiteral("Save"));
    QCOMPARE(d.asked[0].description, QStringLiteral("text files (*.txt)"));
    QCOMPARE(d.asked[0].pattern, QStringLiteral("*.txt"));
    QVERIFY(d.asked[0].startName.isEmpty());
}

void SaveDialogTest::remembersLastChosenName() {
    ScriptedSaveDialog d;
    d.answers = {QStringLiteral("/tmp/report.txt"), QString(), QStringLiteral("/tmp/x.csv")};
    AskSavePath(d, QStringLiteral("text files (*.txt)|*.txt"));
    // A cancel returns nothing and keeps the name chosen before.
    QCOMPARE(AskSavePath(d, QStringLiteral("csv files (*.csv)|*.csv")), QString());
    QCOMPARE(d.asked[1].startName, QStringLiteral("/tmp/report.txt"));
    QCOMPARE(d.FileName(), QStringLiteral("/tmp/report.txt"));
    AskSavePath(d, QStringLiteral("csv files (*.csv)|*.csv"));
    QCOMPARE(d.asked[2].startName, QStringLiteral("/tmp/report.txt"));
    QCOMPARE(d.FileName(), QStringLiteral("/tmp/x.csv"));
}

QTEST_GUILESS_MAIN(SaveDialogTest)
#include "SaveDialogTest.moc"
