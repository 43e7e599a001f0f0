// The recording window as drawn and printed, and its wiring: opened from files read off the
// interface thread, from the main window's Ctrl+O and its button.
#include "charts/ChartPainter.h"
#include "live/ShowForm.h"
#include "recording/RecordingReader.h"
#include "recording/RecordingWindows.h"
#include "reports/PrintTarget.h"
#include "seams/OpenDialog.h"
#include "support/ProgramOnALine.h"
#include "support/ScriptedSeams.h"
#include "widgets/ImageButton.h"

#include <QApplication>
#include <QDateTime>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

class ScriptedOpenDialog : public OpenDialog {
public:
    QStringList answer;
    int asked = 0;
    QStringList AskOpenPaths(const QString&, const QString&) override {
        ++asked;
        return answer;
    }
};

// Readings once a second for 100 s, the value rising 1 per second from 0, none from 41 to 59 s.
QByteArray rampCsv() {
    QByteArray out = "\"NO.\",\"T&RH\",\"DATA\",\"UNIT\",\"TIME\"\n";
    const QDateTime start(QDate(2026, 12, 9), QTime(12, 0), Qt::OffsetFromUTC, 0);
    for (int s = 0, no = 1; s <= 100; ++s) {
        if (s > 40 && s < 60)
            continue;
        out += QByteArray::number(no++) + ",\" 20.5°C 50%\"," + QByteArray::number(s) +
               ",\"m/s\",\"" + start.addSecs(s).toString(Qt::ISODateWithMs).toUtf8() + "\"\n";
    }
    return out;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return f.fileName();
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The black frame of the plot, found in the image: the first black pixels from the middle out
// (inside the frame nothing is black).
QRect blackFrame(const QImage& image) {
    const auto black = [&](int x, int y) {
        return image.pixelColor(x, y) == QColor(Qt::black);
    };
    const int midY = image.height() / 2;
    const int midX = image.width() / 2;
    int left = midX, right = midX, top = midY, bottom = midY;
    while (left > 0 && !black(left, midY))
        --left;
    while (right < image.width() - 1 && !black(right, midY))
        ++right;
    while (top > 0 && !black(midX, top))
        --top;
    while (bottom < image.height() - 1 && !black(midX, bottom))
        ++bottom;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

class RecordingWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The value's line at the pixels worked out from the frame: the axis runs from 0 to 100 (whole
    // tens), the time from the first reading to the last; the gap is a band without the line.
    void plotPixels() {
        const Recording r = ReadRecordingBytes(rampCsv(), QStringLiteral("ramp.csv")).recording;
        PlotView view;
        ShowAll(view, r);
        view.showTemperature = false;
        view.showHumidity = false;
        RecordingPlotView plot(r, view);
        plot.resize(800, 400);
        const QImage image = plot.grab().toImage();
        const QRect f = blackFrame(image);
        QVERIFY2(f.width() > 500 && f.height() > 250,
                 qPrintable(QStringLiteral("%1 x %2").arg(f.width()).arg(f.height())));
        const QColor line = TimePlotColor(PlotRole::Value);
        const auto lineNear = [&](int second) {
            const double x = f.left() + second / 100.0 * f.width();
            const double y = f.top() + (100 - second) / 100.0 * f.height();
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    if (image.pixelColor(int(x) + dx, int(y) + dy) == line)
                        return true;
            return false;
        };
        for (const int s : {10, 25, 40, 60, 75, 90})
            QVERIFY2(lineNear(s), qPrintable(QString::number(s)));
        // In the gap's middle column: the gap's band and no line.
        const int gapX = f.left() + f.width() / 2;
        for (int y = f.top() + 1; y < f.bottom(); ++y)
            QVERIFY(image.pixelColor(gapX, y) != line);
        QCOMPARE(image.pixelColor(gapX, f.top() + f.height() / 3), kTimePlotGap);
    }

    // Opened through the host: read off the interface thread, "Recording - NAME", a selection's
    // statistics saved and printed as PDF with the plot; an unreadable file says why.
    void openSelectSaveAndPrint() {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("ramp.csv"), rampCsv());
        const QString junk = writeFile(dir, QStringLiteral("junk.csv"), QByteArray("\0\1\2", 3));
        ScriptedMessages messages;
        ScriptedSaveDialog dialog;
        RecordingWindows host({messages, nullptr, &dialog, {}});
        QSignalSpy done(&host, &RecordingWindows::Done);
        host.Open({path, junk});
        QVERIFY(done.wait(10000) && (done.size() == 2 || done.wait(10000)));
        QCOMPARE(host.Reading(), 0);
        QCOMPARE(host.Windows().size(), std::size_t(1));
        QCOMPARE(messages.shown, QStringList{QStringLiteral("junk.csv cannot be opened.")});
        QVERIFY(messages.details.value(0).startsWith(QStringLiteral("junk.csv: ")));

        RecordingForm* w = host.Windows().front();
        QCOMPARE(w->windowTitle(), QStringLiteral("Recording - ramp.csv"));
        const qint64 t0 = w->recording().times.front();
        w->Select(t0 + 10000, t0 + 30000);
        QCOMPARE(w->statistics().front().count, 21);
        QVERIFY(w->StatisticsText().contains(QStringLiteral(">20<"))); // the mean

        dialog.answers = {dir.filePath(QStringLiteral("stats.csv")),
                          dir.filePath(QStringLiteral("plot.pdf"))};
        w->SaveStatistics();
        QFile csv(dir.filePath(QStringLiteral("stats.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readAll().contains("\"Velocity\",\"m/s\",21,"));

        QCOMPARE(w->SavePdf(), PrintOutcome::Printed);
        const QString pdf = dir.filePath(QStringLiteral("plot.pdf"));
        const QString text =
            run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
        QVERIFY2(text.contains(QStringLiteral("Recording - ramp.csv")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Velocity m/s")));
        // The page rasterised: the plot's curve inks the middle of the page.
        run(QStringLiteral("pdftoppm"),
            {"-r", "50", "-gray", "-aaVector", "no", "-singlefile", pdf, pdf});
        const QImage page(pdf + QStringLiteral(".pgm"));
        QVERIFY(!page.isNull());
        int inked = 0;
        for (int y = page.height() / 6; y < page.height() / 2; ++y)
            for (int x = page.width() / 4; x < page.width() * 3 / 4; ++x)
                inked += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
        QVERIFY2(inked > 100, qPrintable(QString::number(inked)));
    }

    // The main window's Ctrl+O and its recording button both ask for files and open them.
    void mainWindowOpens() {
        ProgramOnALine p(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
        ScriptedOpenDialog open;
        p.Start([&](MainParts& parts) { parts.openDialog = &open; });
        QTemporaryDir dir;
        open.answer = {writeFile(dir, QStringLiteral("ramp.csv"), rampCsv())};
        QSignalSpy done(&p.form->recordings(), &RecordingWindows::Done);
        p.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.form.get()));
        QTest::keyClick(p.form.get(), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(done.wait(10000));
        emit p.show().Image5->Click();
        QVERIFY(done.wait(10000));
        QCOMPARE(open.asked, 2);
        QCOMPARE(p.form->recordings().Windows().size(), std::size_t(2));
        p.form.reset();
    }
};

QTEST_MAIN(RecordingWindowTest)
#include "RecordingWindowTest.moc"
