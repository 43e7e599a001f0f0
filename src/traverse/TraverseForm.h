#pragma once

#include "traverse/SectionDrawing.h"
#include "traverse/TraverseLogic.h"
#include "traverse/TraverseReport.h"
#include "traverse/TraverseSettings.h"

#include <QDateTime>
#include <QSettings>
#include <QWidget>

#include <functional>

class MessageBoxes;
class PrintTarget;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;
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

// The "Traverse" window: one air-flow test at a time (duct traverse, grille or diffuser, fume
// hood face, clean air unit, face grid) with its setup, the site's air, the instrument and the
// people, the points, timed takes, the results with actual and standard flow, the verdict and
// its reasons, and output (CSV, print, PDF). Not modal; closing it cancels a running take and
// keeps everything else until "New". The setup, the instruments and the technician are
// remembered between runs.
class TraverseForm : public QWidget {
    Q_OBJECT
public:
    explicit TraverseForm(TraverseParts parts, QWidget* parent = nullptr);
    ~TraverseForm() override;

    // One reading from the reception path.
    void AcceptReading(const DecodedFrame& reading) { m_logic.AcceptReading(reading); }
    // Whether the meter is connected and in step (from the link).
    void SetMeterOnline(bool online) { m_logic.SetMeterOnline(online); }

    TraverseLogic& Logic() { return m_logic; }
    // Whether points were taken or skipped since the test was last saved (CSV or PDF).
    bool Unsaved() const { return m_unsaved; }
    // The test was written elsewhere (its job): nothing to offer at exit.
    void MarkSaved() { m_unsaved = false; }
    // Whether tests are kept elsewhere as they are taken (an open job): "New" then asks nothing
    // when the test shown is kept.
    void SetTestsKept(bool kept) { m_kept = kept; }

    // A test kept in a job: its setup, records, results' unit and people shown and continued.
    void LoadTest(const TraverseSetup& setup, std::vector<PointRecord> records,
                  std::optional<MeterUnit> unit, const TestPeople& people);
    TestPeople People() const { return people(); }
    std::optional<Instrument> ChosenInstrument() const { return chosenInstrument(); }

    // The user's actions.
    void NewTraverse();
    void Take();
    void CancelTake();
    void Skip();
    // Save as CSV; false when the user cancelled or the file was not written.
    bool Save();
    void Print();
    void SavePdf();

    // Controls, for the keyboard and for tests.
    QComboBox* TypeBox = nullptr;
    QComboBox* ShapeBox = nullptr;
    QComboBox* MethodBox = nullptr;
    QComboBox* LengthUnitBox = nullptr;
    QDoubleSpinBox* DiameterBox = nullptr;
    QDoubleSpinBox* WidthBox = nullptr;
    QDoubleSpinBox* HeightBox = nullptr;
    QComboBox* RoundPointsBox = nullptr;
    QComboBox* DiametersBox = nullptr;
    QSpinBox* RowsBox = nullptr;
    QSpinBox* ColumnsBox = nullptr;
    QSpinBox* ReadingsBox = nullptr;
    QDoubleSpinBox* AkBox = nullptr;
    QComboBox* AkUnitBox = nullptr;
    QLineEdit* AkSourceBox = nullptr;
    QComboBox* VelocityUnitBox = nullptr;
    QSpinBox* TakeTimeBox = nullptr;
    QDoubleSpinBox* DesignBox = nullptr;
    QComboBox* DesignUnitBox = nullptr;
    QCheckBox* DesignStandardBox = nullptr;
    QDoubleSpinBox* ToleranceBox = nullptr;
    QDoubleSpinBox* FlagBox = nullptr;
    QDoubleSpinBox* BandLowBox = nullptr;
    QDoubleSpinBox* BandHighBox = nullptr;
    QComboBox* BandUnitBox = nullptr;
    QDoubleSpinBox* MaxCvBox = nullptr;
    // The site's air.
    QComboBox* PressureSourceBox = nullptr;
    QDoubleSpinBox* PressureBox = nullptr;
    QComboBox* PressureUnitBox = nullptr;
    QDoubleSpinBox* AltitudeBox = nullptr;
    QComboBox* AltitudeUnitBox = nullptr;
    QCheckBox* TypedAirBox = nullptr;
    QDoubleSpinBox* TemperatureBox = nullptr;
    QDoubleSpinBox* HumidityBox = nullptr;
    QComboBox* StandardAirBox = nullptr;
    // The instrument and the people.
    QComboBox* InstrumentBox = nullptr;
    QLineEdit* MakeBox = nullptr;
    QLineEdit* ModelBox = nullptr;
    QLineEdit* SerialBox = nullptr;
    QComboBox* ProbeBox = nullptr;
    QDateEdit* CalibratedBox = nullptr;
    QDateEdit* DueBox = nullptr;
    QPushButton* AddInstrumentButton = nullptr;
    QPushButton* RemoveInstrumentButton = nullptr;
    QLabel* CalibrationLabel = nullptr;
    QLineEdit* ProjectBox = nullptr;
    QLineEdit* TagBox = nullptr;
    QLineEdit* LocationBox = nullptr;
    QLineEdit* TechnicianBox = nullptr;
    QPlainTextEdit* NotesBox = nullptr;

    QTabWidget* SetupTabs = nullptr;
    QLabel* SummaryLabel = nullptr;
    QLabel* NoteLabel = nullptr;
    QTableWidget* PointTable = nullptr;
    TraverseSectionView* Section = nullptr;
    QLabel* StatusLabel = nullptr;
    QLabel* VerdictLabel = nullptr;
    QLabel* ReasonsLabel = nullptr;
    QPushButton* NewButton = nullptr;
    QPushButton* TakeButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* SkipButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* PdfButton = nullptr;
    QPushButton* JobButton = nullptr;

    // The texts of the results panel, label and text per line.
    QStringList ResultTexts() const;
    // What the report of the test now would hold.
    TraverseReportData Report() const;

signals:
    // "Job...": the job window is wanted.
    void JobRequested();
    // The user changed the setup or the test's people (not a take).
    void Edited();
    // "New" is about to replace the test shown (what waits to be written goes now), and started a
    // new one.
    void TestClosing();
    void NewTestStarted();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildTestTab();
    QWidget* buildAirTab();
    QWidget* buildJobTab();
    QWidget* buildResults();
    void showSetup(const TraverseSetup& setup);
    TraverseSetup setupFromControls() const;
    void setupEdited();
    void typeEdited();
    void sizeEdited();
    void sizeRefused(QDoubleSpinBox* box);
    void lengthUnitEdited();
    void designUnitEdited();
    void fillDesignUnits(bool flow);
    void fillRoundPoints(const TraverseSetup& setup);
    void instrumentPicked();
    void instrumentEdited();
    void addInstrument();
    void removeInstrument();
    void showInstrument();
    void refresh();
    void refreshTable();
    void refreshResults();
    void refreshStatus();
    void takeEnded(TakeEnd end);
    void spacePressed();
    bool confirmReplace(const QString& path);
    std::optional<Instrument> chosenInstrument() const;
    TestPeople people() const;

    TraverseParts m_parts;
    TraverseLogic m_logic;
    QSettings m_settings;
    KeptInstruments m_instruments;
    QGridLayout* m_results = nullptr;
    QList<QLabel*> m_resultLabels;
    bool m_showing = false; // controls being filled from a setup: no edits to react to
    bool m_unsaved = false;
    bool m_kept = false;
    LengthUnit m_shownUnit = LengthUnit::Millimetres;
    // The sizes as the user gave them, in metres: a change of unit there and back keeps them.
    double m_exact[3] = {0.4, 0.6, 0.4};
    // The design value's unit as shown, for converting it when the unit changes.
    int m_shownDesignUnit = 0;
    bool m_designFlow = true;
};
