#pragma once

#include <QPixmap>
#include <QWidget>

#include <array>
#include <cstdint>

class ChartArea;
class GraphWindowAccess;
class GVarMod;
class ImageButton;
class LineControl;
class QLabel;
class QLineEdit;
class QPushButton;
class RectangleShape;
class PickOnlyComboBox;
class VerticalDottedLine;
struct RunningExtremes;

// The live display: the newest reading in large digits with unit, kind, temperature-and-humidity
// line and bar meter; the running extremes with RESET; the live trend chart of the current page
// with its scale box, zoom buttons, paging buttons, graph button and cursor readout.
//
// Its controls are public: the reception handler writes the readout texts, the bar meter and the
// page numbers, and the connection panel switches the readout's look.
class ShowForm : public QWidget {
    Q_OBJECT
public:
    // state: the shared readings and chart page; extremes: the main window's varmax / varmin.
    ShowForm(GVarMod& state, RunningExtremes& extremes, QWidget* parent = nullptr);
    ~ShowForm() override;

    // The way to the graph window (set once at start-up; without it the graph is never touched).
    void SetGraphAccess(GraphWindowAccess* graphs) { m_graphs = graphs; }

    void Form_Load();

    // Applies the scale box's text and passes it on to the graph window when that is shown.
    void Combo1_Click();
    // Applies the scale box's text; passes nothing on.
    void Combo1_Clicktwo();
    // Draws the chart on top of what the area holds (it does not erase).
    void Picture1_Paint();
    // The repaint rule: erase the chart area to light grey, then Picture1_Paint.
    void RepaintChart();

    // Shows the current page in both charts: the page numbers and the repaint of the live chart,
    // then, while the graph window is shown, its page numbers and plot.
    void ShowCurrentPage();

    // The readout's two looks.
    void ShowLinkOnline();
    void ShowLinkOffline();

    // Readout panel.
    QLabel* Label5 = nullptr; // "OFFLINE"
    QLabel* Label4 = nullptr; // main value
    QLabel* Label3 = nullptr; // unit
    QLabel* Label2 = nullptr; // temperature and humidity
    QLabel* rangelabel = nullptr;
    QLabel* Label1 = nullptr;
    std::array<LineControl*, 41> Lineshow{};
    std::array<QLabel*, 5> labelline{};
    std::array<RectangleShape*, 4> Shapeline{};
    LineControl* LineHH = nullptr;

    // Extremes row.
    QLabel* Label10 = nullptr;
    QLineEdit* TextMIN = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* TextMAX = nullptr;
    QPushButton* Command1 = nullptr;

    // Chart area.
    std::array<QLabel*, 9> Label8{}; // 0 ... 7 axis numbers, 8 the title "Y:"
    PickOnlyComboBox* Combo1 = nullptr;
    ImageButton* Picture2 = nullptr; // first page
    ImageButton* Picture3 = nullptr; // previous page
    ImageButton* Picture4 = nullptr; // newest page (dot)
    ImageButton* Picture5 = nullptr; // next page
    ImageButton* Picture6 = nullptr; // newest page (last-page face)
    ChartArea* Picture1 = nullptr;
    QLabel* Label6 = nullptr;
    std::array<QLabel*, 3> Label7{};
    ImageButton* Image1 = nullptr; // opens the graph window
    ImageButton* Image2 = nullptr; // zoom in
    ImageButton* Image3 = nullptr; // zoom out
    ImageButton* Image4 = nullptr; // opens the traverse window
    ImageButton* Image5 = nullptr; // opens a recording
    ImageButton* Image6 = nullptr; // opens the Alarms window
    QLabel* Label12 = nullptr;     // cursor tag
    VerticalDottedLine* Line1 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr; // cursor T&RH
    QLabel* Label15 = nullptr; // cursor time

signals:
    // The traverse button was clicked.
    void TraverseRequested();
    // The recording button was clicked: open a saved file.
    void RecordingRequested();
    // The alarms button was clicked: the main window opens the Alarms window.
    void AlarmsRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildReadoutPanel();
    void buildChartArea();
    void applyScaleText();
    void Picture1_MouseMove(QPointF at);
    void hideCursorReadout();
    void Command1_Click();
    void Image1_Click();
    void Image2_Click();
    void Image3_Click();

    GVarMod& m_state;
    RunningExtremes& m_extremes;
    GraphWindowAccess* m_graphs = nullptr;
    QPixmap m_background;
};
