#include "state/SaveDialog.h"

#include <QStringList>
#include <QTest>

namespace {
// Answers each Show with the next scripted name and records what it was asked.
class ScriptedDialog : public SaveDialog {
public:
    QStringList answers;
    QList<Request> asked;

protected:
    QString Show(const Request& request) override {
        asked.append(request);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};
} // namespace

class SaveDialogTest : public QObject {
    Q_OBJECT
private slots:
    void asksWithTitleAndOneFilterEntry();
    void remembersLastChosenName();
};

void SaveDialogTest::asksWithTitleAndOneFilterEntry() {
    ScriptedDialog d;
    d.answers = {QStringLiteral("/tmp/a")};
    QCOMPARE(AskSavePath(d, QStringLiteral("text files (*.txt)|*.txt")), QStringLiteral("/tmp/a"));
    QCOMPARE(d.asked.size(), 1);
    QCOMPARE(d.asked[0].title, QStringLiteral("Save"));
    QCOMPARE(d.asked[0].description, QStringLiteral("text files (*.txt)"));
    QCOMPARE(d.asked[0].pattern, QStringLiteral("*.txt"));
    QVERIFY(d.asked[0].startName.isEmpty());
}

void SaveDialogTest::remembersLastChosenName() {
    ScriptedDialog d;
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
