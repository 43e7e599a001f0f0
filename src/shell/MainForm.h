#pragma once

#include "link/MeterFrame.h"
#include "reports/PrintReports.h"
#include "state/ReadoutRules.h"
#include "state/SystemTexts.h"

#include <QDateTime>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class AlarmsForm;
class ConnectForm;
class DataForm;
class GraphWindowHost;
class GVarMod;
class LinkController;
class MessageBoxes;
class OpenDialog;
class PortPlatform;
class QMdiArea;
class QTimer;
class RecordingWindows;
class RecoveryLog;
class RunAlarms;
struct LoggedReading;
struct Reading;
class SaveDialog;
class SerialPort;
class ShowForm;
class TraverseClock;
class TraverseWindowHost;

// What the main window is built from. The start procedure passes the real ones; tests pass
// pseudo-terminals, fake sysfs trees, scripted message boxes and dialogs, and PDF print targets.
struct MainParts {
    GVarMod& state;
    SerialPort& port;         // the meter's serial port (MSComm1)
    PortPlatform& platform;   // how ports are named, listed, probed and found
    MessageBoxes& messages;   // every message box of the program
    SaveDialog& commonDialog; // the main window's file dialog (CommonDialog1)
    SaveDialog& dataDialog;   // the data table's own file dialog
    PrintSetup print;         // where printing goes: the default printer unless a test says so
    std::function<QDateTime()> now = LocalNow;
    // The traverse window's file dialog and take clock; null: a real dialog and the system clock.
    SaveDialog* traverseDialog = nullptr;
    TraverseClock* traverseClock = nullptr;
    QString recoveryFolder = {}; // where the recovery logs live; empty: no recovery log
    // The dialog that picks recordings to open (Ctrl+O); null: the real file dialog.
    OpenDialog* openDialog = nullptr;
};

// The main window: a fixed-size frame holding the live display, the data table and the connection
// panel; it owns the serial port's link, receives every frame (MSComm1_OnComm) and offers to save
// the readings when it closes. The graph window is a separate top-level window it closes at exit.
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kOuterWidth = 950;
    static constexpr int kOuterHeight = 678;

    explicit MainForm(MainParts parts);
    ~MainForm() override;

    // The start-up steps: the three child windows in order, extremes unset, AutoConnect.
    void MDIForm_Load();
    // Keeps the outer size at 950 x 678 whenever the window is in its normal state.
    void MDIForm_Resize();
    // The serial port's event: stores and shows one reading per 13-byte frame waiting.
    void MSComm1_OnComm();
    // The closing steps: stop reception, close the graph, offer to save. False when a save failed
    // and the user gave up saving: the program stays open with its recovery log.
    bool MDIForm_Unload();

    // The running extremes varmax / varmin.
    RunningExtremes extremes;

    // The other windows.
    ConnectForm* connectForm() const { return m_connectForm; }
    ShowForm* showForm() const { return m_showForm; }
    DataForm* dataForm() const { return m_dataForm; }
    GraphWindowHost& graphHost() const { return *m_graphs; }
    TraverseWindowHost& traverseHost() const { return *m_traverse; }
    LinkController& link() const { return *m_link; }
    RecoveryLog& recovery() const { return *m_recovery; }
    RecordingWindows& recordings() const { return *m_recordings; }
    RunAlarms& alarms() const { return *m_alarms; }
    AlarmsForm* alarmsWindow() const { return m_alarmsWindow.get(); }
    // Shows the Alarms window and brings it to the front.
    void OpenAlarms();

    // Opens saved files in recording windows (read off the interface thread).
    void OpenRecordings(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void wireWindows();
    void placeChild(QWidget* child, QPoint at);
    void showStoredReading(const Reading& r, const std::optional<QString>& kindLabel);
    const Reading& restoreReading(const LoggedReading& entry);
    void storeReading(const MeterFrame& frame);
    void onReadingLimit();
    bool offerSaveAtExit();
    void resetAtLimit();

    MainParts m_parts;
    QMdiArea* m_area = nullptr;
    std::unique_ptr<LinkController> m_link;
    ConnectForm* m_connectForm = nullptr;
    ShowForm* m_showForm = nullptr;
    DataForm* m_dataForm = nullptr;
    std::unique_ptr<GraphWindowHost> m_graphs;
    std::unique_ptr<TraverseWindowHost> m_traverse;
    std::unique_ptr<RecoveryLog> m_recovery;
    std::unique_ptr<RecordingWindows> m_recordings;
    std::unique_ptr<RunAlarms> m_alarms;
    std::unique_ptr<AlarmsForm> m_alarmsWindow;
    QTimer* m_alarmTick = nullptr; // no-data rules look at the silence
    bool m_alarmsPlaced = false;   // the Alarms window was placed on the screen
    bool m_unloaded = false;
};
