#pragma once

#include "live/GraphPeer.h"
#include "reports/PrintReports.h"

#include <QPointF>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class ChartArea;
class GVarMod;
class ImageButton;
class MessageBoxes;
class QLabel;
class QPushButton;
class PickOnlyComboBox;
class ShowForm;
class VerticalDottedLine;

// What the "Print" button needs besides the readings: the connection panel's clock text at the
// moment of printing, and where the print goes (the default printer unless a target is set).
struct GraphPrinting {
    std::function<QString()> clockText; // empty function: no clock text on the sheet
    PrintSetup setup;
};

// The graph window: the current page of readings drawn large, with its own scale box and zoom
// buttons, five paging buttons, the axis and page numbers, a cursor readout and the "Print" button.
//
// The page and the scale are shared with the live display: every change made here updates and
// repaints the live display as well (its scale box through its Combo1_Clicktwo, its page numbers
// and chart directly). The live display reaches this window through GraphPeer, only while it is
// shown.
//
// A top-level window that is deleted when the user closes it; GraphWindowHost creates it afresh.
class GraphForm : public QWidget, public GraphPeer {
    Q_OBJECT
public:
    GraphForm(GVarMod& state, ShowForm& show, MessageBoxes& boxes, GraphPrinting printing = {},
              QWidget* parent = nullptr);
    ~GraphForm() override;

    // Places the window at (0, 0) with its outer size 900 x 678 and fills the scale list from
    // empty, leaving the box's text as it is.
    void Form_Load();

    // Applies the scale box's text and hands it on to the live display.
    void Combo1_Click();
    // Applies the scale box's text; hands nothing on.
    void Combo1_Clicktwo() override;
    // Draws the plot on top of what the area holds (it does not erase).
    void Picture1_Paint();

    // The repaint rule: erase the plot to light grey, then Picture1_Paint.
    void RepaintPlot() override;
    void SetScaleText(const QString& text) override;
    void SetAxisCaptions(std::int32_t scale) override;
    void SetPageNumbers(const std::array<QString, 3>& numbers) override;

    // The texts the printed graph copies: axis numbers from the top (Label8 0 ... 7, Label6,
    // Label8 9 ... 16), the page numbers and the clock.
    GraphReportTexts PrintTexts() const;

    PickOnlyComboBox* Combo1 = nullptr;
    QPushButton* Command1 = nullptr; // "Print"
    ImageButton* imgbtnfirst = nullptr;
    ImageButton* imgbtnleft = nullptr;
    ImageButton* imgbtncenter = nullptr;
    ImageButton* imgbtnright = nullptr;
    ImageButton* imgbtnend = nullptr;
    ImageButton* Image2 = nullptr; // zoom in
    ImageButton* Image3 = nullptr; // zoom out
    ChartArea* Picture1 = nullptr;
    std::array<QLabel*, 17> Label8{}; // axis numbers; index 8 is the title "Y:"
    QLabel* Label6 = nullptr;         // "0"
    std::array<QLabel*, 3> numlabel1{};
    QLabel* Label1 = nullptr; // cursor readout: temperature and humidity
    QLabel* Label2 = nullptr; // cursor readout: value and unit
    QLabel* Label3 = nullptr; // cursor readout: time
    VerticalDottedLine* Line1 = nullptr;

signals:
    // The user closed the window; it is deleted soon after.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void buildControls();
    void applyScaleText();
    void afterPageMove();
    void fitOuterSize();
    void Command1_Click();
    void Image2_Click();
    void Image3_Click();
    void Picture1_MouseMove(QPointF at);
    void hideCursorReadout();

    GVarMod& m_state;
    ShowForm& m_show;
    MessageBoxes& m_boxes;
    GraphPrinting m_printing;
};
