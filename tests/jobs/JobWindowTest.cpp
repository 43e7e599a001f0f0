// The job window wired to the traverse window in the whole program: points written as they are
// stored, three tests of different types, the program ended mid-take and started again, copies,
// deletion, the schedule's import and the job report on paper.

#include "jobs/JobWindow.h"
#include "link/MeterFrame.h"
#include "reports/PrintTarget.h"
#include "support/PrintFixtures.h"
#include "support/ProgramOnALine.h"
#include "support/TestFiles.h"
#include "traverse/ManualClock.h"
#include "traverse/TraverseForm.h"
#include "traverse/TraverseSettings.h"
#include "traverse/TraverseWindowHost.h"

#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace {

QByteArray velocity(std::uint16_t hundredths) {
    MeterFrameFields f;
    f.kind = 1;
    f.unitCode = 1; // m/s
    f.valueMagnitude = hundredths;
    f.decimalCode = 3;
    const MeterFrame m = EncodeFrame(f);
    return QByteArray(reinterpret_cast<const char*>(m.data()), kFrameLength);
}

struct Program : ProgramOnALine {
    ScriptedSaveDialog traverseDialog;
    ScriptedOpenPaths openDialog;
    ManualClock clock;

    Program()
        : ProgramOnALine(QDateTime(QDate(2026, 12, 10), QTime(9, 30))) {
        Start([&](MainParts& parts) {
            parts.traverseDialog = &traverseDialog;
            parts.openDialog = &openDialog;
            parts.traverseClock = &clock;
        });
    }
    ~Program() { form.reset(); }

    TraverseForm* open() { return form->traverseHost().Open(); }
    JobWindow& jobs() { return *form->jobWindow(); }
    // One take of the current point with one reading.
    bool take(std::uint16_t hundredths) {
        open()->Take();
        if (!sendBytes(velocity(hundredths)))
            return false;
        clock.Advance(10000);
        return !open()->Logic().Taking();
    }
    QStringList row(int r) {
        QStringList cells;
        for (int k = 0; k < jobs().TestList->columnCount(); ++k)
            cells << jobs().TestList->item(r, k)->text();
        return cells;
    }
};

void startTest(TraverseForm* t, TestType type, const QString& tag) {
    t->TypeBox->setCurrentIndex(t->TypeBox->findData(int(type)));
    t->TagBox->clear();
    QTest::keyClicks(t->TagBox, tag);
}

} // namespace

class JobWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void jobThroughTheWindow();

private:
    QTemporaryDir m_config;
};

void JobWindowTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

void JobWindowTest::jobThroughTheWindow() {
    QTemporaryDir dir;
    const QString job = dir.filePath(QStringLiteral("tower.vantello"));
    {
        Program p;
        QVERIFY(p.connect());
        TraverseForm* t = p.open();
        QVERIFY(p.messages.shown.isEmpty()); // no job to offer yet
        p.traverseDialog.answers << dir.filePath(QStringLiteral("tower"));
        QVERIFY(p.jobs().NewJob());
        QCOMPARE(p.jobs().Job()->Path(), job);

        // A grille, a fume hood and a duct, each written as its points are stored.
        startTest(t, TestType::Grille, QStringLiteral("G-01"));
        t->ReadingsBox->setValue(2);
        QVERIFY(p.take(250) && p.take(350));
        QCOMPARE(p.row(0), (QStringList{"G-01", "Grille or diffuser", "", "", "", ""}));
        t->NewTraverse(); // no question: the test is kept in the job
        startTest(t, TestType::FumeHood, QStringLiteral("FH-1"));
        QVERIFY(p.take(50));
        QCOMPARE(p.row(1).mid(0, 2), (QStringList{"FH-1", "Fume hood face"}));
        QVERIFY(p.row(1)[5].startsWith(QStringLiteral("incomplete: 1 of ")));
        t->NewTraverse();
        startTest(t, TestType::DuctTraverse, QStringLiteral("AHU-1/D1"));
        QVERIFY(p.take(400) && p.take(420));
        // Ended with a take running: it is not stored.
        t->Take();
        QVERIFY(p.sendBytes(velocity(999)));
        QCOMPARE(p.jobs().Job()->Tests().size(), std::size_t(3));
        QVERIFY(p.messages.shown.isEmpty());
    }
    {
        Program p;
        p.messages.answers << true; // continue the job
        TraverseForm* t = p.open();
        QCOMPARE(p.messages.shown.value(0),
                 QStringLiteral("Continue the job '%1' where you left it?").arg(job));
        QCOMPARE(p.jobs().Job()->Path(), job);
        QCOMPARE(t->TagBox->text(), QStringLiteral("AHU-1/D1"));
        const std::vector<PointRecord>& r = t->Logic().Records();
        QCOMPARE(r[0].taken->average, 4.0);
        QCOMPARE(r[1].taken->average, 4.2);
        QVERIFY(!r[2].taken);
        QCOMPARE(t->Logic().Current(), 2);

        // The grille as a template, then the copy deleted after a question.
        JobWindow& j = p.jobs();
        j.DuplicateTest(j.TestAt(0));
        QCOMPARE(p.row(3),
                 (QStringList{"G-02", "Grille or diffuser", "", "", "", "incomplete: 0 of 2"}));
        QCOMPARE(t->TagBox->text(), QStringLiteral("G-02"));
        QCOMPARE(t->Logic().Points().size(), std::size_t(2));
        p.messages.answers << true;
        j.DeleteTest(j.TestAt(3));
        QVERIFY(p.messages.shown.last().startsWith(QStringLiteral("Delete the test G-02")));
        QCOMPARE(j.TestList->rowCount(), 3);

        // A schedule with a bad row imports nothing and names the line.
        const QString schedule = dir.filePath(QStringLiteral("schedule.csv"));
        WriteFileBytes(schedule,
                       "tag,type,size,design,unit\nG-10,grille,,80,l/s\nG-11,grile,,80,l/s\n");
        p.openDialog.answers << QStringList{schedule};
        j.ImportSchedule();
        QVERIFY(p.messages.shown.last().startsWith(QStringLiteral("Nothing was imported")));
        QVERIFY(p.messages.details.last().startsWith(QStringLiteral("Line 3: the type \"grile\"")));
        QCOMPARE(j.TestList->rowCount(), 3);

        // The report: cover, summary, a page for each test.
        const QString pdf = dir.filePath(QStringLiteral("tower.pdf"));
        p.traverseDialog.answers << pdf;
        j.SaveReportPdf();
        const QString text = RunTool(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
        QVERIFY2(pages.size() >= 5, qPrintable(text));
        QVERIFY(pages[0].contains(QStringLiteral("Air-Flow Test Report")));
        QVERIFY(pages[1].contains(QStringLiteral("Totals per system")));
        QVERIFY(pages[1].contains(QStringLiteral("AHU-1/D1")));
        QVERIFY(pages[2].contains(QStringLiteral("Grille / Diffuser Report")));
        QVERIFY(text.contains(QStringLiteral("Duct Traverse Report")));
    }
}

QTEST_MAIN(JobWindowTest)
#include "JobWindowTest.moc"
