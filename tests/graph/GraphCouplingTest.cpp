#include "GraphTestSupport.h"

#include "charts/ChartArea.h"
#include "graph/GraphForm.h"
#include "graph/GraphWindowHost.h"
#include "live/ShowForm.h"
#include "state/GVarMod.h"
#include "state/ReadoutRules.h"
#include "widgets/ImageButton.h"
#include "widgets/PickOnlyComboBox.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QPointer>

namespace {

// Stands between the live display and the graph window and writes down every call the live
// display makes on the graph.
class RecordingPeer : public GraphPeer {
public:
    void SetScaleText(const QString& text) override {
        calls << QStringLiteral("SetScaleText ") + text;
        inner->SetScaleText(text);
    }
    void Combo1_Clicktwo() override {
        calls << QStringLiteral("Combo1_Clicktwo");
        inner->Combo1_Clicktwo();
    }
    void SetAxisCaptions(std::int32_t scale) override {
        calls << QStringLiteral("SetAxisCaptions %1").arg(scale);
        inner->SetAxisCaptions(scale);
    }
    void SetPageNumbers(const std::array<QString, 3>& numbers) override {
        calls << QStringLiteral("SetPageNumbers %1 %2 %3").arg(numbers[0], numbers[1], numbers[2]);
        inner->SetPageNumbers(numbers);
    }
    void RepaintPlot() override {
        calls << QStringLiteral("RepaintPlot");
        inner->RepaintPlot();
    }
    GraphPeer* inner = nullptr;
    QStringList calls;
};

class RecordingAccess : public GraphWindowAccess {
public:
    explicit RecordingAccess(GraphWindowHost& host)
        : m_host(host) {}
    GraphPeer* VisibleGraph() override { return through(m_host.VisibleGraph()); }
    GraphPeer* OpenGraph() override {
        peer.calls << QStringLiteral("OpenGraph");
        return through(m_host.OpenGraph());
    }
    RecordingPeer peer;

private:
    GraphPeer* through(GraphPeer* graph) {
        if (!graph)
            return nullptr;
        peer.inner = graph;
        return &peer;
    }
    GraphWindowHost& m_host;
};

// The live display with the way to the graph, as the program sets them up.
struct Program {
    Program() {
        show.Form_Load();
        show.SetGraphAccess(&access);
        show.show();
    }
    GraphForm* openFromLiveDisplay() {
        emit show.Image1->Click();
        return host.Window();
    }
    QStringList livePageNumbers() const {
        QStringList out;
        for (QLabel* l : show.Label7)
            out << l->text();
        return out;
    }
    QStringList graphPageNumbers() const {
        QStringList out;
        if (GraphForm* g = host.Window())
            for (QLabel* l : g->numlabel1)
                out << l->text();
        return out;
    }
    GVarMod state;
    RunningExtremes extremes;
    ScriptedMessages boxes;
    ShowForm show{state, extremes};
    GraphWindowHost host{state, show, boxes};
    RecordingAccess access{host};
};

QStringList axis(const GraphForm& g) {
    QStringList out;
    for (int k : {0, 1, 7, 9, 16})
        out << g.Label8[static_cast<std::size_t>(k)]->text();
    return out;
}

// The y of the first reading of the page on each chart, as drawn.
int firstDotY(ChartArea& area, int x) {
    const QImage img = plotImage(area);
    for (int y = 2; y < img.height() - 2; ++y)
        if (dotAt(img, x, y))
            return y;
    return -1;
}

} // namespace

class GraphCouplingTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void openingCopiesScaleAndPage();
    void scaleChangeCrossesOnce();
    void pagingReachesBothWindows();
    void closedGraphIsGone();
    void reopeningStartsFromDesignState();
    void exitClosesTheGraph();
};

void GraphCouplingTest::openingCopiesScaleAndPage() {
    Program p;
    storeReadings(p.state, 237, [](int n) { return n <= 200 ? 10.0 : 100.0; });
    p.show.Combo1->setEditText(QStringLiteral("400")); // typed, not yet applied
    QCOMPARE(p.state.ChartScale, 40);

    GraphForm* g = p.openFromLiveDisplay();
    QVERIFY(g);
    QVERIFY(g->isVisible());
    QVERIFY(!g->isModal());
    QCOMPARE(p.access.VisibleGraph() != nullptr, true);
    QCOMPARE(g->Combo1->currentText(), QStringLiteral("400"));
    QCOMPARE(g->Combo1->count(), 9);
    QCOMPARE(p.state.ChartScale, 400);
    QCOMPARE(axis(*g), (QStringList{"400", "350", "50", "-50", "-400"}));
    QCOMPARE(p.graphPageNumbers(), (QStringList{"201", "250", "300"}));
    // Drawn at the scale just set: 100 of 400 lies 54 pixels above the zero line.
    QCOMPARE(firstDotY(*g->Picture1, 7), 247 - 54);
    QCOMPARE(firstDotY(*p.show.Picture1, 4), 123 - 25);
    // The live display never applied a scale to the graph through its box.
    QVERIFY(!p.access.peer.calls.contains(QStringLiteral("Combo1_Clicktwo")));

    // Opening again while shown keeps the one window.
    p.show.Combo1->setEditText(QStringLiteral("20"));
    QCOMPARE(p.openFromLiveDisplay(), g);
    QCOMPARE(g->Combo1->currentText(), QStringLiteral("20"));
    QCOMPARE(axis(*g), (QStringList{"20", "17.5", "2.5", "-2.5", "-20"}));
    QCOMPARE(g->Combo1->count(), 9);

    // A text that is no usable scale gives 400 in both windows, never 0.
    p.show.Combo1->setEditText(QStringLiteral("0"));
    p.openFromLiveDisplay();
    QCOMPARE(p.state.ChartScale, 400);
    QCOMPARE(g->Label8[0]->text(), QStringLiteral("400"));
    QCOMPARE(p.show.Label8[0]->text(), QStringLiteral("400"));
}

void GraphCouplingTest::scaleChangeCrossesOnce() {
    Program p;
    storeReadings(p.state, 3, [](int) { return 5.0; });
    GraphForm* g = p.openFromLiveDisplay();

    // From the live display: the graph applies it once and calls nothing back.
    p.access.peer.calls.clear();
    markPlot(*g->Picture1);
    pickFromList(p.show.Combo1, QStringLiteral("10"));
    QCOMPARE(p.access.peer.calls, (QStringList{"SetScaleText 10", "Combo1_Clicktwo"}));
    QCOMPARE(p.state.ChartScale, 10);
    QCOMPARE(axis(*g), (QStringList{"10", "8.75", "1.25", "-1.25", "-10"}));
    QVERIFY(repaintedSinceMark(*g->Picture1));
    QCOMPARE(firstDotY(*g->Picture1, 7), 247 - 108);

    p.access.peer.calls.clear();
    emit p.show.Image3->Click(); // zoom out: "20"
    QCOMPARE(p.access.peer.calls, (QStringList{"SetScaleText 20", "Combo1_Clicktwo"}));
    QCOMPARE(g->Combo1->currentText(), QStringLiteral("20"));

    // From the graph: the live display applies it, and the graph hears nothing back.
    p.access.peer.calls.clear();
    markPlot(*p.show.Picture1);
    pickFromList(g->Combo1, QStringLiteral("100"));
    QCOMPARE(p.access.peer.calls, QStringList());
    QCOMPARE(p.state.ChartScale, 100);
    QCOMPARE(p.show.Combo1->currentText(), QStringLiteral("100"));
    QCOMPARE(p.show.Label8[0]->text(), QStringLiteral("100"));
    QCOMPARE(p.show.Label8[7]->text(), QStringLiteral("-100"));
    QVERIFY(repaintedSinceMark(*p.show.Picture1));
    QCOMPARE(firstDotY(*p.show.Picture1, 4), 123 - 5);

    emit g->Image2->Click(); // zoom in: "40"
    QCOMPARE(p.access.peer.calls, QStringList());
    QCOMPARE(p.show.Combo1->currentText(), QStringLiteral("40"));
    QCOMPARE(p.show.Label8[1]->text(), QStringLiteral("30"));
    QCOMPARE(axis(*g), (QStringList{"40", "35", "5", "-5", "-40"}));

    // With the graph closed, the live display's changes do not reach it.
    g->close();
    p.access.peer.calls.clear();
    pickFromList(p.show.Combo1, QStringLiteral("200"));
    QCOMPARE(p.access.peer.calls, QStringList());
    QCOMPARE(p.state.ChartScale, 200);
}

void GraphCouplingTest::pagingReachesBothWindows() {
    Program p;
    // Pages of distinct values: page 1 at 10, page 2 at 20, page 3 at 30.
    storeReadings(p.state, 250, [](int n) { return 10.0 * ((n - 1) / 100 + 1); });
    GraphForm* g = p.openFromLiveDisplay();
    QCOMPARE(p.state.ChartScale, 40);
    QCOMPARE(p.graphPageNumbers(), (QStringList{"201", "250", "300"}));
    const auto bothShowPage = [&](int value, const QStringList& numbers) {
        QCOMPARE(p.livePageNumbers(), numbers);
        QCOMPARE(p.graphPageNumbers(), numbers);
        QCOMPARE(firstDotY(*g->Picture1, 7), 247 - value * 216 / 40);
        QCOMPARE(firstDotY(*p.show.Picture1, 4), 123 - value * 100 / 40);
    };
    emit g->imgbtnfirst->Click();
    QCOMPARE(p.state.ViewStart, 1);
    QVERIFY(p.state.ViewHeld);
    bothShowPage(10, {"1", "50", "100"});
    emit g->imgbtnright->Click();
    bothShowPage(20, {"101", "150", "200"});
    emit p.show.Picture5->Click(); // the live display's next page reaches the graph too
    QCOMPARE(p.state.ViewSpan, 50);
    QVERIFY(!p.state.ViewHeld);
    bothShowPage(30, {"201", "250", "300"});
    emit g->imgbtnleft->Click();
    bothShowPage(20, {"101", "150", "200"});
    emit g->imgbtnend->Click();
    bothShowPage(30, {"201", "250", "300"});
    emit g->imgbtnfirst->Click();
    emit g->imgbtncenter->Click();
    bothShowPage(30, {"201", "250", "300"});

    // A button that cannot move repaints nothing in either window.
    markPlot(*g->Picture1);
    markPlot(*p.show.Picture1);
    emit g->imgbtnright->Click();
    QVERIFY(!repaintedSinceMark(*g->Picture1));
    QVERIFY(!repaintedSinceMark(*p.show.Picture1));

    // With the graph closed only the live display moves.
    g->close();
    p.access.peer.calls.clear();
    emit p.show.Picture2->Click();
    QCOMPARE(p.state.ViewStart, 1);
    QCOMPARE(p.show.Label7[2]->text(), QStringLiteral("100"));
    QCOMPARE(p.access.peer.calls, QStringList());
    // Opened again, the graph shows that page.
    g = p.openFromLiveDisplay();
    bothShowPage(10, {"1", "50", "100"});
}

void GraphCouplingTest::closedGraphIsGone() {
    Program p;
    QCOMPARE(p.host.VisibleGraph(), nullptr); // never opened
    QPointer<GraphForm> g = p.openFromLiveDisplay();
    QCOMPARE(p.host.VisibleGraph(), static_cast<GraphPeer*>(g.data()));
    QVERIFY(g->close());
    QCOMPARE(p.host.VisibleGraph(), nullptr); // at once, before the window is deleted
    QCOMPARE(p.host.Window(), nullptr);
    QTRY_VERIFY(g.isNull()); // deleted on the next pass of the event loop

    // Opening right after a close, before the deletion, gives a new window.
    QPointer<GraphForm> first = p.openFromLiveDisplay();
    first->close();
    QPointer<GraphForm> second = p.openFromLiveDisplay();
    QVERIFY(second != first);
    QVERIFY(second->isVisible());
    QTRY_VERIFY(first.isNull());
    QVERIFY(!second.isNull());
    QCOMPARE(p.host.VisibleGraph(), static_cast<GraphPeer*>(second.data()));

    // A hidden window is not visible to anybody.
    second->hide();
    QCOMPARE(p.host.VisibleGraph(), nullptr);
}

void GraphCouplingTest::reopeningStartsFromDesignState() {
    Program p;
    storeReadings(p.state, 5, [](int n) { return n; });
    GraphForm* g = p.openFromLiveDisplay();
    g->Combo1->addItem(QStringLiteral("extra"));
    g->Label1->show();
    g->Label1->setText(QStringLiteral("changed"));
    g->numlabel1[1]->setText(QStringLiteral("changed"));
    g->close();

    g = p.openFromLiveDisplay();
    QCOMPARE(g->Combo1->count(), 9);
    QCOMPARE(g->Combo1->findText(QStringLiteral("extra")), -1);
    QVERIFY(g->Label1->isHidden());
    QCOMPARE(g->Label1->text(), QStringLiteral("0000"));
    QCOMPARE(g->numlabel1[1]->text(), QStringLiteral("50")); // set again by the opening
    QCOMPARE(g->pos(), QPoint(0, 0));
    QCOMPARE(g->size(), QSize(900, 678));
}

void GraphCouplingTest::exitClosesTheGraph() {
    Program p;
    QPointer<GraphForm> closedEarlier = p.openFromLiveDisplay();
    closedEarlier->close(); // waiting for deletion
    QPointer<GraphForm> open = p.openFromLiveDisplay();
    p.host.CloseGraph();
    QVERIFY(open.isNull());
    QVERIFY(closedEarlier.isNull());
    QCOMPARE(p.host.VisibleGraph(), nullptr);
    // The live display keeps working without it.
    pickFromList(p.show.Combo1, QStringLiteral("20"));
    QCOMPARE(p.state.ChartScale, 20);
    QCOMPARE(p.access.peer.calls.count(QStringLiteral("OpenGraph")), 2);
    QCOMPARE(p.access.peer.calls.count(QStringLiteral("Combo1_Clicktwo")), 0);
}

QTEST_MAIN(GraphCouplingTest)
#include "GraphCouplingTest.moc"
