#include "live/ShowForm.h"
#include "charts/ChartArea.h"
#include "charts/ChartPainter.h"
#include "charts/DottedLine.h"
#include "live/GraphPeer.h"
#include "live/LineControl.h"
#include "state/GVarMod.h"
#include "state/ReadoutRules.h"
#include "widgets/ButtonFaces.h"
#include "widgets/ImageButton.h"
#include "widgets/PickOnlyComboBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

namespace {

// Records what the live display asks of the graph window.
class FakeGraph : public GraphPeer, public GraphWindowAccess {
public:
    bool shown = false;
    int opened = 0;
    int clicktwo = 0;
    int repaints = 0;
    QString scaleText;
    std::int32_t captionsScale = 0;
    std::array<QString, 3> pages;

    GraphPeer* VisibleGraph() override { return shown ? this : nullptr; }
    GraphPeer* OpenGraph() override {
        ++opened;
        shown = true;
        return this;
    }
    void SetScaleText(const QString& text) override { scaleText = text; }
    void Combo1_Clicktwo() override { ++clicktwo; }
    void SetAxisCaptions(std::int32_t scale) override { captionsScale = scale; }
    void SetPageNumbers(const std::array<QString, 3>& numbers) override { pages = numbers; }
    void RepaintPlot() override { ++repaints; }
};

QStringList captions(const ShowForm& f) {
    QStringList out;
    for (int k = 0; k < 8; ++k)
        out << f.Label8[k]->text();
    return out;
}

QStringList pageLabels(const ShowForm& f) {
    return {f.Label7[0]->text(), f.Label7[1]->text(), f.Label7[2]->text()};
}

void fill(GVarMod& s, int count) {
    for (int i = 1; i <= count; ++i) {
        Reading& r = s.AppendRecord();
        r.Value = i % 40;
        r.Data = QString::number(i % 40);
        r.Unit = QStringLiteral("m/s");
        r.TRH = QStringLiteral("trh %1").arg(i);
        r.Time = QStringLiteral("time %1").arg(i);
    }
    s.ApplyLivePage();
}

void pick(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    QVERIFY(index >= 0);
    box->setCurrentIndex(index);
    emit box->activated(index); // what the user's pick of an entry raises
}

// Pixels the readout look of the panel decides, not the window's own visibility.
bool shown(const QWidget* w) {
    return !w->isHidden();
}

} // namespace

class ShowFormTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init();
    void cleanup();
    void startLook();
    void linkedAndOfflineLooks();
    void resetClearsExtremes();
    void startScaleAgrees();
    void pickingAScaleAppliesAndPassesOnOnce();
    void typingAndEnterApplyNothing();
    void zoomStepsAndStops();
    void arrowKeysStepFromTheScaleShown();
    void zoomFacesPressed();
    void paging();
    void pagingFaceHighlight();
    void openingTheGraph();
    void cursorReadout();

private:
    GVarMod* state = nullptr;
    RunningExtremes* extremes = nullptr;
    FakeGraph* graph = nullptr;
    ShowForm* form = nullptr;
};

void ShowFormTest::init() {
    state = new GVarMod;
    extremes = new RunningExtremes;
    graph = new FakeGraph;
    form = new ShowForm(*state, *extremes);
    form->SetGraphAccess(graph);
    form->Form_Load();
    form->show();
}

void ShowFormTest::cleanup() {
    delete form;
    delete graph;
    delete extremes;
    delete state;
}

void ShowFormTest::startLook() {
    QCOMPARE(form->size(), QSize(500, 600));
    QVERIFY(shown(form->Label5));
    QCOMPARE(form->Label5->text(), QStringLiteral("OFFLINE"));
    QVERIFY(shown(form->rangelabel));
    QVERIFY(form->rangelabel->text().isEmpty());
    for (QWidget* w : {static_cast<QWidget*>(form->Label4), static_cast<QWidget*>(form->Label3),
                       static_cast<QWidget*>(form->Label2), static_cast<QWidget*>(form->LineHH)})
        QVERIFY(!shown(w));
    for (LineControl* l : form->Lineshow)
        QVERIFY(!shown(l));
    QCOMPARE(form->TextMIN->text(), QStringLiteral("0"));
    QCOMPARE(form->TextMAX->text(), QStringLiteral("0"));
    QCOMPARE(form->Command1->text(), QStringLiteral("RESET"));
    QCOMPARE(form->Label7[2]->text(), QStringLiteral("100"));
    QCOMPARE(form->Picture1->geometry(), QRect(40, 296, 409, 249));
    // The bar meter's segments: every tenth is long, the fifths are middle-sized.
    QCOMPARE(form->Lineshow[0]->Line(), QLine(72, 168, 72, 184));
    QCOMPARE(form->Lineshow[5]->Line(), QLine(112, 168, 112, 180));
    QCOMPARE(form->Lineshow[7]->Line(), QLine(128, 168, 128, 176));
    QCOMPARE(form->Lineshow[40]->Line(), QLine(392, 168, 392, 184));
}

void ShowFormTest::linkedAndOfflineLooks() {
    form->ShowLinkOnline();
    QVERIFY(!shown(form->Label5));
    for (QWidget* w :
         {static_cast<QWidget*>(form->Label4), static_cast<QWidget*>(form->Label3),
          static_cast<QWidget*>(form->Label2), static_cast<QWidget*>(form->rangelabel)})
        QVERIFY(shown(w));
    QVERIFY(shown(form->Lineshow[40]) && shown(form->labelline[4]) && shown(form->Shapeline[3]));
    QVERIFY(!shown(form->LineHH));

    form->Label4->setText(QStringLiteral("1.23"));
    form->TextMAX->setText(QStringLiteral("9"));
    form->ShowLinkOffline();
    QVERIFY(shown(form->Label5));
    for (QWidget* w : {static_cast<QWidget*>(form->Label4), static_cast<QWidget*>(form->Label3),
                       static_cast<QWidget*>(form->Label2), static_cast<QWidget*>(form->rangelabel),
                       static_cast<QWidget*>(form->Label1)})
        QVERIFY(!shown(w));
    QVERIFY(!shown(form->Lineshow[0]) && !shown(form->labelline[0]) && !shown(form->Shapeline[0]));
    // The extremes row stays, with its last texts; captions are not cleared either.
    QVERIFY(shown(form->TextMAX) && shown(form->Command1) && shown(form->Label10));
    QCOMPARE(form->TextMAX->text(), QStringLiteral("9"));
    QCOMPARE(form->Label4->text(), QStringLiteral("1.23"));
}

void ShowFormTest::resetClearsExtremes() {
    extremes->Update(3);
    extremes->Update(5);
    form->TextMAX->setText(QStringLiteral("5"));
    form->TextMIN->setText(QStringLiteral("typed"));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(form->TextMAX->text(), QStringLiteral("0"));
    QCOMPARE(form->TextMIN->text(), QStringLiteral("0"));
    QCOMPARE(extremes->varmax, RunningExtremes::kUnset);
    QCOMPARE(extremes->varmin, RunningExtremes::kUnset);
}

void ShowFormTest::startScaleAgrees() {
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("40"));
    QCOMPARE(state->ChartScale, 40);
    QCOMPARE(captions(*form), (QStringList{"40", "30", "20", "10", "-10", "-20", "-30", "-40"}));
    QCOMPARE(form->Combo1->count(), 9);
    QCOMPARE(form->Combo1->itemText(0), QStringLiteral("4000"));
    QCOMPARE(form->Combo1->itemText(8), QStringLiteral("10"));
    // The start-up drawing: the zero line at y = 123 on the grey area.
    const QImage& canvas = form->Picture1->Canvas();
    QCOMPARE(canvas.pixelColor(200, 123), QColor(0, 0, 0));
    QCOMPARE(canvas.pixelColor(200, 130), kChartBackground);
}

void ShowFormTest::pickingAScaleAppliesAndPassesOnOnce() {
    fill(*state, 5);
    pick(form->Combo1, QStringLiteral("10"));
    QCOMPARE(state->ChartScale, 10);
    QCOMPARE(captions(*form), (QStringList{"10", "7.5", "5", "2.5", "-2.5", "-5", "-7.5", "-10"}));
    QCOMPARE(graph->clicktwo, 0); // the graph is closed: not touched
    QVERIFY(graph->scaleText.isEmpty());

    graph->shown = true;
    pick(form->Combo1, QStringLiteral("200"));
    QCOMPARE(state->ChartScale, 200);
    QCOMPARE(graph->scaleText, QStringLiteral("200"));
    QCOMPARE(graph->clicktwo, 1);

    // From the graph: applies here and passes nothing back.
    form->Combo1->setEditText(QStringLiteral("20"));
    form->Combo1_Clicktwo();
    QCOMPARE(state->ChartScale, 20);
    QCOMPARE(captions(*form)[1], QStringLiteral("15"));
    QCOMPARE(graph->clicktwo, 1);
}

void ShowFormTest::typingAndEnterApplyNothing() {
    form->Combo1->setEditText(QStringLiteral("10"));
    QCOMPARE(state->ChartScale, 40);
    form->Combo1->lineEdit()->setFocus();
    QTest::keyClick(form->Combo1->lineEdit(), Qt::Key_Return);
    QCOMPARE(state->ChartScale, 40);
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("10"));
    QCOMPARE(form->Combo1->count(), 9); // typed text is never added to the list
    QCOMPARE(captions(*form)[0], QStringLiteral("40"));
}

void ShowFormTest::zoomStepsAndStops() {
    form->Combo1->setEditText(QStringLiteral("40"));
    QTest::mouseClick(form->Image3, Qt::LeftButton);
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("100"));
    QCOMPARE(state->ChartScale, 100);
    QTest::mouseClick(form->Image2, Qt::LeftButton);
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("40"));

    form->Combo1->setEditText(QStringLiteral("10"));
    state->ChartScale = 40;
    QTest::mouseClick(form->Image2, Qt::LeftButton); // zoom in at "10": nothing happens
    QCOMPARE(state->ChartScale, 40);
    form->Combo1->setEditText(QStringLiteral("4000"));
    QTest::mouseClick(form->Image3, Qt::LeftButton); // zoom out at "4000": nothing happens
    QCOMPARE(state->ChartScale, 40);

    // A typed text outside the list is applied unchanged by either button.
    form->Combo1->setEditText(QStringLiteral("50"));
    QTest::mouseClick(form->Image2, Qt::LeftButton);
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("50"));
    QCOMPARE(state->ChartScale, 50);
    QCOMPARE(captions(*form),
             (QStringList{"50", "37.5", "25", "12.5", "-12.5", "-25", "-37.5", "-50"}));
}

void ShowFormTest::arrowKeysStepFromTheScaleShown() {
    // At start the box shows "40": Down is the next smaller scale, not the list's first entry.
    QTest::keyClick(form->Combo1, Qt::Key_Down);
    QCOMPARE(state->ChartScale, 20);
    // After zooming out twice ("20" -> "40" -> "100"), Down zooms back in by one step.
    QTest::mouseClick(form->Image3, Qt::LeftButton);
    QTest::mouseClick(form->Image3, Qt::LeftButton);
    QCOMPARE(state->ChartScale, 100);
    QTest::keyClick(form->Combo1, Qt::Key_Down);
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("40"));
    QCOMPARE(state->ChartScale, 40);
    QCOMPARE(captions(*form)[0], QStringLiteral("40"));
}

void ShowFormTest::zoomFacesPressed() {
    const QImage raisedApart = ZoomFace(2).toImage();
    QTest::mousePress(form->Image2, Qt::LeftButton);
    QCOMPARE(form->Image2->Picture().toImage(), ZoomFace(3).toImage());
    QTest::mouseRelease(form->Image2, Qt::LeftButton);
    QCOMPARE(form->Image2->Picture().toImage(), raisedApart);
    QTest::mousePress(form->Image3, Qt::LeftButton);
    QCOMPARE(form->Image3->Picture().toImage(), ZoomFace(1).toImage());
    QTest::mouseRelease(form->Image3, Qt::LeftButton);
    QCOMPARE(form->Image3->Picture().toImage(), ZoomFace(4).toImage());
}

void ShowFormTest::paging() {
    // Nothing stored: no button moves, nothing is repainted.
    QTest::mouseClick(form->Picture2, Qt::LeftButton);
    QTest::mouseClick(form->Picture6, Qt::LeftButton);
    QCOMPARE(pageLabels(*form), (QStringList{"1", "50", "100"}));

    fill(*state, 250);
    graph->shown = true;
    QTest::mouseClick(form->Picture2, Qt::LeftButton); // first page
    QCOMPARE(state->ViewStart, 1);
    QVERIFY(state->ViewHeld);
    QCOMPARE(pageLabels(*form), (QStringList{"1", "50", "100"}));
    QCOMPARE(graph->repaints, 1);
    QCOMPARE(graph->pages[2], QStringLiteral("100"));
    QCOMPARE(state->PlotPoints[99].record, 100); // the live chart was redrawn on the new page

    QTest::mouseClick(form->Picture5, Qt::LeftButton); // next
    QCOMPARE(pageLabels(*form), (QStringList{"101", "150", "200"}));
    QTest::mouseClick(form->Picture5, Qt::LeftButton); // next reaches the newest readings
    QCOMPARE(state->ViewSpan, 50);
    QVERIFY(!state->ViewHeld);
    QCOMPARE(graph->repaints, 3);
    QTest::mouseClick(form->Picture5, Qt::LeftButton); // cannot move: nothing at all
    QCOMPARE(graph->repaints, 3);

    graph->shown = false; // a closed graph is left alone
    QTest::mouseClick(form->Picture3, Qt::LeftButton);
    QCOMPARE(pageLabels(*form), (QStringList{"101", "150", "200"}));
    QCOMPARE(graph->repaints, 3);
    QTest::mouseClick(form->Picture4, Qt::LeftButton); // the dot: newest page
    QCOMPARE(state->ViewStart, 201);
    QVERIFY(!state->ViewHeld);
}

void ShowFormTest::pagingFaceHighlight() {
    const QImage normal = PagingFace(2).toImage();
    QMouseEvent inside(QEvent::MouseMove, QPointF(60, 21), QPointF(), Qt::NoButton, Qt::NoButton,
                       Qt::NoModifier); // the edge counts as inside
    QCoreApplication::sendEvent(form->Picture3, &inside);
    QCOMPARE(form->Picture3->Picture().toImage(), PagingFace(7).toImage());
    QMouseEvent outside(QEvent::MouseMove, QPointF(61, 5), QPointF(), Qt::NoButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(form->Picture3, &outside);
    QCOMPARE(form->Picture3->Picture().toImage(), normal);
    QCOMPARE(form->Picture6->toolTip(), QStringLiteral("last page"));
    QCOMPARE(form->Picture4->toolTip(), QStringLiteral("last page"));
}

void ShowFormTest::openingTheGraph() {
    fill(*state, 237);
    form->Combo1->setEditText(QStringLiteral("400"));
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    QCOMPARE(graph->opened, 1);
    QCOMPARE(graph->scaleText, QStringLiteral("400"));
    QCOMPARE(state->ChartScale, 400);
    QCOMPARE(graph->captionsScale, 400);
    QCOMPARE(graph->pages, (std::array<QString, 3>{"201", "250", "300"}));
    QCOMPARE(graph->clicktwo, 0);
    // The typed text is now the scale of both charts, captions included.
    QCOMPARE(captions(*form)[0], QStringLiteral("400"));

    form->Combo1->setEditText(QStringLiteral("abc")); // never a scale of 0
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    QCOMPARE(state->ChartScale, 400);
}

void ShowFormTest::cursorReadout() {
    fill(*state, 100);
    form->RepaintChart();
    const QSize inner = form->Picture1->InnerSize();

    emit form->Picture1->MouseMoved(QPointF(6, 50)); // 1.5 rounds to 2: the second reading
    QVERIFY(shown(form->Line1) && shown(form->Label12));
    QCOMPARE(form->Label12->text(), QStringLiteral("2m/s"));
    QCOMPARE(form->Label14->text(), QStringLiteral("trh 2"));
    QCOMPARE(form->Label15->text(), QStringLiteral("time 2"));
    QCOMPARE(form->Label12->pos(), QPoint(9, 53));
    QCOMPARE(form->Line1->x(), 6);

    emit form->Picture1->MouseMoved(QPointF(10, 50)); // 2.5 rounds to the even 2
    QCOMPARE(form->Label14->text(), QStringLiteral("trh 2"));
    emit form->Picture1->MouseMoved(QPointF(396, 240)); // the 99th, tag kept inside
    QCOMPARE(form->Label14->text(), QStringLiteral("trh 99"));
    QCOMPARE(form->Label12->geometry().right(), inner.width() - 1);
    QCOMPARE(form->Label12->geometry().bottom(), inner.height() - 1);
    emit form->Picture1->MouseMoved(QPointF(400, 50)); // the page's last reading shows nothing
    QVERIFY(shown(form->Label12));
    QVERIFY(form->Label12->text().isEmpty() && form->Label14->text().isEmpty());
    emit form->Picture1->MouseMoved(QPointF(2, 50)); // position 0
    QVERIFY(form->Label15->text().isEmpty());

    emit form->Picture1->MouseMoved(QPointF(6, 50));
    emit form->Picture1->MouseLeft();
    QVERIFY(!shown(form->Line1) && !shown(form->Label12));
    QVERIFY(form->Label14->text().isEmpty() && form->Label15->text().isEmpty());

    // After the table is emptied the page still names old records; they are not shown.
    state->ResetReadings();
    emit form->Picture1->MouseMoved(QPointF(6, 50));
    QVERIFY(form->Label14->text().isEmpty());
}

QTEST_MAIN(ShowFormTest)
#include "ShowFormTest.moc"
