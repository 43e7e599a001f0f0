// The way of a finished print job to the printer: the hand-over off the interface thread through a
// print-system double that blocks, and the real print system on a print server of the test's own
// with a PDF queue as its default printer.
#include "reports/PrintSystem.h"
#include "reports/PrintProgress.h"
#include "reports/PrintReports.h"
#include "reports/PrintTarget.h"
#include "state/GVarMod.h"
#include "support/PrintFixtures.h"
#include "support/ScriptedSeams.h"

#include "PrivateCups.h"

#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <functional>
#include <thread>

namespace {

void fill(GVarMod& s, int count) {
    FillPrintReadings(s, count, [](Reading& r, int i) { r.Value = i % 20; });
}

QString pdfInfo(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString field(const QString& info, const QString& name) {
    return QRegularExpression(name + QStringLiteral(":\\s+(.*)")).match(info).captured(1).trimmed();
}

// A print system whose hand-over blocks until the test lets it go, and which tells the interface
// thread (by a queued call) that it is blocked.
class BlockingPrintSystem : public PrintSystem {
public:
    enum class Answer { Accept, Refuse };

    bool PrepareDefault(QPrinter& printer, const QString& spoolPath, QString&) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(spoolPath);
        return true;
    }

    bool Submit(const PrintSubmission& job, const std::atomic<int>& cancel,
                QString& reason) override {
        submitted = job;
        pagesSubmitted = field(pdfInfo(job.documentPath), QStringLiteral("Pages")).toInt();
        QMetaObject::invokeMethod(qApp, whileBlocked, Qt::QueuedConnection);
        while (cancel.load() == 0 && !released.load())
            std::this_thread::yield();
        if (cancel.load() != 0) {
            reason = QStringLiteral("cancelled");
            return false;
        }
        reason = QStringLiteral("refused");
        return answer == Answer::Accept;
    }

    std::function<void()> whileBlocked; // runs on the interface thread
    std::atomic<bool> released{false};
    Answer answer = Answer::Accept;
    PrintSubmission submitted;
    int pagesSubmitted = 0;
};

// Answers the progress seam and runs a step when a page is done.
class ScriptedProgress : public PrintProgress {
public:
    void Start(int) override {}
    bool Advance(int pagesDone) override {
        if (onPage)
            return onPage(pagesDone);
        return true;
    }
    void Finish() override {}
    std::function<bool(int)> onPage;
};

} // namespace

class PrintSystemTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void handOverLeavesTheWindowResponsive_data();
    void handOverLeavesTheWindowResponsive();
    void reportsOnAPdfQueue();
    void cancelPrintsNothing();
    void unreachableServerIsAFailure();

private:
    bool needCups();

    QTemporaryDir m_temp; // the spool folder of the default printer's jobs
    std::unique_ptr<PrivateCups> m_cups;
};

void PrintSystemTest::initTestCase() {
    QVERIFY(m_temp.isValid());
    // The server's folder first: its filters must reach it, which they cannot inside m_temp.
    if (PrivateCups::Missing().isEmpty()) {
        m_cups = std::make_unique<PrivateCups>();
        qputenv("CUPS_SERVER", QFile::encodeName(m_cups->Socket()));
    }
    qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
}

void PrintSystemTest::init() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

bool PrintSystemTest::needCups() {
    if (!m_cups)
        return false;
    QString why;
    if (!m_cups->Start(why))
        qWarning().noquote() << why;
    return m_cups->Running();
}

void PrintSystemTest::handOverLeavesTheWindowResponsive_data() {
    QTest::addColumn<bool>("graph");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("shown");
    const int printed = int(PrintOutcome::Printed);
    const int failed = int(PrintOutcome::Failed);
    const int cancelled = int(PrintOutcome::Cancelled);
    QTest::newRow("data report accepted") << false << "accept" << printed << QStringList();
    QTest::newRow("data report cancelled") << false << "cancel" << cancelled << QStringList();
    QTest::newRow("data report refused")
        << false << "refuse" << failed << QStringList{"print data error!"};
    QTest::newRow("graph accepted") << true << "accept" << printed << QStringList();
    QTest::newRow("graph cancelled") << true << "cancel" << cancelled << QStringList();
    QTest::newRow("graph refused") << true << "refuse" << failed << QStringList{"printer error!"};
}

void PrintSystemTest::handOverLeavesTheWindowResponsive() {
    QFETCH(bool, graph);
    QFETCH(QString, action);
    QFETCH(int, outcome);
    QFETCH(QStringList, shown);

    GVarMod s;
    fill(s, 40);
    s.ApplyLivePage();
    BlockingPrintSystem system;
    DefaultPrinterTarget target(system);
    PrintProgressDialog progress(nullptr, 0);
    ScriptedMessages boxes;

    // While the hand-over blocks, the interface thread goes on: this runs there, finds the
    // dialog saying so with its Cancel, and then lets the hand-over end as the row says.
    QString seen;
    bool cancelOffered = false;
    system.whileBlocked = [&] {
        QProgressDialog* dialog = progress.Dialog();
        if (!dialog->isVisible()) { // it appears once its timer has run
            QMetaObject::invokeMethod(qApp, system.whileBlocked, Qt::QueuedConnection);
            return;
        }
        seen = dialog->labelText();
        QPushButton* cancel = dialog->findChild<QPushButton*>();
        cancelOffered = cancel && cancel->isVisible() && cancel->text() == "Cancel";
        if (cancelOffered && action == "cancel") {
            QTest::mouseClick(cancel, Qt::LeftButton);
            return;
        }
        system.answer = action == "refuse" ? BlockingPrintSystem::Answer::Refuse
                                           : BlockingPrintSystem::Answer::Accept;
        system.released = true;
    };

    const PrintSetup setup{&target, &progress, nullptr};
    const PrintOutcome result = graph ? PrintGraphReport(s, PrintGraphTexts(), boxes, setup)
                                      : PrintDataReport(s, boxes, setup);
    QCOMPARE(seen, QStringLiteral("Sending to the printer ..."));
    QVERIFY(cancelOffered);
    QCOMPARE(int(result), outcome);
    QCOMPARE(boxes.shown, shown);
    QVERIFY(!progress.Dialog());
    // The print system had the whole document, on A4 in the report's orientation.
    QCOMPARE(system.pagesSubmitted, graph ? 1 : 2);
    QCOMPARE(system.submitted.media, QStringLiteral("A4"));
    QCOMPARE(system.submitted.landscape, graph);
    QCOMPARE(QDir(m_temp.path()).entryList(QDir::Files), QStringList()); // no spool file left
}

void PrintSystemTest::reportsOnAPdfQueue() {
    if (!needCups())
        QSKIP(qPrintable(QStringLiteral("no print server of our own: ") + PrivateCups::Missing()));
    GVarMod s;
    fill(s, 37);
    s.ApplyLivePage();
    ScriptedMessages boxes;
    ScriptedProgress progress;
    QCOMPARE(PrintDataReport(s, boxes, {nullptr, &progress, nullptr}), PrintOutcome::Printed);
    QCOMPARE(PrintGraphReport(s, PrintGraphTexts(), boxes, {nullptr, &progress, nullptr}),
             PrintOutcome::Printed);
    QCOMPARE(boxes.shown, QStringList());

    QStringList printed = m_cups->PrintedFiles();
    printed.sort();
    QCOMPARE(printed.size(), 2);
    const QString data = pdfInfo(printed.filter("Data").value(0));
    QCOMPARE(field(data, "Pages"), QStringLiteral("2"));
    QCOMPARE(field(data, "Page size"), QStringLiteral("595 x 842 pts (A4)"));
    const QString graph = pdfInfo(printed.filter("Graph").value(0));
    QCOMPARE(field(graph, "Pages"), QStringLiteral("1"));
    QVERIFY2(field(graph, "Page size").endsWith("pts (A4)"), qPrintable(graph));
    QCOMPARE(QDir(m_temp.path()).entryList(QDir::Files), QStringList());
}

void PrintSystemTest::cancelPrintsNothing() {
    if (!needCups())
        QSKIP(qPrintable(QStringLiteral("no print server of our own: ") + PrivateCups::Missing()));
    const QStringList jobsBefore = m_cups->Jobs();
    GVarMod s;
    fill(s, 100);
    ScriptedMessages boxes;
    ScriptedProgress progress;
    progress.onPage = [](int page) {
        return page < 2;
    };
    QCOMPARE(PrintDataReport(s, boxes, {nullptr, &progress, nullptr}), PrintOutcome::Cancelled);
    QCOMPARE(boxes.shown, QStringList());
    QCOMPARE(m_cups->Jobs(), jobsBefore); // the server never saw a job
    QCOMPARE(QDir(m_temp.path()).entryList(QDir::Files), QStringList());
}

void PrintSystemTest::unreachableServerIsAFailure() {
    if (!needCups())
        QSKIP(qPrintable(QStringLiteral("no print server of our own: ") + PrivateCups::Missing()));
    GVarMod s;
    fill(s, 100);
    ScriptedMessages boxes;
    ScriptedProgress progress;
    // The server goes away while the pages are composed: the printer was found, the hand-over
    // finds nobody.
    progress.onPage = [this](int page) {
        if (page == 3)
            m_cups->Stop();
        return true;
    };
    QCOMPARE(PrintDataReport(s, boxes, {nullptr, &progress, nullptr}), PrintOutcome::Failed);
    QCOMPARE(boxes.shown, QStringList{"print data error!"});
    QCOMPARE(QDir(m_temp.path()).entryList(QDir::Files), QStringList());
}

QTEST_MAIN(PrintSystemTest)
#include "PrintSystemTest.moc"
