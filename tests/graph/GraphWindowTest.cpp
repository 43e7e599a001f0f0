#include "GraphTestSupport.h"

#include "charts/ChartArea.h"
#include "charts/DottedLine.h"
#include "graph/GraphForm.h"
#include "live/ShowForm.h"
#include "reports/PrintTarget.h"
#include "state/GVarMod.h"
#include "state/ReadoutRules.h"
#include "widgets/ButtonFaces.h"
#include "widgets/ImageButton.h"
#include "widgets/PickOnlyComboBox.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

namespace {

// The live display and a graph window on one state, both loaded.
struct Windows {
    explicit Windows(GraphPrinting printing = {})
        : graph(state, show, boxes, std::move(printing)) {
        show.Form_Load();
        graph.Form_Load();
    }
    GVarMod state;
    RunningExtremes extremes;
    ScriptedMessages boxes;
    ShowForm show{state, extremes};
    GraphForm graph;
};

QStringList texts(const std::array<QLabel*, 17>& labels) {
    QStringList out;
    for (std::size_t k = 0; k < labels.size(); ++k)
        if (k != 8)
            out << labels[k]->text();
    return out;
}

QStringList texts(const std::array<QLabel*, 8 + 1>& labels) {
    QStringList out;
    for (std::size_t k = 0; k < 8; ++k)
        out << labels[k]->text();
    return out;
}

// A mouse move over the plot at a position with fractions, as the window system reports it.
void moveOverPlot(GraphForm& graph, QPointF at) {
    QWidget* inside = graph.Picture1->Inside();
    QMouseEvent move(QEvent::MouseMove, at, inside->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(inside, &move);
}

bool sameFace(const ImageButton* button, const QPixmap& face) {
    return button->Picture().toImage() == face.toImage();
}

QString pdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class GraphWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void designState();
    void plotThroughTheWindow();
    void scaleFromTheList();
    void typedAndUnreadableScales();
    void zoomStepsAndStops();
    void pressedFaces();
    void enterAndLeavingApplyNothing();
    void cursorReadoutPositions();
    void cursorLabelsStayInside();
    void printsToPdf();
    void printWithoutPrinterShowsError();
};

void GraphWindowTest::designState() {
    Windows w;
    GraphForm& g = w.graph;
    QCOMPARE(g.windowTitle(), QStringLiteral("Graph"));
    QVERIFY(g.isWindow());
    QVERIFY(!g.windowIcon().isNull());
    QCOMPARE(g.geometry(), QRect(0, 0, 900, 678)); // no frame without a window manager

    QStringList list;
    for (int i = 0; i < g.Combo1->count(); ++i)
        list << g.Combo1->itemText(i);
    QCOMPARE(list, (QStringList{"4000", "2000", "1000", "400", "200", "100", "40", "20", "10"}));
    QCOMPARE(g.Combo1->currentText(), QStringLiteral("40"));
    g.Combo1->setEditText(QStringLiteral("100"));
    g.Form_Load(); // a second load neither doubles the list nor changes the text
    QCOMPARE(g.Combo1->count(), 9);
    QCOMPARE(g.Combo1->currentText(), QStringLiteral("100"));

    QCOMPARE(texts(g.Label8), (QStringList{"40", "35", "30", "25", "20", "15", "10", "5", "-5",
                                           "-10", "-15", "-20", "-25", "-30", "-35", "-40"}));
    for (int k = 0; k <= 16; ++k) {
        // Centred on grid line k; the plot's inner top is at 41.
        if (k != 8)
            QCOMPARE(g.Label8[static_cast<std::size_t>(k)]->geometry().center().y(),
                     41 + 31 + 27 * k);
    }
    QCOMPARE(g.Label8[8]->text(), QStringLiteral("Y:"));
    QCOMPARE(g.Label6->text(), QStringLiteral("0"));
    QCOMPARE(g.numlabel1[2]->text(), QStringLiteral("100"));
    for (QLabel* l : {g.Label1, g.Label2, g.Label3}) {
        QVERIFY(l->isHidden());
        QCOMPARE(l->text(), QStringLiteral("0000"));
    }
    QVERIFY(g.Line1->isHidden());

    g.show();
    const QImage shot = g.grab().toImage();
    QCOMPARE(shot.pixel(850, 600), qRgb(192, 192, 192)); // silver
    QCOMPARE(shot.pixel(56, 40), kBlack);                // the plot's single-line border
    QCOMPARE(shot.pixel(762, 535), kBlack);
    QCOMPARE(shot.pixel(57, 41), kBack);
}

void GraphWindowTest::plotThroughTheWindow() {
    Windows w;
    w.state.ChartScale = 40;
    storeReadings(w.state, 4, [](int n) { return std::array{40.0, 2.5, 80.0, 0.0}[n - 1]; });
    w.graph.show(); // the paint request of showing draws the plot
    const QImage shot = w.graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage img = shot.copy(57, 41, 705, 494); // the plot's inner pixels

    QCOMPARE(img, plotImage(*w.graph.Picture1));
    for (int k = 0; k <= 16; ++k) {
        const int y = 31 + 27 * k;
        const QRgb gap = y == 247 ? kBlack : kBack; // dotted over the solid zero line
        for (int x = 40; x < 705; ++x)
            QCOMPARE(img.pixel(x, y), x % 6 < 3 ? kSilver : gap);
    }
    for (int i = 1; i <= 100; ++i) {
        for (int y = 490; y <= 493; ++y)
            QCOMPARE(img.pixel(7 * i, y), kSilver);
        QCOMPARE(img.pixel(7 * i, 489), kBack);
    }
    QCOMPARE(w.state.PlotPoints[0].y, 31);
    QCOMPARE(w.state.PlotPoints[1].y, 234); // 233.5 to the even 234
    QCOMPARE(w.state.PlotPoints[2].y, -185);
    QVERIFY(dotAt(img, 7, 31));
    QVERIFY(dotAt(img, 14, 234));
    QVERIFY(dotAt(img, 28, 247));
    // Twice the scale lies above the area: the lines to it and back leave through the top edge.
    int topCrossings = 0;
    for (int x = 14; x <= 28; ++x)
        topCrossings += img.pixel(x, 0) == kRed;
    QVERIFY(topCrossings >= 2);
    QCOMPARE(img.pixel(21, 0), kBack); // the point itself is not drawn on the edge
}

void GraphWindowTest::scaleFromTheList() {
    Windows w;
    w.graph.show();
    storeReadings(w.state, 1, [](int) { return 5.0; });
    pickFromList(w.graph.Combo1, QStringLiteral("10"));
    QCOMPARE(w.state.ChartScale, 10);
    QCOMPARE(texts(w.graph.Label8),
             (QStringList{"10", "8.75", "7.5", "6.25", "5", "3.75", "2.5", "1.25", "-1.25", "-2.5",
                          "-3.75", "-5", "-6.25", "-7.5", "-8.75", "-10"}));
    QCOMPARE(w.graph.Label8[8]->text(), QStringLiteral("Y:"));
    QCOMPARE(w.graph.Label6->text(), QStringLiteral("0"));
    // Repainted at the new scale: 5 of 10 is 108 pixels above the zero line.
    QVERIFY(dotAt(plotImage(*w.graph.Picture1), 7, 139));
    // Handed to the live display, which applied it.
    QCOMPARE(w.show.Combo1->currentText(), QStringLiteral("10"));
    QCOMPARE(texts(w.show.Label8),
             (QStringList{"10", "7.5", "5", "2.5", "-2.5", "-5", "-7.5", "-10"}));
}

void GraphWindowTest::typedAndUnreadableScales() {
    Windows w;
    w.graph.Combo1->setEditText(QStringLiteral("50"));
    QCOMPARE(w.state.ChartScale, 40); // setting the text applies nothing
    w.graph.Combo1_Click();
    QCOMPARE(w.state.ChartScale, 50);
    QCOMPARE(texts(w.graph.Label8),
             (QStringList{"50", "43.75", "37.5", "31.25", "25", "18.75", "12.5", "6.25", "-6.25",
                          "-12.5", "-18.75", "-25", "-31.25", "-37.5", "-43.75", "-50"}));
    QCOMPARE(w.show.Combo1->currentText(), QStringLiteral("50"));
    QCOMPARE(w.show.Label8[1]->text(), QStringLiteral("37.5"));

    // Texts that are not a usable scale give 400 in both windows, never 0.
    for (const char* text : {"abc", "0"}) {
        w.graph.SetScaleText(QString::fromLatin1(text));
        w.graph.Combo1_Click();
        QCOMPARE(w.state.ChartScale, 400);
        QCOMPARE(w.graph.Label8[0]->text(), QStringLiteral("400"));
        QCOMPARE(w.show.Label8[0]->text(), QStringLiteral("400"));
    }
    w.graph.SetScaleText(QStringLiteral("20"));
    w.graph.Combo1_Clicktwo();
    QCOMPARE(w.state.ChartScale, 20);
    QCOMPARE(w.graph.Label8[1]->text(), QStringLiteral("17.5"));
    QCOMPARE(w.show.Label8[0]->text(), QStringLiteral("400")); // Clicktwo hands nothing on
}

void GraphWindowTest::zoomStepsAndStops() {
    Windows w;
    GraphForm& g = w.graph;
    const auto zoom = [&](ImageButton* button, const QString& from) {
        g.SetScaleText(from);
        g.Combo1_Clicktwo();
        markPlot(*g.Picture1);
        markPlot(*w.show.Picture1);
        QTest::mouseClick(button, Qt::LeftButton);
    };

    zoom(g.Image2, QStringLiteral("400"));
    QCOMPARE(g.Combo1->currentText(), QStringLiteral("200"));
    QCOMPARE(w.state.ChartScale, 200);
    QCOMPARE(g.Label8[0]->text(), QStringLiteral("200"));
    QCOMPARE(w.show.Combo1->currentText(), QStringLiteral("200"));
    QVERIFY(repaintedSinceMark(*g.Picture1));
    QVERIFY(repaintedSinceMark(*w.show.Picture1));

    zoom(g.Image3, QStringLiteral("100"));
    QCOMPARE(w.state.ChartScale, 200);
    zoom(g.Image3, QStringLiteral("40"));
    QCOMPARE(g.Combo1->currentText(), QStringLiteral("100"));
    QCOMPARE(w.state.ChartScale, 100);

    // At the ends of the list nothing changes and nothing is repainted, in either window.
    for (const auto& [button, text] :
         {std::pair{g.Image2, QStringLiteral("10")}, std::pair{g.Image3, QStringLiteral("4000")}}) {
        w.show.Combo1->setEditText(QStringLiteral("40"));
        zoom(button, text);
        QCOMPARE(g.Combo1->currentText(), text);
        QCOMPARE(w.state.ChartScale, text.toInt());
        QCOMPARE(w.show.Combo1->currentText(), QStringLiteral("40"));
        QVERIFY(!repaintedSinceMark(*g.Picture1));
        QVERIFY(!repaintedSinceMark(*w.show.Picture1));
    }

    // A text that is not in the list is applied unchanged.
    zoom(g.Image2, QStringLiteral("50"));
    QCOMPARE(g.Combo1->currentText(), QStringLiteral("50"));
    QCOMPARE(w.state.ChartScale, 50);
    QCOMPARE(w.show.Combo1->currentText(), QStringLiteral("50"));
    QVERIFY(repaintedSinceMark(*g.Picture1));
}

void GraphWindowTest::pressedFaces() {
    Windows w;
    GraphForm& g = w.graph;
    g.show();
    const ImageButton* paging[] = {g.imgbtnfirst, g.imgbtnleft, g.imgbtncenter, g.imgbtnright,
                                   g.imgbtnend};
    for (int i = 0; i < 5; ++i) {
        auto* b = const_cast<ImageButton*>(paging[i]);
        QTest::mousePress(b, Qt::LeftButton);
        QVERIFY(sameFace(b, PagingFace(i + 6)));
        QTest::mouseRelease(b, Qt::LeftButton);
        QVERIFY(sameFace(b, PagingFace(i + 1)));
    }
    QTest::mousePress(g.Image2, Qt::LeftButton);
    QVERIFY(sameFace(g.Image2, ZoomFace(3)));
    QTest::mouseRelease(g.Image2, Qt::LeftButton);
    QVERIFY(sameFace(g.Image2, ZoomFace(2)));
    QTest::mousePress(g.Image3, Qt::LeftButton);
    QVERIFY(sameFace(g.Image3, ZoomFace(1)));
    QTest::mouseRelease(g.Image3, Qt::LeftButton);
    QVERIFY(sameFace(g.Image3, ZoomFace(4)));
}

void GraphWindowTest::enterAndLeavingApplyNothing() {
    // The live display has no way to the graph here: only the graph's box reaches the other.
    Windows w;
    w.show.show();
    w.graph.show();
    for (QComboBox* box :
         {static_cast<QComboBox*>(w.graph.Combo1), static_cast<QComboBox*>(w.show.Combo1)}) {
        QWidget* window = box->window();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, QStringLiteral("10")); // an entry of the list
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        QCOMPARE(box->currentText(), QStringLiteral("10"));
        QCOMPARE(w.state.ChartScale, 40);
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, QStringLiteral("20"));
        box->clearFocus(); // leaving the box
        QCOMPARE(w.state.ChartScale, 40);
        QCOMPARE(w.graph.Label8[0]->text(), QStringLiteral("40"));
        QCOMPARE(w.show.Label8[0]->text(), QStringLiteral("40"));

        // Choosing with the arrow keys is a choice: "20" is followed by "10".
        box->setFocus();
        box->setCurrentIndex(box->findText(QStringLiteral("20")));
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->currentText(), QStringLiteral("10"));
        QCOMPARE(w.state.ChartScale, 10);
        QCOMPARE(w.show.Label8[0]->text(), QStringLiteral("10")); // from either window

        w.graph.SetScaleText(QStringLiteral("40"));
        w.graph.Combo1_Click();
    }
}

void GraphWindowTest::cursorReadoutPositions() {
    Windows w;
    storeReadings(w.state, 100, [](int n) { return n; });
    w.state.Readings(2).Data = QStringLiteral("1.25");
    GraphForm& g = w.graph;
    g.show();
    QCOMPARE(w.state.ViewSpan, 100);

    struct Case {
        double x;
        int lineX; // whole pixels, halves to even
        QString value, trh, time;
    };
    const Case cases[] = {{2, 2, "", "", ""},
                          {10.5, 10, "1.25m/s", "T2", "t2"}, // 1.5 to 2
                          {17.5, 18, "1.25m/s", "T2", "t2"}, // 2.5 to the even 2
                          {24.5, 24, "4m/s", "T4", "t4"},    // 3.5 to 4
                          {693, 693, "99m/s", "T99", "t99"},
                          {700, 700, "", "", ""}}; // the page's last reading shows nothing
    for (const Case& c : cases) {
        moveOverPlot(g, {c.x, 100});
        QVERIFY(g.Line1->isVisible());
        QVERIFY(g.Label1->isVisible() && g.Label2->isVisible() && g.Label3->isVisible());
        QCOMPARE(g.Line1->x(), c.lineX);
        QCOMPARE(g.Label2->text(), c.value);
        QCOMPARE(g.Label1->text(), c.trh);
        QCOMPARE(g.Label3->text(), c.time);
    }

    moveOverPlot(g, {40, 100});
    QCOMPARE(g.Label1->pos(), QPoint(40, 0));
    QCOMPARE(g.Label2->pos(), QPoint(40, 103));
    QCOMPARE(g.Label3->pos(), QPoint(40, 468));

    // Leaving the plot hides the readout at once.
    moveOverPlot(g, {40, 494.5});
    QVERIFY(!g.Line1->isVisible());
    for (QLabel* l : {g.Label1, g.Label2, g.Label3}) {
        QVERIFY(!l->isVisible());
        QCOMPARE(l->text(), QString());
    }
    moveOverPlot(g, {40, 100});
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(g.Picture1->Inside(), &leave);
    QVERIFY(!g.Line1->isVisible() && !g.Label2->isVisible());
}

void GraphWindowTest::cursorLabelsStayInside() {
    Windows w;
    storeReadings(w.state, 3, [](int n) { return n; });
    GraphForm& g = w.graph;
    g.show();
    moveOverPlot(g, {705, 494}); // the inner corner counts as inside
    QVERIFY(g.Label2->isVisible());
    QCOMPARE(g.Label1->pos(), QPoint(705 - 211, 0));
    QCOMPARE(g.Label3->pos(), QPoint(705 - 211, 468));
    QCOMPARE(g.Label2->pos(), QPoint(705 - 99, 494 - 26));
    QCOMPARE(g.Line1->x(), 705);
    moveOverPlot(g, {500, 470});
    QCOMPARE(g.Label1->pos(), QPoint(494, 0));
    QCOMPARE(g.Label2->pos(), QPoint(500, 468));
    // With a page of three readings, positions 3 and beyond show nothing.
    moveOverPlot(g, {14, 50});
    QCOMPARE(g.Label2->text(), QStringLiteral("2m/s"));
    moveOverPlot(g, {21, 50});
    QCOMPARE(g.Label2->text(), QString());
}

void GraphWindowTest::printsToPdf() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graph.pdf"));
    PdfFileTarget target(path);
    GraphPrinting printing;
    printing.clockText = [] {
        return QStringLiteral("06.05.14 10:11:12");
    };
    printing.setup.target = &target;
    Windows w(printing);
    storeReadings(w.state, 237, [](int) { return 3.0; });
    w.graph.SetScaleText(QStringLiteral("10"));
    w.graph.Combo1_Click();
    w.graph.SetPageNumbers({"201", "250", "300"});

    const GraphReportTexts texts = w.graph.PrintTexts();
    QCOMPARE(texts.axisNumbers[1], QStringLiteral("8.75"));
    QCOMPARE(texts.axisNumbers[8], QStringLiteral("0"));
    QCOMPARE(texts.axisNumbers[16], QStringLiteral("-10"));
    QCOMPARE(texts.pageNumbers[2], QStringLiteral("300"));
    QCOMPARE(texts.clock, QStringLiteral("06.05.14 10:11:12"));

    w.state.PlotPoints[0].record = 0;
    QTest::mouseClick(w.graph.Command1, Qt::LeftButton);
    QCOMPARE(w.boxes.shown, QStringList());
    QVERIFY(QFile::exists(path));
    QCOMPARE(w.state.PlotPoints[0].record, 201); // the print drew the page
    const QString text = pdfText(path);
    for (const char* expected :
         {"Brisel Graph Report", "06.05.14 10:11:12", "8.75", "-1.25", "201", "250", "300"})
        QVERIFY2(text.contains(QLatin1String(expected)), expected);
}

void GraphWindowTest::printWithoutPrinterShowsError() {
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("a default printer is set up here; printing to it is not a test");
    Windows w;
    storeReadings(w.state, 5, [](int n) { return n; });
    QTest::mouseClick(w.graph.Command1, Qt::LeftButton);
    QCOMPARE(w.boxes.shown, QStringList{QStringLiteral("printer error!")});
    // The window keeps working.
    w.graph.SetScaleText(QStringLiteral("20"));
    w.graph.Combo1_Click();
    QCOMPARE(w.state.ChartScale, 20);
}

QTEST_MAIN(GraphWindowTest)
#include "GraphWindowTest.moc"
