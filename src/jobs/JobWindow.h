#pragma once

#include "jobs/JobFile.h"

#include <QDateTime>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class FileOpenDialog;
class FileSaveDialog;
class MessageBoxes;
class OpenDialog;
class PrintTarget;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;
class SaveDialog;
class TraverseForm;
class WindowMessageBoxes;

// What the job window works with; null dialogs and message boxes: the window's own.
struct JobParts {
    MessageBoxes* messages = nullptr;
    SaveDialog* saveDialog = nullptr;
    OpenDialog* openDialog = nullptr;
    PrintTarget* printTarget = nullptr; // null: the default printer
    std::function<QDateTime()> now = [] {
        return QDateTime::currentDateTime();
    };
};

// The "Job" window: the job file of the traverse window's tests. New, Open, Save as and the five
// recent jobs; the job's project, client and site; the list of its tests (tag, type, design,
// measured, percent of design, verdict) to open and continue, duplicate as a template or delete;
// the design schedule's import; the job report (print, PDF) and its summary as CSV.
//
// The test in the traverse window is the job's current test: each point is written to the file
// as it is stored, and setup or name changes shortly after they are made. A test not yet in the
// job joins it with its first point.
class JobWindow : public QWidget {
    Q_OBJECT
public:
    JobWindow(JobParts parts, TraverseForm& traverse, QWidget* parent = nullptr);
    ~JobWindow() override;

    // The job open when the program last ended is offered again (once, at start).
    void OfferLastJob();

    // The user's actions.
    bool NewJob();
    bool OpenJob(const QString& path = {}); // empty: asks for the file
    bool SaveJobAs();
    void OpenTest(qint64 id);
    void DuplicateTest(qint64 id);
    void DeleteTest(qint64 id);
    void ImportSchedule();
    void PrintReport();
    void SaveReportPdf();
    void SaveSummaryCsv();

    JobFile* Job() const { return m_job.get(); }
    // The job's test shown in the traverse window (0: one not in the job yet).
    qint64 CurrentTest() const { return m_current; }
    // The id of the test on a row of the list.
    qint64 TestAt(int row) const;
    // Writes what waits (a setup or name change).
    void Flush();

    QLineEdit* ProjectBox = nullptr;
    QLineEdit* ClientBox = nullptr;
    QLineEdit* SiteBox = nullptr;
    QTableWidget* TestList = nullptr;
    QLabel* StatusLabel = nullptr;
    QPushButton* NewJobButton = nullptr;
    QPushButton* OpenJobButton = nullptr;
    QPushButton* SaveAsButton = nullptr;
    QToolButton* RecentButton = nullptr;
    QPushButton* OpenTestButton = nullptr;
    QPushButton* NewTestButton = nullptr;
    QPushButton* DuplicateButton = nullptr;
    QPushButton* DeleteButton = nullptr;
    QPushButton* ImportButton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* PdfButton = nullptr;
    QPushButton* CsvButton = nullptr;

private:
    void adopt(JobOpening opening);
    void refreshList();
    void refreshTitle();
    void infoEdited();
    void pointRecorded(int index);
    void saveCurrent();
    JobTest currentTest() const;
    JobInfo infoNow() const;
    void storeFailed();
    qint64 selectedTest() const;
    std::vector<JobTest> allTests() const;
    void printTo(PrintTarget* target);
    bool mayChange();

    JobParts m_parts;
    TraverseForm& m_traverse;
    std::unique_ptr<WindowMessageBoxes> m_ownMessages;
    std::unique_ptr<FileSaveDialog> m_ownSave;
    std::unique_ptr<FileOpenDialog> m_ownOpen;
    MessageBoxes* m_messages = nullptr;
    SaveDialog* m_save = nullptr;
    OpenDialog* m_open = nullptr;
    QSettings m_settings;
    std::unique_ptr<JobFile> m_job;
    qint64 m_current = 0;
    bool m_showing = false;
    bool m_failShown = false;
    QTimer m_saveSoon;
    std::vector<JobTestRow> m_rows;
};
