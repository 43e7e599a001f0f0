#include "widgets/FileSaveDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// Runs answer on the file dialog once it is open.
void whenDialogOpens(std::function<void(QFileDialog&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            whenDialogOpens(answer); // not shown yet
            return;
        }
        answer(*dialog);
    });
}
} // namespace

class FileSaveDialogTest : public QObject {
    Q_OBJECT
private slots:
    void nameFilterShowsPatternOnce();
    void asksAsTheRequestSays();
    void cancelGivesNothing();
};

void FileSaveDialogTest::nameFilterShowsPatternOnce() {
    QCOMPARE(FileSaveDialog::NameFilter("text files (*.txt)", "*.txt"),
             QStringLiteral("text files (*.txt)"));
    QCOMPARE(FileSaveDialog::NameFilter("Readings", "*.csv"), QStringLiteral("Readings (*.csv)"));
    QCOMPARE(FileSaveDialog::NameFilter("All", ""), QStringLiteral("All"));
}

void FileSaveDialogTest::asksAsTheRequestSays() {
    QTemporaryDir dir;
    QWidget owner;
    FileSaveDialog dialog(&owner);
    const QString first = dir.filePath("first.txt");
    QString seenTitle;
    QStringList seenFilters;
    bool noOverwriteQuestion = false;
    bool saving = false;
    QString suffix = "unset";
    whenDialogOpens([&](QFileDialog& d) {
        seenTitle = d.windowTitle();
        seenFilters = d.nameFilters();
        noOverwriteQuestion = d.testOption(QFileDialog::DontConfirmOverwrite);
        saving = d.acceptMode() == QFileDialog::AcceptSave;
        suffix = d.defaultSuffix();
        d.selectFile(first);
        static_cast<QDialog&>(d).accept();
    });
    QCOMPARE(AskSavePath(dialog, "text files (*.txt)|*.txt"), first);
    QCOMPARE(seenTitle, QStringLiteral("Save"));
    QCOMPARE(seenFilters, QStringList{"text files (*.txt)"});
    QVERIFY(noOverwriteQuestion);
    QVERIFY(saving);
    QVERIFY(suffix.isEmpty());

    // The next time it starts at the name chosen last; a name without extension stays so.
    QStringList startedWith;
    const QString second = dir.filePath("second");
    whenDialogOpens([&](QFileDialog& d) {
        startedWith = d.selectedFiles();
        d.selectFile(second);
        static_cast<QDialog&>(d).accept();
    });
    QCOMPARE(AskSavePath(dialog, "csv files (*.csv)|*.csv"), second);
    QCOMPARE(startedWith, QStringList{first});
}

void FileSaveDialogTest::cancelGivesNothing() {
    FileSaveDialog dialog;
    whenDialogOpens([](QFileDialog& d) { d.reject(); });
    QVERIFY(AskSavePath(dialog, "csv files (*.csv)|*.csv").isEmpty());
}

QTEST_MAIN(FileSaveDialogTest)
#include "FileSaveDialogTest.moc"
