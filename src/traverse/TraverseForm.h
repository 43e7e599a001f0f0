#pragma once

#include "traverse/TraverseLogic.h"
#include "traverse/TraverseReport.h"

#include <QDateTime>
#include <QSettings>
#include <QWidget>

#include <functional>

class MessageBoxes;
class PrintTarget;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QGridLayout;
class SaveDialog;
class TraverseClock;
struct DecodedFrame;

// What the traverse window works with. The program passes its message boxes, a save dialog of
// the window's own and the system clock; tests pass scripted ones and a clock they drive.
struct TraverseParts {
    MessageBoxes& messages;
    SaveDialog& dialog;
    TraverseClock& clock;
    PrintTarget* printTarget = nullptr; // "Print" goes here; null: the default printer
    std::function<QDateTime()> now = [] {
        return QDateTime::currentDateTime();
    };
};

// The cross-section with its points: the current one ringed, taken ones with their value,
// skipped ones marked, flagged ones in red. A click on a point makes it current.
class TraverseSectionView : public QWidget {
    Q_OBJECT
public:
    explicit TraverseSectionView(const TraverseLogic& logic, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {320, 320}; }
    // Where a point is drawn, in the view's pixels.
    QPointF PointPosition(int index) const;

signals:
    void PointClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRectF frame() const;
    const TraverseLogic& m_logic;
};

// The "Traverse" window: setup, points, taking, results and output of one duct traverse or face
// grid. Not modal; closing it cancels a running take and keeps everything else until "New
// traverse". The setup is remembered between runs.
class TraverseForm : public QWidget {
    Q_OBJECT
public:
    explicit TraverseForm(TraverseParts parts, QWidget* parent = nullptr);
    ~TraverseForm() override;

    // One reading from the reception path.
    void AcceptReading(const DecodedFrame& reading) { m_logic.AcceptReading(reading); }

    TraverseLogic& Logic() { return m_logic; }

    // The user's actions.
    void NewTraverse();
    void Take();
    void CancelTake();
    void Skip();
    void Save();
    void Print();
    void SavePdf();

    // Controls, for the keyboard and for tests.
    QComboBox* ShapeBox = nullptr;
    QComboBox* LengthUnitBox = nullptr;
    QDoubleSpinBox* DiameterBox = nullptr;
    QDoubleSpinBox* WidthBox = nullptr;
    QDoubleSpinBox* HeightBox = nullptr;
    QComboBox* RoundPointsBox = nullptr;
    QComboBox* DiametersBox = nullptr;
    QSpinBox* RowsBox = nullptr;
    QSpinBox* ColumnsBox = nullptr;
    QComboBox* VelocityUnitBox = nullptr;
    QSpinBox* TakeTimeBox = nullptr;
    QDoubleSpinBox* DesignBox = nullptr;
    QComboBox* DesignUnitBox = nullptr;
    QDoubleSpinBox* ToleranceBox = nullptr;
    QDoubleSpinBox* FlagBox = nullptr;
    QLineEdit* LocationBox = nullptr;
    QLineEdit* TechnicianBox = nullptr;
    QLabel* SummaryLabel = nullptr;
    QTableWidget* PointTable = nullptr;
    TraverseSectionView* Section = nullptr;
    QLabel* StatusLabel = nullptr;
    QLabel* VerdictLabel = nullptr;
    QPushButton* NewButton = nullptr;
    QPushButton* TakeButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* SkipButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* PdfButton = nullptr;

    // The texts of the results panel, label and text per line.
    QStringList ResultTexts() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildSetup();
    QWidget* buildResults();
    void showSetup(const TraverseSetup& setup);
    TraverseSetup setupFromControls() const;
    void setupEdited();
    void sizeEdited();
    void lengthUnitEdited();
    void refresh();
    void refreshTable();
    void refreshResults();
    void refreshStatus();
    void takeEnded(TakeEnd end);
    TraverseReportData report() const;

    TraverseParts m_parts;
    TraverseLogic m_logic;
    QSettings m_settings;
    QGridLayout* m_results = nullptr;
    QList<QLabel*> m_resultLabels;
    bool m_showing = false; // controls being filled from a setup: no edits to react to
    LengthUnit m_shownUnit = LengthUnit::Millimetres;
};
