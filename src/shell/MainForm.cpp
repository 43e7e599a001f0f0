#include "shell/MainForm.h"

#include "graph/GraphWindowHost.h"
#include "link/ConnectForm.h"
#include "link/LinkController.h"
#include "link/MeterFrame.h"
#include "link/SerialPort.h"
#include "live/LineControl.h"
#include "live/ShowForm.h"
#include "reports/AtomicFileWriter.h"
#include "reports/TextReportWriter.h"
#include "shell/AppIcon.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"
#include "table/DataForm.h"
#include "widgets/MessageBoxes.h"
#include "widgets/SaveDialog.h"
#include "widgets/ScreenUpdatePacing.h"
#include "widgets/WindowLayout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

namespace {
const QString kTextFilter = QStringLiteral("text files (*.txt)|*.txt");
const QString kSaveQuestion = QStringLiteral("Please save data!");
const QString kExitQuestion = QStringLiteral("Do you want to save data?");
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

    m_link = std::make_unique<LinkController>(m_parts.port, m_parts.platform, m_parts.messages);
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
    wireWindows();
}

MainForm::~MainForm() {
    // The graph window refers to the live display: close it before the children go.
    m_graphs.reset();
}

void MainForm::wireWindows() {
    m_connectForm->Attach(*m_link);
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
    m_dataForm->SetHooks(std::move(hooks));
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
    ShowForm& show = *m_showForm;
    r.TRH = d.trhText;
    show.Label2->setText(r.TRH);
    if (d.kindLabel)
        show.rangelabel->setText(*d.kindLabel);
    if (d.unitText)
        r.Unit = *d.unitText;
    show.Label3->setText(r.Unit);
    r.Value = d.value;
    r.Data = d.dataText;
    show.Label4->setText(r.Data);
    r.Time = ReadingTimeText(m_parts.now());
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

    if (!state.ViewHeld) {
        state.ApplyLivePage();
        m_showForm->ShowCurrentPage();
    }
    if (state.ReadingCount >= kReadingLimit)
        onReadingLimit();
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
    m_link->RequestResync();
}

void MainForm::MDIForm_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_link->Shutdown();
    m_graphs->CloseGraph();
    if (m_parts.state.ReadingCount <= 0)
        return;
    if (!m_parts.messages.Question(kExitQuestion))
        return;
    // A failed write is reported and the dialog offered again; No or Cancel still ends.
    for (;;) {
        const QString path = AskSavePath(m_parts.commonDialog, kTextFilter);
        if (path.isEmpty())
            return;
        QString error;
        if (WriteTextReport(m_parts.state, path, kExitReportTitle, &error, m_parts.now()))
            return;
        m_parts.messages.Message(FileWriteErrorText(path, error));
    }
}

void MainForm::closeEvent(QCloseEvent* event) {
    MDIForm_Unload();
    event->accept();
    QMainWindow::closeEvent(event);
}
