#include "jobs/JobWindow.h"

#include "jobs/JobReport.h"
#include "jobs/JobSchedule.h"
#include "jobs/RecentJobs.h"
#include "reports/AtomicFileWriter.h"
#include "reports/PrintReports.h"
#include "reports/PrintTarget.h"
#include "seams/MessageBoxes.h"
#include "seams/OpenDialog.h"
#include "seams/SaveDialog.h"
#include "state/SystemTexts.h"
#include "traverse/TraverseForm.h"
#include "traverse/TraverseSettings.h"
#include "widgets/FileOpenDialog.h"
#include "widgets/FileSaveDialog.h"
#include "widgets/WindowMessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kJobFilter = QStringLiteral("Vantello jobs (*.vantello)|*.vantello");
const QString kCsvFilter = QStringLiteral("CSV files (*.csv)|*.csv");
const QString kPdfFilter = QStringLiteral("PDF files (*.pdf)|*.pdf");
// A design schedule larger than this is no schedule.
constexpr qint64 kLargestSchedule = 4 * 1024 * 1024;

QString withSuffix(const QString& path, const QString& suffix) {
    return QFileInfo(path).suffix().isEmpty() ? path + u'.' + suffix : path;
}

QString named(const QString& path) {
    return QuotedPath(QDir::toNativeSeparators(path));
}

} // namespace

JobWindow::JobWindow(JobParts parts, TraverseForm& traverse, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_parts(std::move(parts))
    , m_traverse(traverse)
    , m_settings(TraverseSettingsOrganisation(), TraverseSettingsApplication()) {
    m_messages = m_parts.messages;
    if (!m_messages || dynamic_cast<WindowMessageBoxes*>(m_messages)) {
        m_ownMessages = std::make_unique<WindowMessageBoxes>(this);
        m_messages = m_ownMessages.get();
    }
    m_save = m_parts.saveDialog;
    if (!m_save) {
        m_ownSave = std::make_unique<FileSaveDialog>(this);
        m_save = m_ownSave.get();
    }
    m_open = m_parts.openDialog;
    if (!m_open) {
        m_ownOpen = std::make_unique<FileOpenDialog>(this);
        m_open = m_ownOpen.get();
    }

    NewJobButton = new QPushButton(QStringLiteral("&New job..."), this);
    OpenJobButton = new QPushButton(QStringLiteral("&Open job..."), this);
    SaveAsButton = new QPushButton(QStringLiteral("Save job &as..."), this);
    RecentButton = new QToolButton(this);
    RecentButton->setText(QStringLiteral("&Recent"));
    RecentButton->setPopupMode(QToolButton::InstantPopup);
    auto* recent = new QMenu(RecentButton);
    RecentButton->setMenu(recent);
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        const QStringList jobs = LoadRecentJobs(m_settings);
        for (int i = 0; i < int(jobs.size()); ++i)
            recent->addAction(
                QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(jobs[i])), this,
                [this, path = jobs[i]] { OpenJob(path); });
        if (jobs.isEmpty())
            recent->addAction(QStringLiteral("(none yet)"))->setEnabled(false);
    });
    auto* fileRow = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{NewJobButton, OpenJobButton, SaveAsButton, RecentButton})
        fileRow->addWidget(w);
    fileRow->addStretch(1);

    ProjectBox = new QLineEdit(this);
    ClientBox = new QLineEdit(this);
    SiteBox = new QLineEdit(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Project"), ProjectBox);
    form->addRow(QStringLiteral("&Client"), ClientBox);
    form->addRow(QStringLiteral("&Site"), SiteBox);
    for (QLineEdit* e : {ProjectBox, ClientBox, SiteBox})
        connect(e, &QLineEdit::editingFinished, this, &JobWindow::infoEdited);

    TestList = new QTableWidget(this);
    TestList->setColumnCount(6);
    TestList->setHorizontalHeaderLabels({QStringLiteral("Tag"), QStringLiteral("Type"),
                                         QStringLiteral("Design"), QStringLiteral("Measured"),
                                         QStringLiteral("% design"), QStringLiteral("Verdict")});
    TestList->setSelectionBehavior(QAbstractItemView::SelectRows);
    TestList->setSelectionMode(QAbstractItemView::SingleSelection);
    TestList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TestList->setTabKeyNavigation(false);
    TestList->verticalHeader()->hide();
    TestList->horizontalHeader()->setStretchLastSection(true);
    connect(TestList, &QTableWidget::cellActivated, this,
            [this](int row) { OpenTest(TestAt(row)); });
    auto* deleteKey = new QShortcut(QKeySequence::Delete, TestList);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, [this] {
        if (m_job && !m_job->ReadOnly())
            DeleteTest(selectedTest());
    });

    OpenTestButton = new QPushButton(QStringLiteral("Open &test"), this);
    NewTestButton = new QPushButton(QStringLiteral("Ne&w test"), this);
    DuplicateButton = new QPushButton(QStringLiteral("&Duplicate"), this);
    DeleteButton = new QPushButton(QStringLiteral("De&lete..."), this);
    DeleteButton->setToolTip(QStringLiteral("Delete the chosen test and its points (Delete)"));
    ImportButton = new QPushButton(QStringLiteral("&Import schedule..."), this);
    PrintButton = new QPushButton(QStringLiteral("&Print report"), this);
    PdfButton = new QPushButton(QStringLiteral("P&DF report..."), this);
    CsvButton = new QPushButton(QStringLiteral("Summary &CSV..."), this);
    OpenTestButton->setToolTip(QStringLiteral("Continue the chosen test in the Traverse window"));
    NewTestButton->setToolTip(QStringLiteral("A new test in the Traverse window, with the setup "
                                             "shown there"));
    DuplicateButton->setToolTip(QStringLiteral("A copy of the chosen test's setup and design "
                                               "under the next free tag, without points"));
    ImportButton->setToolTip(QStringLiteral("Tests from a CSV file: tag, type, size, design "
                                            "value, unit"));
    auto* testRow = new QHBoxLayout;
    for (QPushButton* b : {OpenTestButton, NewTestButton, DuplicateButton, DeleteButton})
        testRow->addWidget(b);
    testRow->addStretch(1);
    testRow->addWidget(ImportButton);
    auto* outRow = new QHBoxLayout;
    outRow->addStretch(1);
    for (QPushButton* b : {PrintButton, PdfButton, CsvButton})
        outRow->addWidget(b);

    StatusLabel = new QLabel(this);
    StatusLabel->setTextFormat(Qt::PlainText);
    StatusLabel->setWordWrap(true);

    auto* page = new QVBoxLayout(this);
    page->addLayout(fileRow);
    page->addLayout(form);
    page->addWidget(TestList, 1);
    page->addLayout(testRow);
    page->addWidget(StatusLabel);
    page->addLayout(outRow);

    connect(NewJobButton, &QPushButton::clicked, this, &JobWindow::NewJob);
    connect(OpenJobButton, &QPushButton::clicked, this, [this] { OpenJob(); });
    connect(SaveAsButton, &QPushButton::clicked, this, &JobWindow::SaveJobAs);
    connect(OpenTestButton, &QPushButton::clicked, this, [this] { OpenTest(selectedTest()); });
    connect(NewTestButton, &QPushButton::clicked, this, [this] {
        m_traverse.NewTraverse();
        m_traverse.show();
        m_traverse.raise();
    });
    connect(DuplicateButton, &QPushButton::clicked, this,
            [this] { DuplicateTest(selectedTest()); });
    connect(DeleteButton, &QPushButton::clicked, this, [this] { DeleteTest(selectedTest()); });
    connect(ImportButton, &QPushButton::clicked, this, &JobWindow::ImportSchedule);
    connect(PrintButton, &QPushButton::clicked, this, &JobWindow::PrintReport);
    connect(PdfButton, &QPushButton::clicked, this, &JobWindow::SaveReportPdf);
    connect(CsvButton, &QPushButton::clicked, this, &JobWindow::SaveSummaryCsv);

    // The traverse window's test is the job's current one.
    connect(&m_traverse.Logic(), &TraverseLogic::PointRecorded, this, &JobWindow::pointRecorded);
    m_saveSoon.setSingleShot(true);
    m_saveSoon.setInterval(400);
    connect(&m_saveSoon, &QTimer::timeout, this, &JobWindow::saveCurrent);
    connect(&m_traverse, &TraverseForm::Edited, this, [this] {
        if (m_job && m_current != 0)
            m_saveSoon.start();
    });
    connect(&m_traverse, &TraverseForm::TestClosing, this, &JobWindow::Flush);
    connect(&m_traverse, &TraverseForm::NewTestStarted, this, [this] {
        m_saveSoon.stop();
        m_current = 0;
        if (m_job)
            m_traverse.ProjectBox->setText(m_job->Info().project);
        refreshList();
    });
    connect(&m_traverse, &TraverseForm::JobRequested, this, [this] {
        show();
        raise();
        activateWindow();
    });

    refreshTitle();
    refreshList();
    resize(760, 520);
}

JobWindow::~JobWindow() {
    Flush();
}

void JobWindow::Flush() {
    if (m_saveSoon.isActive()) {
        m_saveSoon.stop();
        saveCurrent();
    }
}

JobInfo JobWindow::infoNow() const {
    JobInfo info = m_job ? m_job->Info() : JobInfo{};
    // A job without a project takes the one the traverse window was given.
    info.project = ProjectBox->text().isEmpty() ? m_traverse.People().project : ProjectBox->text();
    info.client = ClientBox->text();
    info.site = SiteBox->text();
    const TestPeople people = m_traverse.People();
    if (!people.technician.isEmpty())
        info.technician = people.technician;
    if (const std::optional<Instrument> in = m_traverse.ChosenInstrument())
        info.instrument = in;
    info.air = m_traverse.Logic().Setup().air;
    return info;
}

JobTest JobWindow::currentTest() const {
    const TraverseLogic& logic = m_traverse.Logic();
    JobTest t;
    t.id = m_current;
    t.setup = logic.Setup();
    t.people = m_traverse.People();
    t.unit = logic.ResultUnit();
    t.records = logic.Records();
    t.summary = SummaryOf(t.setup, t.records, logic.ResultUnit());
    return t;
}

void JobWindow::storeFailed() {
    // Said once a job, not for every point.
    if (m_failShown)
        return;
    m_failShown = true;
    m_messages->Message(QStringLiteral("The job %1 could not be written: %2.\nThe points are kept "
                                       "in the Traverse window; save the job under another name "
                                       "(\"Save job as\") or save the test as CSV.")
                            .arg(named(m_job->Path()), m_job->LastError()));
}

void JobWindow::pointRecorded(int index) {
    if (!m_job || m_job->ReadOnly())
        return;
    const JobTest test = currentTest();
    bool written = false;
    if (m_current == 0) {
        m_current = m_job->AddTest(test);
        written = m_current != 0 && m_job->SetCurrentTest(m_current);
    } else {
        written =
            m_job->StorePoint(m_current, index, test.records[std::size_t(index)], test.summary);
    }
    if (!written) {
        storeFailed();
        return;
    }
    m_traverse.MarkSaved();
    const JobInfo info = infoNow();
    if (!(info == m_job->Info()))
        m_job->SaveInfo(info);
    if (ProjectBox->text() != info.project)
        ProjectBox->setText(info.project);
    refreshList();
}

void JobWindow::saveCurrent() {
    if (!m_job || m_job->ReadOnly() || m_current == 0)
        return;
    if (!m_job->SaveTest(currentTest(), true))
        storeFailed();
    refreshList();
}

void JobWindow::infoEdited() {
    if (m_showing || !m_job || m_job->ReadOnly())
        return;
    const JobInfo info = infoNow();
    if (!(info == m_job->Info()) && !m_job->SaveInfo(info))
        storeFailed();
    m_traverse.ProjectBox->setText(info.project);
    refreshTitle();
}

bool JobWindow::mayChange() {
    if (m_traverse.Logic().Taking()) {
        m_messages->Message(QStringLiteral("A take is running in the Traverse window. Let it "
                                           "finish or cancel it first."));
        return false;
    }
    return true;
}

void JobWindow::adopt(JobOpening opening) {
    Flush();
    // A test in the traverse window that is in no job yet is not lost: it joins this one.
    const bool loose = m_current == 0 && m_traverse.Logic().AnyRecorded();
    m_job = std::move(opening.file);
    m_current = 0;
    m_failShown = false;
    RememberJob(m_settings, m_job->Path());
    SaveOpenJob(m_settings, m_job->Path());
    const JobInfo info = m_job->Info();
    m_showing = true;
    ProjectBox->setText(info.project);
    ClientBox->setText(info.client);
    SiteBox->setText(info.site);
    m_showing = false;
    refreshList();
    refreshTitle();
    if (loose) {
        if (!m_job->ReadOnly()) {
            m_current = m_job->AddTest(currentTest());
            if (m_current == 0)
                storeFailed();
            else
                m_traverse.MarkSaved();
            refreshList();
        }
    } else {
        // The test worked on last is continued, else the one measured last.
        qint64 latest = m_job->CurrentTest();
        if (std::none_of(m_rows.begin(), m_rows.end(),
                         [latest](const JobTestRow& r) { return r.id == latest; })) {
            latest = 0;
            QDateTime when;
            for (const JobTestRow& r : m_rows)
                if (latest == 0 ||
                    (r.summary.last.isValid() && (!when.isValid() || r.summary.last > when))) {
                    latest = r.id;
                    when = r.summary.last;
                }
        }
        if (latest != 0)
            OpenTest(latest);
    }
    if (!opening.notice.isEmpty())
        m_messages->Message(opening.notice);
}

void JobWindow::OfferLastJob() {
    const QString path = LoadOpenJob(m_settings);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    // Asked as the traverse window opens, over the place where it opens: this window is hidden.
    if (m_ownMessages)
        m_ownMessages->SetParent(&m_traverse);
    const bool resume = m_messages->Question(
        QStringLiteral("Continue the job %1 where you left it?").arg(named(path)));
    if (m_ownMessages)
        m_ownMessages->SetParent(this);
    if (resume)
        OpenJob(path);
}

bool JobWindow::NewJob() {
    if (!mayChange())
        return false;
    const QString chosen = AskSavePath(*m_save, kJobFilter);
    if (chosen.isEmpty())
        return false;
    const QString path = withSuffix(chosen, QStringLiteral("vantello"));
    if (m_job &&
        QFileInfo(path).absoluteFilePath() == QFileInfo(m_job->Path()).absoluteFilePath()) {
        m_messages->Message(
            QStringLiteral("%1 is the job open now. Choose another name.").arg(named(path)));
        return false;
    }
    if (QFileInfo::exists(path)) {
        if (!m_messages->Question(QStringLiteral("%1 already exists. Replace it with a new, "
                                                 "empty job?")
                                      .arg(QFileInfo(path).fileName())))
            return false;
        for (const QString& p :
             {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")})
            QFile::remove(p);
    }
    JobInfo info = infoNow();
    info.project = m_traverse.ProjectBox->text();
    info.client.clear();
    info.site.clear();
    JobOpening made = JobFile::Create(path, info);
    if (!made.file) {
        m_messages->Message(made.error);
        return false;
    }
    adopt(std::move(made));
    return true;
}

bool JobWindow::OpenJob(const QString& given) {
    if (!mayChange())
        return false;
    QString path = given;
    if (path.isEmpty()) {
        const QStringList chosen =
            m_open->AskOpenPaths(QStringLiteral("Open job"),
                                 QStringLiteral("Vantello jobs (*.vantello);;All files (*)"));
        if (chosen.isEmpty())
            return false;
        path = chosen.front();
    }
    if (m_job && QFileInfo(path).absoluteFilePath() == QFileInfo(m_job->Path()).absoluteFilePath())
        return true; // open already
    JobOpening opened = JobFile::Open(path);
    if (!opened.file) {
        m_messages->Message(opened.error);
        return false;
    }
    adopt(std::move(opened));
    return true;
}

bool JobWindow::SaveJobAs() {
    if (!m_job) {
        m_messages->Message(QStringLiteral("No job is open. Use \"New job\" or \"Open job\"."));
        return false;
    }
    if (!mayChange())
        return false;
    Flush();
    const QString chosen = AskSavePath(*m_save, kJobFilter);
    if (chosen.isEmpty())
        return false;
    const QString path = withSuffix(chosen, QStringLiteral("vantello"));
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(m_job->Path()).absoluteFilePath())
        return true; // the job is written as it goes
    if (QFileInfo::exists(path)) {
        if (!m_messages->Question(
                QStringLiteral("%1 already exists. Replace it?").arg(QFileInfo(path).fileName())))
            return false;
        for (const QString& p :
             {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")})
            QFile::remove(p);
    }
    if (!m_job->CopyTo(path)) {
        m_messages->Message(QStringLiteral("The job was not saved as %1: %2.")
                                .arg(named(path), m_job->LastError()));
        return false;
    }
    const qint64 current = m_current;
    JobOpening copy = JobFile::Open(path);
    if (!copy.file) {
        m_messages->Message(copy.error);
        return false;
    }
    m_job = std::move(copy.file);
    m_current = current; // the copy keeps the tests' ids
    m_failShown = false;
    RememberJob(m_settings, path);
    SaveOpenJob(m_settings, path);
    refreshList();
    refreshTitle();
    return true;
}

qint64 JobWindow::TestAt(int row) const {
    return row >= 0 && row < int(m_rows.size()) ? m_rows[std::size_t(row)].id : 0;
}

qint64 JobWindow::selectedTest() const {
    return TestAt(TestList->currentRow());
}

void JobWindow::OpenTest(qint64 id) {
    if (!m_job || id == 0 || !mayChange())
        return;
    Flush();
    const std::optional<JobTest> test = m_job->ReadTest(id);
    if (!test)
        return;
    const JobInfo info = m_job->Info();
    TestPeople people = test->people;
    people.project = info.project;
    people.technician = info.technician;
    m_current = 0; // loading the test is no change to it
    m_traverse.LoadTest(test->setup, test->records, test->unit, people);
    m_current = id;
    if (!m_job->ReadOnly())
        m_job->SetCurrentTest(id);
    m_traverse.show();
    m_traverse.raise();
    refreshList();
}

void JobWindow::DuplicateTest(qint64 id) {
    if (!m_job || id == 0 || !mayChange())
        return;
    if (m_job->ReadOnly()) {
        m_messages->Message(QStringLiteral("The job is open read-only. Use \"Save job as\" to "
                                           "continue in a copy."));
        return;
    }
    Flush();
    std::optional<JobTest> test = m_job->ReadTest(id);
    if (!test)
        return;
    QStringList tags;
    for (const JobTestRow& r : m_rows)
        tags << r.tag;
    test->people.tag = NextFreeTag(test->people.tag, tags);
    test->records.assign(test->records.size(), PointRecord{});
    test->summary =
        SummaryOf(test->setup, test->records, test->unit.value_or(MeterUnit::MetresPerSecond));
    const qint64 copy = m_job->AddTest(*test);
    if (copy == 0) {
        storeFailed();
        return;
    }
    refreshList();
    OpenTest(copy);
}

void JobWindow::DeleteTest(qint64 id) {
    if (!m_job || id == 0 || !mayChange())
        return;
    if (m_job->ReadOnly()) {
        m_messages->Message(QStringLiteral("The job is open read-only: nothing can be deleted."));
        return;
    }
    const auto row = std::find_if(m_rows.begin(), m_rows.end(),
                                  [id](const JobTestRow& r) { return r.id == id; });
    if (row == m_rows.end())
        return;
    const QString tag = row->tag.isEmpty() ? QStringLiteral("without a tag") : row->tag;
    if (!m_messages->Question(
            QStringLiteral("Delete the test %1 (%2) and every point taken in it? This cannot be "
                           "undone.")
                .arg(tag, TestTypeText(row->type).toLower())))
        return;
    if (!m_job->DeleteTest(id)) {
        storeFailed();
        return;
    }
    if (id == m_current) {
        m_saveSoon.stop();
        m_current = 0;
        m_traverse.LoadTest(
            m_traverse.Logic().Setup(), {}, m_traverse.Logic().ResultUnit(),
            TestPeople{m_job->Info().project, {}, {}, {}, m_traverse.People().technician});
    }
    refreshList();
}

void JobWindow::ImportSchedule() {
    if (!m_job) {
        m_messages->Message(QStringLiteral("Open a job or make a new one first: the schedule's "
                                           "tests go into it."));
        return;
    }
    if (m_job->ReadOnly()) {
        m_messages->Message(QStringLiteral("The job is open read-only. Use \"Save job as\" to "
                                           "continue in a copy."));
        return;
    }
    const QStringList chosen =
        m_open->AskOpenPaths(QStringLiteral("Import design schedule"),
                             QStringLiteral("Design schedules (*.csv *.txt);;All files (*)"));
    if (chosen.isEmpty())
        return;
    const QString path = chosen.front();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_messages->Message(
            QStringLiteral("%1 cannot be read: %2.").arg(named(path), f.errorString()));
        return;
    }
    if (f.size() > kLargestSchedule) {
        m_messages->Message(QStringLiteral("%1 is too large for a design schedule (%2 bytes).")
                                .arg(named(path))
                                .arg(f.size()));
        return;
    }
    const ScheduleImport read = ReadDesignSchedule(f.readAll(), m_traverse.Logic().Setup());
    if (!read.errors.isEmpty()) {
        m_messages->DetailedMessage(
            QStringLiteral("Nothing was imported from %1: %2 of its rows cannot be read. Correct "
                           "them and import the file again.")
                .arg(named(path))
                .arg(read.errors.size()),
            read.errors.mid(0, 20).join(u'\n'));
        return;
    }
    if (read.tests.empty()) {
        m_messages->Message(QStringLiteral("%1 holds no tests.").arg(named(path)));
        return;
    }
    int added = 0;
    for (const JobTest& t : read.tests) {
        if (m_job->AddTest(t) == 0) {
            storeFailed();
            break;
        }
        ++added;
    }
    refreshList();
    m_messages->Message(
        QStringLiteral("%1 tests were imported from %2.").arg(added).arg(named(path)));
}

std::vector<JobTest> JobWindow::allTests() const {
    std::vector<JobTest> tests;
    for (const JobTestRow& r : m_rows)
        if (std::optional<JobTest> t = m_job->ReadTest(r.id))
            tests.push_back(std::move(*t));
    return tests;
}

void JobWindow::printTo(PrintTarget* target) {
    Flush();
    const JobInfo info = m_job->Info();
    const std::vector<JobTest> tests = allTests();
    const auto* file = dynamic_cast<const PdfFileTarget*>(target);
    PrintSetup setup;
    setup.target = target;
    setup.parent = this;
    PrintSinglePage(
        QStringLiteral("Job report"),
        [&] { return JobReportPages(info, m_rows, tests, m_parts.now(), QLocale()); }, *m_messages,
        setup,
        [file](const QString& why) {
            return file ? QStringLiteral("The job report was not written to %1:\n%2.")
                              .arg(QuotedPath(file->Path()), why)
                        : QStringLiteral("The job report was not printed:\n%1.").arg(why);
        });
}

void JobWindow::PrintReport() {
    if (m_job)
        printTo(m_parts.printTarget);
}

void JobWindow::SaveReportPdf() {
    if (!m_job)
        return;
    const QString chosen = AskSavePath(*m_save, kPdfFilter);
    if (chosen.isEmpty())
        return;
    const QString path = withSuffix(chosen, QStringLiteral("pdf"));
    if (QFileInfo::exists(path) &&
        !m_messages->Question(
            QStringLiteral("%1 already exists. Replace it?").arg(QFileInfo(path).fileName())))
        return;
    PdfFileTarget file(path);
    printTo(&file);
}

void JobWindow::SaveSummaryCsv() {
    if (!m_job)
        return;
    Flush();
    const QString chosen = AskSavePath(*m_save, kCsvFilter);
    if (chosen.isEmpty())
        return;
    const QString path = withSuffix(chosen, QStringLiteral("csv"));
    if (QFileInfo::exists(path) &&
        !m_messages->Question(
            QStringLiteral("%1 already exists. Replace it?").arg(QFileInfo(path).fileName())))
        return;
    QString error;
    if (!WriteFileAtomically(path, JobSummaryCsvBytes(m_job->Info(), m_rows), &error))
        m_messages->Message(FileWriteErrorText(path, error));
}

void JobWindow::refreshTitle() {
    const bool open = m_job != nullptr;
    const bool writable = open && !m_job->ReadOnly();
    m_traverse.SetTestsKept(writable);
    setWindowTitle(open ? QStringLiteral("Job - %1%2")
                              .arg(QFileInfo(m_job->Path()).fileName(),
                                   writable ? QString() : QStringLiteral(" (read-only)"))
                        : QStringLiteral("Job"));
    for (QWidget* w : std::initializer_list<QWidget*>{ProjectBox, ClientBox, SiteBox,
                                                      DuplicateButton, DeleteButton, ImportButton})
        w->setEnabled(writable);
    for (QWidget* w : std::initializer_list<QWidget*>{SaveAsButton, OpenTestButton, PrintButton,
                                                      PdfButton, CsvButton})
        w->setEnabled(open);
    StatusLabel->setText(
        !open ? QStringLiteral("No job is open: make a new one or open one. Every point taken in "
                               "the Traverse window is then written to it as it is stored.")
        : writable
            ? QStringLiteral("%1: every point is written to the job as it is stored.")
                  .arg(QDir::toNativeSeparators(m_job->Path()))
            : QStringLiteral("%1 is open read-only: use \"Save job as\" to continue in a copy.")
                  .arg(QDir::toNativeSeparators(m_job->Path())));
}

void JobWindow::refreshList() {
    m_rows = m_job ? m_job->Tests() : std::vector<JobTestRow>{};
    const QSignalBlocker quiet(TestList);
    TestList->setRowCount(int(m_rows.size()));
    const QLocale l;
    int currentRow = -1;
    for (int i = 0; i < int(m_rows.size()); ++i) {
        const JobTestRow& r = m_rows[std::size_t(i)];
        const JobSummaryLine s = SummaryLineOf(r, l);
        const QStringList cells{s.tag, s.type, s.design, s.measured, s.percent, s.verdict};
        for (int k = 0; k < cells.size(); ++k) {
            QTableWidgetItem* item = TestList->item(i, k);
            if (!item) {
                item = new QTableWidgetItem;
                TestList->setItem(i, k, item);
            }
            item->setText(cells[k]);
            QFont f = item->font();
            f.setBold(r.id == m_current);
            item->setFont(f);
        }
        if (r.id == m_current)
            currentRow = i;
    }
    TestList->resizeColumnsToContents();
    if (currentRow >= 0)
        TestList->setCurrentCell(currentRow, 0);
}
