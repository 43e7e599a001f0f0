#include "shell/MainForm.h"

#include "alarms/AlarmsForm.h"
#include "alarms/DesktopNotice.h"
#include "alarms/RunAlarms.h"
#include "graph/GraphWindowHost.h"
#include "jobs/JobWindow.h"
#include "link/ConnectForm.h"
#include "link/LinkController.h"
#include "link/MeterFrame.h"
#include "link/SerialPort.h"
#include "live/LineControl.h"
#include "live/ShowForm.h"
#include "recording/RecordingWindows.h"
#include "recovery/RecoveryLog.h"
#include "reports/AtomicFileWriter.h"
#include "reports/TextReportWriter.h"
#include "seams/MessageBoxes.h"
#include "seams/SaveDialog.h"
#include "shell/AppIcon.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"
#include "table/DataForm.h"
#include "traverse/TraverseWindowHost.h"
#include "widgets/ScreenUpdatePacing.h"
#include "widgets/WindowLayout.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTimer>

#include <algorithm>

namespace {
const QString kTextFilter = QStringLiteral("text files (*.txt)|*.txt");
const QString kSaveQuestion = QStringLiteral("Please save data!");
const QString kExitQuestion = QStringLiteral("Do you want to save data?");
const QString kExitCancelledText =
    QStringLiteral("The readings were not saved, so Vantello stays open and keeps its recovery "
                   "log. Save them to another place (a disk with room), or press CONNECT to go "
                   "on receiving.");
const QString kLimitReportTitle = QStringLiteral("Anemometer Data Report");
const QString kExitReportTitle = QStringLiteral("Brisel Data Report");
} // namespace

MainForm::MainForm(MainParts parts)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint)
    , m_parts(std::move(parts)) {
    setWindowTitle(QStringLiteral("Vantello"));
    setWindowIcon(VantelloIcon());
    m_area = new QMdiArea(this);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCentralWidget(m_area);
    resize(kOuterWidth, kOuterHeight);
    setFixedSize(kOuterWidth, kOuterHeight);
    PaceScreenUpdates(*this); // a fast stream of frames must not flood the window system

    m_link = std::make_unique<LinkController>(m_parts.port, m_parts.platform);
    connect(m_link.get(), &LinkController::Notice, this,
            [](const QString& text) { qInfo().noquote() << text; }); // on standard error
    m_recovery = std::make_unique<RecoveryLog>(m_parts.recoveryFolder, m_parts.messages);
    m_connectForm = new ConnectForm(m_parts.platform);
    m_showForm = new ShowForm(m_parts.state, extremes);
    m_dataForm = new DataForm(m_parts.state, m_parts.messages, m_parts.dataDialog);
    GraphPrinting printing;
    printing.clockText = [this] {
        return m_connectForm->ClockText();
    };
    printing.setup = m_parts.print;
    m_graphs =
        std::make_unique<GraphWindowHost>(m_parts.state, *m_showForm, m_parts.messages, printing);
    m_recordings = std::make_unique<RecordingWindows>(
        RecordingWindows::Seams{m_parts.messages, m_parts.openDialog, nullptr, m_parts.print});
    // The job window comes with the traverse window, whose tests it keeps.
    TraverseWindowHost::Seams traverseSeams{m_parts.traverseDialog, m_parts.traverseClock,
                                            m_parts.print.target, m_parts.now};
    traverseSeams.created = [this](TraverseForm& traverse) {
        m_jobs = std::make_unique<JobWindow>(JobParts{&m_parts.messages, m_parts.traverseDialog,
                                                      m_parts.openDialog, m_parts.print.target,
                                                      m_parts.now},
                                             traverse);
        m_jobs->OfferLastJob();
    };
    m_traverse = std::make_unique<TraverseWindowHost>(m_parts.messages, std::move(traverseSeams));
    // The alarm rules remembered from the last run are at work from the start.
    m_alarms = std::make_unique<RunAlarms>();
    {
        QSettings settings(QStringLiteral("Vantello"), QStringLiteral("Vantello"));
        QString why;
        m_alarms->SetRules(ReadAlarmSettings(settings).rules, m_parts.now(), &why);
    }
    m_alarmsWindow = std::make_unique<AlarmsForm>(*m_alarms, m_parts.now);
    m_alarmTick = new QTimer(this);
    m_alarmTick->setInterval(250);
    wireWindows();
}

MainForm::~MainForm() {
    // The graph window refers to the live display: close it before the children go.
    m_graphs.reset();
    m_jobs.reset();
    m_traverse.reset();
    m_recordings.reset();
    m_alarmsWindow.reset();
}

void MainForm::wireWindows() {
    m_connectForm->Attach(*m_link, m_parts.messages);
    connect(m_connectForm, &ConnectForm::ShowReadoutOnline, m_showForm, &ShowForm::ShowLinkOnline);
    connect(m_connectForm, &ConnectForm::ShowReadoutOffline, m_showForm,
            &ShowForm::ShowLinkOffline);
    connect(&m_parts.port, &SerialPort::OnComm, this, &MainForm::MSComm1_OnComm);
    m_showForm->SetGraphAccess(m_graphs.get());

    DataTableHooks hooks;
    hooks.ResumeReception = [this] {
        m_link->RequestResync();
    };
    hooks.PauseReception = [this] {
        m_link->PauseReception();
    };
    hooks.PrintDataReport = [this] {
        PrintSetup setup = m_parts.print;
        if (!setup.parent)
            setup.parent = this;
        PrintDataReport(m_parts.state, m_parts.messages, setup);
    };
    hooks.RepaintLiveChart = [this] {
        m_showForm->RepaintChart();
    };
    hooks.ReadingsCleared = [this] {
        m_recovery->StartFresh();
    };
    m_dataForm->SetHooks(std::move(hooks));

    // The traverse window hears whether the meter is connected: a take never runs on without it.
    const auto online = [](LinkState s) {
        return s != LinkState::Closed && s != LinkState::Waiting;
    };
    m_traverse->SetMeterOnline(online(m_link->State()));
    connect(m_link.get(), &LinkController::StateChanged, this,
            [this, online](LinkState s) { m_traverse->SetMeterOnline(online(s)); });

    // The traverse window: Ctrl+T here or the live display's traverse button.
    auto* openTraverse = new QAction(this);
    openTraverse->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    addAction(openTraverse);
    connect(openTraverse, &QAction::triggered, this, [this] { m_traverse->Open(); });
    connect(m_showForm, &ShowForm::TraverseRequested, this, [this] { m_traverse->Open(); });

    // Recordings: Ctrl+O here or the live display's recording button.
    auto* openRecording = new QAction(this);
    openRecording->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    addAction(openRecording);
    connect(openRecording, &QAction::triggered, this, [this] { m_recordings->AskAndOpen(this); });
    connect(m_showForm, &ShowForm::RecordingRequested, this,
            [this] { m_recordings->AskAndOpen(this); });

    // Alarms: Ctrl+L here or the live display's alarms button. The rules hear every reading (in
    // storeReading), whether the meter is expected to send, and a tick for no-data.
    auto* openAlarms = new QAction(this);
    openAlarms->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    addAction(openAlarms);
    connect(openAlarms, &QAction::triggered, this, &MainForm::OpenAlarms);
    connect(m_showForm, &ShowForm::AlarmsRequested, this, &MainForm::OpenAlarms);
    m_alarms->SetExpecting(ReadingsExpected(m_link->State()), m_parts.now());
    connect(m_link.get(), &LinkController::StateChanged, this,
            [this](LinkState s) { m_alarms->SetExpecting(ReadingsExpected(s), m_parts.now()); });
    connect(m_alarmTick, &QTimer::timeout, this, [this] { m_alarms->Tick(m_parts.now()); });
    m_alarmTick->start();
    // Each event goes into the recovery log; a raised alarm is shown by the desktop (or, without
    // its notification service, by the Alarms window coming to the front) and sounds if chosen.
    connect(m_alarms.get(), &RunAlarms::EventHappened, this, [this](const RunEvent& e) {
        m_recovery->AppendEvent(e);
        if (e.kind != RunEventKind::Alarm || e.change != AlarmChange::Raised)
            return;
        ShowDesktopNotice(QStringLiteral("Alarm: %1").arg(e.rule),
                          QStringLiteral("%1 at %2").arg(e.ValueText(), ClockText(e.at)), true,
                          m_alarmsWindow.get(), [this] { OpenAlarms(); });
        if (m_alarmsWindow->Sound())
            QApplication::beep();
    });
}

void MainForm::OpenAlarms() {
    // The first time on the screen, in the middle of its free area.
    if (!m_alarmsPlaced) {
        m_alarmsPlaced = true;
        FitCentredOnScreen(*m_alarmsWindow);
    }
    BringToFront(*m_alarmsWindow);
}

void MainForm::OpenRecordings(const QStringList& paths) {
    m_recordings->Open(paths, this);
}

void MainForm::placeChild(QWidget* child, QPoint at) {
    QMdiSubWindow* sub = m_area->addSubWindow(child, Qt::FramelessWindowHint);
    sub->setFixedSize(child->size());
    KeepLayoutRequestsInside(*child);
    sub->move(at);
    sub->show();
}

void MainForm::MDIForm_Load() {
    // The connection panel, the live display and the data table, in this order.
    placeChild(m_connectForm, {0, 600});
    m_showForm->Form_Load();
    placeChild(m_showForm, {0, 0});
    placeChild(m_dataForm, {500, 0});
    extremes.Reset();
    // Readings of a run that did not end normally come back before any new one arrives.
    m_recovery->OfferEarlierRuns(
        m_parts.state,
        [this](const LoggedReading& entry) -> const Reading& { return restoreReading(entry); },
        [this](const RunEvent& event) { m_alarms->Restore(event); });
    m_recovery->StartRun();
    if (m_parts.state.ReadingCount >= kReadingLimit)
        onReadingLimit();
    m_link->AutoConnect();
}

void MainForm::MDIForm_Resize() {
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    FixOuterSize(*this, {kOuterWidth, kOuterHeight});
}

void MainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        // A maximised window (by a window manager that ignores the missing button) snaps back.
        if (windowState() & Qt::WindowMaximized)
            setWindowState(windowState() & ~Qt::WindowMaximized);
        MDIForm_Resize();
    }
}

void MainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    MDIForm_Resize();
}

// A window manager's frame and title bar are known only once the window is shown in its frame,
// which moves it: the outer size is fitted again then.
void MainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    QTimer::singleShot(0, this, &MainForm::MDIForm_Resize);
}

void MainForm::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    MDIForm_Resize();
}

void MainForm::MSComm1_OnComm() {
    if (m_parts.port.CommEvent() != kCommEventReceive)
        return;
    // Every whole frame waiting is stored in turn (frames that arrived back to back); the link
    // cuts them from the stream. A full table takes none, and the reset at the limit resynchronises
    // the link, which ends the loop.
    while (m_parts.state.ReadingCount < kReadingLimit) {
        const std::optional<MeterFrame> frame = m_link->TakeFrame();
        if (!frame)
            return;
        storeReading(*frame);
    }
    m_parts.port.DiscardInput();
}

void MainForm::storeReading(const MeterFrame& frame) {
    GVarMod& state = m_parts.state;
    Reading& r = state.AppendRecord();
    const DecodedFrame d = DecodeFrame(frame);
    r.TRH = d.trhText;
    if (const std::optional<QString> unit = d.UnitText())
        r.Unit = *unit;
    r.Value = d.value;
    r.Data = d.dataText;
    const QDateTime at = m_parts.now();
    r.Time = ReadingTimeText(at);
    m_recovery->Append(r, d.KindLabel().value_or(QString()), at);
    showStoredReading(r, d.KindLabel());
    m_alarms->Reading(d, at);
    if (TraverseForm* traverse = m_traverse->Listening())
        traverse->AcceptReading(d);
    if (state.ReadingCount >= kReadingLimit)
        onReadingLimit();
}

// The reception steps after a reading is stored: the readout, the table row, the extremes, the
// bar meter and the page. Restored readings take the same steps.
void MainForm::showStoredReading(const Reading& r, const std::optional<QString>& kindLabel) {
    ShowForm& show = *m_showForm;
    show.Label2->setText(r.TRH);
    if (kindLabel)
        show.rangelabel->setText(*kindLabel);
    show.Label3->setText(r.Unit);
    show.Label4->setText(r.Data);
    m_dataForm->AppendReadingRow();

    const RunningExtremes::Change change = extremes.Update(r.Value);
    if (change.max)
        show.TextMAX->setText(r.Data);
    if (change.min)
        show.TextMIN->setText(r.Data);

    for (int i = 1; i <= 4; ++i)
        show.labelline[i]->setText(QString::number(i * 10));
    show.LineHH->hide();
    if (const std::optional<int> k = BarMeterLevel(r.Value)) {
        for (int i = 0; i <= kBarFullScale; ++i)
            show.Lineshow[i]->setVisible(i <= *k);
    }

    GVarMod& state = m_parts.state;
    if (!state.ViewHeld) {
        state.ApplyLivePage();
        m_showForm->ShowCurrentPage();
    }
}

const Reading& MainForm::restoreReading(const LoggedReading& entry) {
    Reading& r = m_parts.state.AppendRecord();
    const std::int32_t no = r.No;
    r = entry.reading;
    r.No = no;
    showStoredReading(r, entry.kind.isEmpty() ? std::nullopt : std::optional<QString>(entry.kind));
    return r;
}

void MainForm::onReadingLimit() {
    GVarMod& state = m_parts.state;
    // Asked until the report is written or the user says No; a failed write never empties the
    // table unasked.
    while (m_parts.messages.Question(kSaveQuestion)) {
        const QString path = AskSavePath(m_parts.commonDialog, kTextFilter);
        if (path.isEmpty())
            return; // the table stays full; later frames are dropped until it is emptied
        QString error;
        if (WriteTextReport(state, path, kLimitReportTitle, &error, m_parts.now()))
            break;
        m_parts.messages.Message(FileWriteErrorText(path, error));
    }
    resetAtLimit();
}

void MainForm::resetAtLimit() {
    GVarMod& state = m_parts.state;
    state.ReadingCount = 0;
    m_dataForm->ResetTable();
    state.ViewHeld = false;
    m_showForm->RepaintChart();
    m_recovery->StartFresh();
    m_link->RequestResync();
}

bool MainForm::MDIForm_Unload() {
    if (m_unloaded)
        return true;
    m_unloaded = true;
    m_link->Shutdown(); // no-data alarms rest with the link closed; the tick goes on for a stay
    m_graphs->CloseGraph();
    if (m_jobs)
        m_jobs->Flush();
    m_traverse->Close();
    m_alarmsWindow->close();
    m_traverse->OfferSaveAtExit();
    if (!offerSaveAtExit()) {
        m_unloaded = false;
        m_parts.messages.Message(kExitCancelledText);
        return false;
    }
    for (RecordingForm* window : m_recordings->Windows())
        window->close();
    m_recovery->EndRun(); // the user has decided, and what was saved is whole
    return true;
}

bool MainForm::offerSaveAtExit() {
    if (m_parts.state.ReadingCount <= 0)
        return true;
    if (!m_parts.messages.Question(kExitQuestion))
        return true;
    // A failed write is reported and the dialog offered again. No or Cancel ends the program,
    // unless a save failed: then the readings are in no file yet, and the program stays.
    bool failed = false;
    for (;;) {
        const QString path = AskSavePath(m_parts.commonDialog, kTextFilter);
        if (path.isEmpty())
            return !failed;
        QString error;
        if (WriteTextReport(m_parts.state, path, kExitReportTitle, &error, m_parts.now()))
            return true;
        failed = true;
        m_parts.messages.Message(FileWriteErrorText(path, error));
    }
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (!MDIForm_Unload()) {
        event->ignore();
        return;
    }
    event->accept();
    QMainWindow::closeEvent(event);
}
