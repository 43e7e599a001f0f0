#pragma once

#include "reports/PrintSteps.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <QString>

#include <memory>

class PrintProgress;
class PrintTarget;
class QTemporaryFile;

// Plays print steps on a printer through QPainter, one print job per renderer.
//
// Twips count from the top-left corner of the printer's printable area: the printer works in
// full-page mode and every position is moved by the offset of the printable area of the page as
// it is printed (a landscape page's from the upright sheet's margins turned with it), so the
// printer's own margins are kept and nothing is added to them. Texts are placed by the top-left
// corner of their first character cell. Lines are one printer dot wide; dotted lines have dots as
// long as one screen pixel (15 twips).
//
// The job is composed into a spool file and reaches its target only when Finish() succeeds:
// a failed or discarded job prints nothing and leaves no file. The spool file must be a whole PDF
// document before it is handed over, and the hand-over runs off the interface thread.
class PrintRenderer {
public:
    // title names the job in the printer's queue.
    PrintRenderer(PrintTarget& target, QString title);
    ~PrintRenderer(); // discards an unfinished job
    PrintRenderer(const PrintRenderer&) = delete;
    PrintRenderer& operator=(const PrintRenderer&) = delete;

    // Sets the job up on its target. False when there is no printer to print on or no spool
    // file could be made.
    bool Open();

    // The width of the sheet as the printer reports it for the given paper and orientation, in
    // twips. After Open(), before the first page; 0 when the printer refuses the paper.
    double SheetWidthTwips(PrintPaper paper, PageOrientation orientation);

    // Plays steps. A NewPageStep sets paper and orientation and begins the document or a further
    // page. False when the printer refuses the paper or orientation, or a page or drawing call
    // fails; the job is then unusable and should be discarded.
    bool Play(const PrintPage& steps);

    // Ends the document and hands it to the target. False when anything failed or the user
    // cancelled the hand-over (Cancelled()).
    //
    // The hand-over runs on a thread of its own while this one waits: with a progress, through
    // its WaitSending(), which keeps the application responsive and lets the user cancel; without
    // one, handling every event but the user's input.
    bool Finish(PrintProgress* progress = nullptr);

    // Whether the user cancelled the hand-over in Finish() before it was complete; nothing was
    // printed then.
    bool Cancelled() const { return m_cancelled; }

    // Throws the job away: nothing reaches the target.
    void Discard();

    // What went wrong, for diagnostics.
    const QString& Failure() const { return m_failure; }

private:
    bool fail(const QString& what);
    bool setUpPaper(PrintPaper paper, PageOrientation orientation);
    bool startPage(const NewPageStep& step);
    bool spoolIsComplete();
    bool deliver(PrintProgress* progress, QString& reason);
    void drawText(const TextStep& step);
    void drawLine(const LineStep& step);
    void drawDot(const DotStep& step);
    QPointF toDevice(double x, double y) const;

    PrintTarget& m_target;
    QString m_title;
    std::unique_ptr<QTemporaryFile> m_spool;
    QPrinter m_printer;
    QPainter m_painter;
    bool m_open = false;
    bool m_begun = false;
    bool m_done = false;
    bool m_cancelled = false;
    QString m_failure;

    // Device geometry of the current page: the printable area's offset in points, set with the
    // paper, and in printer dots.
    double m_dotsPerTwip = 0.0;
    QPointF m_originPoints;
    QPointF m_origin;

    // The font of the last text, which the next one usually shares.
    PrintFont m_lastFont;
    QFont m_font;
    double m_ascent = 0.0;
    bool m_haveFont = false;
};
