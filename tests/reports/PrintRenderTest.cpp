#include "reports/PrintProgress.h"
#include "reports/PrintReports.h"
#include "reports/PrintTarget.h"
#include "seams/MessageBoxes.h"
#include "state/GVarMod.h"
#include "support/FullDisk.h"
#include "support/PrintFixtures.h"
#include "support/ScriptedSeams.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

// Answers the progress seam; cancels when the given page is done.
class ScriptedProgress : public PrintProgress {
public:
    explicit ScriptedProgress(int cancelAfter = 0)
        : m_cancelAfter(cancelAfter) {}
    void Start(int pageCount) override { calls << QStringLiteral("start %1").arg(pageCount); }
    bool Advance(int pagesDone) override {
        calls << QStringLiteral("page %1").arg(pagesDone);
        if (onPage)
            onPage(pagesDone);
        return pagesDone != m_cancelAfter;
    }
    void Finish() override { calls << QStringLiteral("finish"); }
    QStringList calls;
    std::function<void(int)> onPage;

private:
    int m_cancelAfter;
};

void fill(GVarMod& s, int count) {
    FillPrintReadings(s, count, [](Reading& r, int) { r.Value = 10; });
}

struct PdfInfo {
    int pages = 0;
    QString size; // "595 x 842 pts (A4)"
};

PdfInfo pdfInfo(const QString& path) {
    const QString out = RunTool(QStringLiteral("pdfinfo"), {path});
    PdfInfo info;
    info.pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out).captured(1).toInt();
    info.size = QRegularExpression(QStringLiteral("Page size:\\s+(.*)")).match(out).captured(1);
    return info;
}

// A word of a PDF page with its bounding box, in twips from the top-left of the sheet.
struct Word {
    QString text;
    double x = 0;
    double y = 0;
};

QList<Word> pdfWords(const QString& path, int page) {
    const QString out =
        RunTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                 QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>([^<]*)</word>"));
    QList<Word> words;
    for (auto it = word.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(3), m.captured(1).toDouble() * 20, m.captured(2).toDouble() * 20});
    }
    return words;
}

// The first word with this text, or an empty one at (-1, -1).
Word find(const QList<Word>& words, const QString& text, int skip = 0) {
    for (const Word& w : words)
        if (w.text == text && skip-- == 0)
            return w;
    return {QString(), -1, -1};
}

bool near(const Word& w, double x, double y) {
    return std::abs(w.x - x) <= 3 && std::abs(w.y - y) <= 3; // within a few twips
}

// The page rasterised without smoothing at 144 dpi: one pixel is 10 twips.
class Raster {
public:
    explicit Raster(const QString& pdf) {
        const QString stem = pdf + QStringLiteral(".r");
        RunTool(QStringLiteral("pdftoppm"),
                {QStringLiteral("-r"), QStringLiteral("144"), QStringLiteral("-gray"),
                 QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
                 QStringLiteral("no"), QStringLiteral("-singlefile"), pdf, stem});
        QFile f(stem + QStringLiteral(".pgm"));
        if (!f.open(QIODevice::ReadOnly))
            return;
        const QByteArray data = f.readAll();
        const QList<QByteArray> head = data.split('\n').mid(0, 3); // P5, size, maximum
        const QList<QByteArray> size = head.value(1).split(' ');
        m_width = size.value(0).toInt();
        m_height = size.value(1).toInt();
        m_pixels = data.right(qsizetype(m_width) * m_height);
    }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Whether the pixel that holds the twip position, or one next to it, is inked: thin lines
    // land on either pixel of a boundary.
    bool inked(double xTwips, double yTwips) const {
        const int x = static_cast<int>(xTwips / 10);
        const int y = static_cast<int>(yTwips / 10);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dark(x + dx, y + dy))
                    return true;
        return false;
    }
    // Whether the pixel that holds the twip position is blank.
    bool blank(double xTwips, double yTwips) const {
        return !dark(static_cast<int>(xTwips / 10), static_cast<int>(yTwips / 10));
    }

private:
    bool dark(int x, int y) const {
        return x >= 0 && y >= 0 && x < m_width && y < m_height &&
               static_cast<unsigned char>(m_pixels[y * m_width + x]) < 128;
    }

    int m_width = 0;
    int m_height = 0;
    QByteArray m_pixels;
};

QStringList leftovers(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files);
}

} // namespace

class PrintRenderTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void dataReportOnPaper();
    void graphReportOnPaper();
    void emptyGraphPrintsTheFrame();
    void cancelPrintsNothing();
    void failuresShowTheirMessage();
    void fullDiskIsAFailure();
    void diskThatFreesSpaceAgainIsAFailure();
    void printableAreaOfTheOrientationInUse();
    void noDefaultPrinter();
    void progressDialog();
};

void PrintRenderTest::dataReportOnPaper() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.pdf"));
    GVarMod s;
    fill(s, 37);
    PdfFileTarget target(path);
    ScriptedProgress progress;
    ScriptedMessages boxes;
    QCOMPARE(PrintDataReport(s, boxes, {&target, &progress, nullptr}), PrintOutcome::Printed);
    QCOMPARE(boxes.shown, QStringList());
    QCOMPARE(progress.calls, (QStringList{"start 2", "page 1", "page 2", "finish"}));
    QCOMPARE(leftovers(dir), QStringList{"data.pdf"});

    const PdfInfo info = pdfInfo(path);
    QCOMPARE(info.pages, 2);
    QCOMPARE(info.size, QStringLiteral("595 x 842 pts (A4)"));

    const QList<Word> page1 = pdfWords(path, 1);
    QVERIFY(near(find(page1, "Brisel"), 2200, 400));
    QVERIFY(near(find(page1, "NO."), 1100, 1200));
    QVERIFY(near(find(page1, "TIME"), 7600, 1200));
    QVERIFY(near(find(page1, "V"), 2100, 1600));
    QVERIFY(near(find(page1, "D1"), 5100, 1600));
    QVERIFY(near(find(page1, "m/s", 35), 6600, 15600));
    QVERIFY(near(find(page1, "D36"), 5100, 15600));
    QCOMPARE(find(page1, "D37").x, -1);
    // The sheet is 595 points wide as the printer reports it: the footer starts at 3950.
    QVERIFY(near(find(page1, "Page"), 3950, 16000));
    const QString date = '(' + QLocale().toString(QDate::currentDate(), QLocale::ShortFormat) + ')';
    QCOMPARE(find(page1, date).y, find(page1, "Page").y);

    const QList<Word> page2 = pdfWords(path, 2);
    QVERIFY(near(find(page2, "Brisel"), 2200, 400));
    QVERIFY(near(find(page2, "D37"), 5100, 1600));
    // " 37 ": the digits follow the sign position.
    QVERIFY(find(page2, "37").x > 1100 + 50 && find(page2, "37").x < 1100 + 90);
    QVERIFY(near(find(page2, "Page"), 3950, 16000));
    QVERIFY(find(page2, "2").y == find(page2, "Page").y);

    // Arial, or a font with its metrics where it is not installed.
    const QString fonts = RunTool(QStringLiteral("pdffonts"), {path});
    QVERIFY2(fonts.contains(QRegularExpression("Arial|LiberationSans|Arimo")), qPrintable(fonts));
}

void PrintRenderTest::graphReportOnPaper() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.pdf"));
    GVarMod s;
    fill(s, 150);
    s.ChartScale = 40;
    s.Readings(101).Value = 40; // top of the scale
    s.ApplyLivePage();          // 101 ... 150
    PdfFileTarget target(path);
    ScriptedMessages boxes;
    QCOMPARE(PrintGraphReport(s, PrintGraphTexts(), boxes, {&target, nullptr, nullptr}),
             PrintOutcome::Printed);
    QCOMPARE(boxes.shown, QStringList());
    QCOMPARE(s.PlotPoints[49].record, 150);

    const PdfInfo info = pdfInfo(path);
    QCOMPARE(info.pages, 1);
    QCOMPARE(info.size, QStringLiteral("842 x 595 pts (A4)"));
    const QList<Word> words = pdfWords(path, 1);
    QVERIFY(near(find(words, "Brisel"), 5300, 800));
    QVERIFY(near(find(words, "06.05.14"), 7000, 1500));
    QVERIFY(near(find(words, "40"), 2500, 2834));
    QVERIFY(near(find(words, "0"), 2500, 6146));
    QVERIFY(near(find(words, "-40"), 2500, 9458));
    QVERIFY(near(find(words, "1"), 3105, 10000));
    QVERIFY(near(find(words, "50"), 8230, 10000));

    const Raster r(path);
    QCOMPARE(r.width(), 1684);
    QVERIFY(r.inked(3000, 5000) && r.inked(13605, 5000)); // left and right frame
    QVERIFY(r.blank(2980, 5000) && r.blank(13625, 5000));
    QVERIFY(r.inked(8000, 2500) && r.inked(8000, 9940)); // top and bottom frame
    QVERIFY(r.inked(3020, 6226) && r.blank(3020, 6246)); // zero line
    QVERIFY(r.inked(3105, 9900) && r.blank(3105, 9860)); // first tick mark
    // A grid line is dotted: along it about half of the pixels are inked.
    int inked = 0;
    for (int x = 3100; x < 13500; x += 10)
        inked += !r.blank(x, 2914) || !r.blank(x, 2924) ? 1 : 0;
    QVERIFY2(inked > 300 && inked < 750, qPrintable(QString::number(inked)));
    // Reading 101 at the top of the scale is a dot at (3105, 2965); reading 102 at value 10
    // sits at pixel 247 - 54 = 193, on paper 5395. The line between them is drawn.
    QVERIFY(r.inked(3105, 2965) && r.inked(3125, 2965) && r.blank(3145, 2965));
    QVERIFY(r.inked(3210, 5380));
    QVERIFY(r.inked(3157, 4180));
    // The 50th position is the last (x = 3000 + 15 * 350 = 8250); nothing is drawn after it.
    QVERIFY(r.inked(8250, 5370) && r.blank(8350, 5370) && r.blank(8450, 5370));
}

void PrintRenderTest::emptyGraphPrintsTheFrame() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.pdf"));
    GVarMod s;
    PdfFileTarget target(path);
    ScriptedMessages boxes;
    QCOMPARE(PrintGraphReport(s, PrintGraphTexts(), boxes, {&target, nullptr, nullptr}),
             PrintOutcome::Printed);
    const Raster r(path);
    QVERIFY(r.inked(3000, 5000) && r.inked(13605, 5000) && r.inked(8000, 6226));
    for (int x = 3050; x < 13600; x += 105)
        QVERIFY(r.blank(x, 4000)); // between the grid lines there is no curve
    QCOMPARE(find(pdfWords(path, 1), "Graph").y, find(pdfWords(path, 1), "Brisel").y);
}

void PrintRenderTest::cancelPrintsNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.pdf"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    GVarMod s;
    fill(s, 100);
    PdfFileTarget target(path);
    ScriptedProgress progress(1);
    ScriptedMessages boxes;
    QCOMPARE(PrintDataReport(s, boxes, {&target, &progress, nullptr}), PrintOutcome::Cancelled);
    QCOMPARE(progress.calls, (QStringList{"start 3", "page 1", "finish"}));
    QCOMPARE(boxes.shown, QStringList()); // nothing more is shown
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("old contents"));
    QCOMPARE(leftovers(dir), QStringList{"data.pdf"});
}

void PrintRenderTest::failuresShowTheirMessage() {
    GVarMod s;
    fill(s, 3);
    ScriptedMessages boxes;
    ScriptedProgress progress;
    PdfFileTarget nowhere(QStringLiteral("/nonexistent-folder/report.pdf"));
    QCOMPARE(PrintDataReport(s, boxes, {&nowhere, &progress, nullptr}), PrintOutcome::Failed);
    QCOMPARE(PrintGraphReport(s, PrintGraphTexts(), boxes, {&nowhere, nullptr, nullptr}),
             PrintOutcome::Failed);
    QCOMPARE(boxes.shown, (QStringList{"print data error!", "printer error!"}));
    QCOMPARE(s.ReadingCount, 3);

    // A target that does not accept the finished job: the failure is reported, not success.
    class RefusingTarget : public PdfFileTarget {
    public:
        using PdfFileTarget::PdfFileTarget;
        bool Deliver(const QPrinter&, const QString&, const QString&, QString& reason) override {
            reason = QStringLiteral("refused");
            return false;
        }
    };
    QTemporaryDir dir;
    RefusingTarget refusing(dir.filePath(QStringLiteral("refused.pdf")));
    boxes.shown.clear();
    progress.calls.clear();
    QCOMPARE(PrintDataReport(s, boxes, {&refusing, &progress, nullptr}), PrintOutcome::Failed);
    QCOMPARE(PrintGraphReport(s, PrintGraphTexts(), boxes, {&refusing, nullptr, nullptr}),
             PrintOutcome::Failed);
    QCOMPARE(boxes.shown, (QStringList{"print data error!", "printer error!"}));
    QCOMPARE(progress.calls.last(), QStringLiteral("finish")); // the dialog is gone first
    QCOMPARE(leftovers(dir), QStringList());
}

void PrintRenderTest::fullDiskIsAFailure() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.pdf"));
    GVarMod s;
    fill(s, 2000);
    PdfFileTarget target(path);
    ScriptedProgress progress;
    ScriptedMessages boxes;

    // The disk is "full" part-way through the job.
    PrintOutcome outcome = PrintOutcome::Printed;
    QVERIFY(UnderFileSizeLimit(32 * 1024, [&] {
        outcome = PrintDataReport(s, boxes, {&target, &progress, nullptr});
    }));

    QCOMPARE(outcome, PrintOutcome::Failed);
    QCOMPARE(boxes.shown, QStringList{"print data error!"});
    QCOMPARE(leftovers(dir), QStringList());
}

void PrintRenderTest::diskThatFreesSpaceAgainIsAFailure() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.pdf"));
    GVarMod s;
    fill(s, 2000);
    PdfFileTarget target(path);
    ScriptedProgress progress;
    ScriptedMessages boxes;

    // Part of what was written is lost part-way through the job, and the writes after it go
    // through: the document still runs up to its end-of-file marker, with a gap of zeros where
    // its first objects were.
    progress.onPage = [&](int page) {
        if (page != 30)
            return;
        const QStringList spool = QDir(dir.path()).entryList({"print-*"}, QDir::Files);
        QVERIFY(spool.size() == 1 && QFile::resize(dir.filePath(spool.value(0)), 2000));
    };
    QCOMPARE(PrintDataReport(s, boxes, {&target, &progress, nullptr}), PrintOutcome::Failed);
    QCOMPARE(boxes.shown, QStringList{"print data error!"});
    QCOMPARE(leftovers(dir), QStringList());
}

void PrintRenderTest::printableAreaOfTheOrientationInUse() {
    // A printer whose upright sheet keeps its four margins uneven: 10 pt on the left, 20 at the
    // top, 5 on the right and 40 at the bottom (200, 400, 100 and 800 twips).
    class UnevenPrinter : public PdfFileTarget {
    public:
        using PdfFileTarget::PdfFileTarget;
        bool Prepare(QPrinter& printer, const QString& spool, QString& reason) override {
            const QMarginsF minimum(10, 20, 5, 40);
            return PdfFileTarget::Prepare(printer, spool, reason) &&
                   printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                                     QPageLayout::Portrait, minimum,
                                                     QPageLayout::Point, minimum));
        }
    };
    QTemporaryDir dir;
    GVarMod s;
    fill(s, 3);
    ScriptedMessages boxes;
    ScriptedProgress progress;

    // Upright: the printable area starts 200 twips from the left and 400 from the top.
    UnevenPrinter portrait(dir.filePath(QStringLiteral("data.pdf")));
    QCOMPARE(PrintDataReport(s, boxes, {&portrait, &progress, nullptr}), PrintOutcome::Printed);
    QVERIFY(near(find(pdfWords(portrait.Path(), 1), "Brisel"), 2200 + 200, 400 + 400));

    // Landscape: the page lies a quarter turn counter-clockwise on the sheet, so the sheet's
    // bottom margin is the page's left one and its left margin the page's top one.
    UnevenPrinter landscape(dir.filePath(QStringLiteral("graph.pdf")));
    QCOMPARE(PrintGraphReport(s, PrintGraphTexts(), boxes, {&landscape, nullptr, nullptr}),
             PrintOutcome::Printed);
    QCOMPARE(pdfInfo(landscape.Path()).size, QStringLiteral("842 x 595 pts (A4)"));
    const QList<Word> words = pdfWords(landscape.Path(), 1);
    QVERIFY(near(find(words, "Brisel"), 5300 + 800, 800 + 200));
    QVERIFY(near(find(words, "06.05.14"), 7000 + 800, 1500 + 200));
    QCOMPARE(boxes.shown, QStringList());
}

void PrintRenderTest::noDefaultPrinter() {
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("a default printer is set up here; this checks the machine without one");
    GVarMod s;
    fill(s, 120);
    s.ApplyLivePage();
    s.PlotPoints[0] = {1, 2, 3};
    ScriptedMessages boxes;
    ScriptedProgress progress;
    QCOMPARE(PrintDataReport(s, boxes, {nullptr, &progress, nullptr}), PrintOutcome::Failed);
    QCOMPARE(PrintGraphReport(s, PrintGraphTexts(), boxes), PrintOutcome::Failed);
    QCOMPARE(boxes.shown, (QStringList{"print data error!", "printer error!"}));
    // Nothing else changed.
    QCOMPARE(s.ReadingCount, 120);
    QCOMPARE(s.ViewStart, 101);
    QCOMPARE(s.PlotPoints[0].record, 1);
}

void PrintRenderTest::progressDialog() {
    // A short job never shows the dialog.
    {
        PrintProgressDialog quick(nullptr, 5000);
        quick.Start(3);
        QVERIFY(quick.Dialog());
        QVERIFY(quick.Advance(1));
        QVERIFY(!quick.Dialog()->isVisible());
        quick.Finish();
        QVERIFY(!quick.Dialog());
    }
    // A long one shows it application-modal; its Cancel button cancels the job.
    PrintProgressDialog slow(nullptr, 0);
    slow.Start(1389);
    QProgressDialog* dialog = slow.Dialog();
    QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Brisel"));
    QVERIFY(slow.Advance(1));
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->labelText(), QStringLiteral("Printing page 2 of 1389"));
    QPushButton* cancel = dialog->findChild<QPushButton*>();
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!slow.Advance(2));
    slow.Finish();
    QVERIFY(!slow.Dialog());
}

QTEST_MAIN(PrintRenderTest)
#include "PrintRenderTest.moc"
