#pragma once

#include "recording/RecordingPlot.h"
#include "recording/RecordingStats.h"
#include "reports/PrintReports.h"

#include <QWidget>

#include <memory>

class MessageBoxes;
class QCheckBox;
class QLabel;
class QPushButton;
class SaveDialog;

// The drawing of a recording: draws the layout the core computes for the window's view, and turns
// the mouse and keys into changes of that view.
//   wheel: zoom at the pointer; drag: pan; Shift+drag: select a time range; right-drag or
//   Ctrl+drag: zoom to the range dragged over; + and -: zoom at the middle;
//   Left / Right: pan a tenth (Page Up / Page Down: a whole width); Escape: drop the selection.
class RecordingPlotView : public QWidget {
    Q_OBJECT
public:
    RecordingPlotView(const Recording& recording, PlotView& view, QWidget* parent = nullptr);

    // The layout of what is drawn now (what the last paint drew, or would draw at this size).
    TimePlotLayout Layout() const;

signals:
    void ViewChanged();
    void SelectionChanged();
    void PointedAt(qint64 reading); // -1: the pointer left the plot

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    enum class Drag { None, Pan, Select, Zoom };
    void changed();
    double fractionAt(double x) const;

    const Recording& m_recording;
    PlotView& m_view;
    Drag m_drag = Drag::None;
    double m_pressX = 0;
    PlotView m_pressView;
};

// The window of one recording, "Recording - FILE NAME": the plot, the check boxes for temperature
// and humidity, the cursor readout, the statistics of the selected range, and buttons to show all,
// save the statistics as CSV, print the plot with them or save that as PDF. Home shows all.
class RecordingForm : public QWidget {
    Q_OBJECT
public:
    struct Seams {
        MessageBoxes& messages;
        SaveDialog* dialog = nullptr; // null: the window's own file dialog
        PrintSetup print;             // the default printer unless a test says otherwise
    };
    RecordingForm(std::unique_ptr<Recording> recording, Seams seams, QWidget* parent = nullptr);
    ~RecordingForm() override;

    const Recording& recording() const { return *m_recording; }
    PlotView& view() { return m_view; }
    RecordingPlotView* plot() const { return m_plot; }
    const std::vector<RangeStatistics>& statistics() const { return m_stats; }
    QString ReadoutText() const;
    QString StatisticsText() const;

    // The buttons' steps.
    void SaveStatistics();
    PrintOutcome Print();
    PrintOutcome SavePdf();
    // Shows a time range as selected (as Shift+drag does).
    void Select(qint64 from, qint64 to);

private:
    void selectionChanged();
    PrintOutcome printTo(PrintSetup setup);

    std::unique_ptr<Recording> m_recording;
    Seams m_seams;
    std::unique_ptr<SaveDialog> m_ownDialog;
    PlotView m_view;
    std::vector<RangeStatistics> m_stats;
    RecordingPlotView* m_plot = nullptr;
    QCheckBox* m_temperature = nullptr;
    QCheckBox* m_humidity = nullptr;
    QPushButton* m_saveStats = nullptr;
    QLabel* m_readout = nullptr;
    QLabel* m_statsLabel = nullptr;
    QLabel* m_summary = nullptr;
};
