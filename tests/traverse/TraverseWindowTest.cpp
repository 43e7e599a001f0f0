// The traverse window wired into the program: opening it, takes fed by frames through a
// pseudo-terminal into the real serial layer, the saved file and report, the remembered setup.

#include "traverse/ManualClock.h"

#include "link/ConnectForm.h"
#include "link/DeviceSerialPort.h"
#include "link/FakeSysfs.h"
#include "link/LinkController.h"
#include "link/LinuxPortPlatform.h"
#include "link/MeterFrame.h"
#include "link/PseudoTerminal.h"
#include "live/ShowForm.h"
#include "reports/PrintTarget.h"
#include "shell/MainForm.h"
#include "state/GVarMod.h"
#include "support/PrintFixtures.h"
#include "support/ProgramOnALine.h"
#include "support/ScriptedSeams.h"
#include "traverse/TraverseForm.h"
#include "traverse/TraversePrint.h"
#include "traverse/TraverseSettings.h"
#include "traverse/TraverseWindowHost.h"
#include "widgets/ImageButton.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 11, 12));

QByteArray frame(std::uint8_t kind, std::uint8_t unit, std::uint16_t hundredths) {
    MeterFrameFields f;
    f.temperatureMagnitude = 235;
    f.humidityTenths = 456;
    f.kind = kind;
    f.unitCode = unit;
    f.valueMagnitude = hundredths;
    f.decimalCode = 3;
    const MeterFrame m = EncodeFrame(f);
    return QByteArray(reinterpret_cast<const char*>(m.data()), kFrameLength);
}

// Words of page 1 with their top-left corner in twips.
QMultiMap<QString, QPointF> pdfWords(const QString& path) {
    const QString out = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, "-"});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>([^<]*)</word>"));
    QMultiMap<QString, QPointF> words;
    for (auto it = word.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        words.insert(m.captured(3), {m.captured(1).toDouble() * 20, m.captured(2).toDouble() * 20});
    }
    return words;
}

// Whether the page, rasterised at 144 dpi (10 twips a pixel), is inked near a point in twips.
bool inked(const QString& pdf, QPointF at) {
    RunTool(QStringLiteral("pdftoppm"), {"-r", "144", "-gray", "-singlefile", pdf, pdf + ".r"});
    QImage page(pdf + QStringLiteral(".r.pgm"));
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (qGray(page.pixel(int(at.x() / 10) + dx, int(at.y() / 10) + dy)) < 128)
                return true;
    return false;
}

// The whole program on a pseudo-terminal, with the traverse's own dialog and clock.
struct Program : ProgramOnALine {
    ScriptedSaveDialog traverseDialog;
    ManualClock clock;
    PdfFileTarget printer{dir.filePath(QStringLiteral("printer.pdf"))};

    Program()
        : ProgramOnALine(kNow) {
        Start([&](MainParts& parts) {
            parts.print.target = &printer;
            parts.traverseDialog = &traverseDialog;
            parts.traverseClock = &clock;
        });
    }
    // The windows go before the parts of this test they were given.
    ~Program() { form.reset(); }

    bool send(const QByteArray& bytes) { return sendBytes(bytes); }
    TraverseForm* traverse() const { return form->traverseHost().Listening(); }
};

} // namespace

class TraverseWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void takesThroughTheSerialLayer();
    void savedAndPrinted();
    void reportOnPaper();
    void setupRemembered();

private:
    QTemporaryDir m_config;
};

void TraverseWindowTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // The remembered setup goes to a folder of the test's own, never the user's.
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    QSettings settings(TraverseSettingsOrganisation(), TraverseSettingsApplication());
    QVERIFY2(settings.fileName().startsWith(m_config.path()), qPrintable(settings.fileName()));
}

void TraverseWindowTest::takesThroughTheSerialLayer() {
    Program p;
    QVERIFY(p.connect());
    QVERIFY(!p.traverse());
    // Ctrl+T in the main window opens it.
    p.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.form.get()));
    QTest::keyClick(p.form.get(), Qt::Key_T, Qt::ControlModifier);
    TraverseForm* t = p.traverse();
    QVERIFY(t);
    QCOMPARE(t->windowTitle(), QStringLiteral("Traverse"));
    t->ShapeBox->setCurrentIndex(t->ShapeBox->findText(QStringLiteral("Rectangular duct")));
    t->WidthBox->setValue(600);
    t->HeightBox->setValue(400);
    t->TakeTimeBox->setValue(10);

    // Three readings during the take, one after it.
    QTest::mouseClick(t->TakeButton, Qt::LeftButton);
    QVERIFY(p.send(frame(1, 1, 400)));
    p.clock.Advance(4000);
    QVERIFY(
        t->StatusLabel->text().contains(QStringLiteral("6 s left, 1 reading, average 4.00 m/s")));
    QVERIFY(p.send(frame(1, 1, 500)));
    QVERIFY(p.send(frame(1, 1, 650)));
    p.clock.Advance(6000);
    QVERIFY(p.send(frame(1, 1, 9900)));
    QTableWidget* table = t->PointTable;
    QStringList row;
    for (int k = 0; k < table->columnCount(); ++k)
        row << table->item(0, k)->text();
    QCOMPARE(row, (QStringList{"A1", "44", "30", "5.17", "4.00", "6.50", "3", ""}));
    QCOMPARE(table->currentRow(), 1);
    QVERIFY(p.messages.shown.isEmpty());

    // A flow reading and a silent meter stop a take, say why, and store nothing.
    t->Take();
    QVERIFY(p.send(frame(2, 2, 1234)));
    QVERIFY(!t->Logic().Taking());
    QCOMPARE(p.messages.shown.size(), 1);
    QVERIFY(p.messages.shown[0].startsWith(QStringLiteral("The take of point A2 stopped.")));
    QVERIFY(p.messages.shown[0].contains(QStringLiteral("air flow (FLOW)")));
    QTest::keyClick(t, Qt::Key_Space); // Space takes
    QVERIFY(t->Logic().Taking());
    p.clock.Advance(10000);
    QCOMPARE(p.messages.shown.size(), 2);
    QVERIFY(p.messages.shown[1].contains(QStringLiteral("No reading arrived")));
    QVERIFY(table->item(1, 6)->text().isEmpty());

    // Closed, the window hears nothing and keeps its traverse; the live display's button opens
    // it again.
    t->Take();
    t->close();
    QVERIFY(!t->Logic().Taking());
    QVERIFY(!p.traverse());
    QVERIFY(p.send(frame(1, 4, 100))); // ft/m
    ImageButton* button = p.form->showForm()->Image4;
    QCOMPARE(button->toolTip(), QStringLiteral("traverse"));
    QCOMPARE(button->geometry(), QRect(452, 480, 42, 42));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(p.traverse(), t);
    QCOMPARE(table->item(0, 3)->text(), QStringLiteral("5.17"));
    QCOMPARE(UnitText(t->Logic().ResultUnit()), QStringLiteral("m/s"));
}

void TraverseWindowTest::savedAndPrinted() {
    Program p;
    TraverseForm* t = p.form->traverseHost().Open();
    t->ShapeBox->setCurrentIndex(t->ShapeBox->findText(QStringLiteral("Round duct")));
    t->LocationBox->setText(QStringLiteral("AHU 3"));
    for (int i = 0; i < 3; ++i) {
        t->Take();
        t->AcceptReading(DecodeFrame(EncodeFrame(MeterFrameFields{})));
        p.clock.Advance(t->TakeTimeBox->value() * 1000);
    }
    // A name without a suffix gets one; a folder that is not there is a message, no file.
    p.traverseDialog.answers = {p.dir.filePath(QStringLiteral("duct")),
                                p.dir.filePath(QStringLiteral("missing/duct.csv")),
                                p.dir.filePath(QStringLiteral("duct"))};
    t->Save();
    t->Save();
    t->SavePdf();
    QFile csv(p.dir.filePath(QStringLiteral("duct.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readLine(), QByteArray("\"Traverse Report\"\r\n"));
    QCOMPARE(csv.readLine(), QByteArray("\"Location\",\"AHU 3\"\r\n"));
    QCOMPARE(p.traverseDialog.asked[0].description, QStringLiteral("CSV files (*.csv)"));
    QCOMPARE(p.traverseDialog.asked[2].description, QStringLiteral("PDF files (*.pdf)"));
    QCOMPARE(p.messages.shown.size(), 1);
    QVERIFY(p.messages.shown[0].contains(QStringLiteral("missing/duct.csv")));
    QVERIFY(pdfWords(p.dir.filePath(QStringLiteral("duct.pdf"))).contains(QStringLiteral("AHU")));
    // "Print" goes to the program's printer.
    t->Print();
    QVERIFY(pdfWords(p.printer.Path()).contains(QStringLiteral("Traverse")));
    QCOMPARE(p.messages.shown.size(), 1);
}

void TraverseWindowTest::reportOnPaper() {
    ManualClock clock;
    TraverseLogic logic(clock);
    TraverseSetup s;
    s.shape = TraverseShape::RectangularDuct;
    s.width = 600;
    s.height = 400;
    s.designValue = 4000;
    logic.NewTraverse(s);
    for (int i = 0; i < 25; ++i) {
        logic.StartTake();
        DecodedFrame d;
        d.value = i == 0 ? 4.0 : i == 24 ? 6.0 : 5.0;
        d.kind = ReadingKind::Velocity;
        d.unit = MeterUnit::MetresPerSecond;
        logic.AcceptReading(d);
        clock.Advance(10000);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    PdfFileTarget target(path);
    ScriptedMessages boxes;
    const TraverseReportData data =
        MakeTraverseReport(logic, QStringLiteral("Plant room"), QStringLiteral("Sam"), kNow);
    QCOMPARE(PrintTraverseReport(data, boxes, PrintSetup{&target}), PrintOutcome::Printed);
    QVERIFY(boxes.shown.isEmpty());
    const QString info = RunTool(QStringLiteral("pdfinfo"), {path});
    QVERIFY(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\n"))));
    QVERIFY(info.contains(QStringLiteral("595 x 842 pts (A4)")));

    // Everything in place relative to the title, in twips.
    const QMultiMap<QString, QPointF> words = pdfWords(path);
    QCOMPARE(words.count(QStringLiteral("Traverse")), 1);
    const QPointF title = words.value(QStringLiteral("Traverse"));
    // Whether the word is at (dx, dy) from the title; dx < 0: anywhere on that line.
    const auto at = [&](const QString& word, double dx, double dy) {
        for (const QPointF& w : words.values(word))
            if ((dx < 0 || qAbs(w.x() - title.x() - dx) <= 4) && qAbs(w.y() - title.y() - dy) <= 4)
                return true;
        return false;
    };
    QVERIFY(at(QStringLiteral("Report"), -1, 0));
    QVERIFY(at(QStringLiteral("Location:"), 0, 650));
    QVERIFY(at(QStringLiteral("Plant"), -1, 650));
    QVERIFY(at(QStringLiteral("Sam"), -1, 900));
    QVERIFY(at(QStringLiteral("12/9/26"), -1, 1150));
    QVERIFY(at(QStringLiteral("Rectangular"), 0, 1400));
    // Results beside the drawing: the mean of 23 x 5, 4 and 6 is 5; 4320 m3/h, +8 % of 4000.
    QVERIFY(at(QStringLiteral("Mean"), 5300, 2510));
    QVERIFY(at(QStringLiteral("5.00"), 7500, 2510));
    QVERIFY(at(QStringLiteral("4320"), 7500, 2250 + 7 * 260));
    QVERIFY(at(QStringLiteral("+8.0"), 7500, 2250 + 12 * 260));
    QVERIFY(at(QStringLiteral("PASS"), 5300, 2250 + 13 * 260 + 100));
    // The table under it: heading, then A1 with its depth and readings.
    QVERIFY(at(QStringLiteral("Point"), 0, 7500));
    QVERIFY(at(QStringLiteral("A1"), 0, 7720));
    QVERIFY(at(QStringLiteral("4.00"), 1880, 7720));
    QVERIFY(at(QStringLiteral("Min"), 2640, 7500));
    // The drawing: 600 x 400 mm fitted 4800 x 3200 twips at (600, 3450) of the page; A1 sits at
    // 0.074 of both sides and carries its value right of its dot.
    const QPointF a1 = title + QPointF(0.074 * 4800, 2950 + 0.074 * 3200);
    QVERIFY(inked(path, a1));
    QVERIFY(!inked(path, a1 + QPointF(-150, 150)));

    // A report that cannot be written is a message and no file.
    PdfFileTarget nowhere(dir.filePath(QStringLiteral("missing/report.pdf")));
    QCOMPARE(PrintTraverseReport(data, boxes, PrintSetup{&nowhere}), PrintOutcome::Failed);
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY(boxes.shown[0].startsWith(QStringLiteral("The traverse report was not written to")));
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("a default printer is set up here; the rest checks the machine without one");
    QCOMPARE(PrintTraverseReport(data, boxes, PrintSetup{}), PrintOutcome::Failed);
    QCOMPARE(boxes.shown.value(1),
             QStringLiteral("The traverse report was not printed:\nno default printer is set up."));
}

void TraverseWindowTest::setupRemembered() {
    ScriptedMessages messages;
    ScriptedSaveDialog dialog;
    ManualClock clock;
    {
        TraverseForm t(TraverseParts{messages, dialog, clock});
        t.ShapeBox->setCurrentIndex(t.ShapeBox->findText(QStringLiteral("Face grid")));
        t.LengthUnitBox->setCurrentIndex(t.LengthUnitBox->findText(QStringLiteral("in")));
        t.WidthBox->setValue(36);
        t.HeightBox->setValue(24);
        QCOMPARE(t.RowsBox->value(), 2); // proposed: 3 x 2 ft
        QCOMPARE(t.ColumnsBox->value(), 3);
        t.RowsBox->setValue(4);
        t.TakeTimeBox->setValue(30);
        t.DesignBox->setValue(2.5);
        // Once a point is taken the points stay fixed until "New traverse", which asks.
        t.Take();
        t.AcceptReading(DecodeFrame(EncodeFrame(MeterFrameFields{})));
        clock.Advance(30000);
        QVERIFY(!t.WidthBox->isEnabled());
        messages.answers = {false, true};
        t.NewTraverse();
        QVERIFY(t.Logic().AnyRecorded());
        t.NewTraverse();
        QVERIFY(!t.Logic().AnyRecorded());
        QVERIFY(t.WidthBox->isEnabled());
        QCOMPARE(messages.shown.size(), 2);
    }
    TraverseForm again(TraverseParts{messages, dialog, clock});
    const TraverseSetup s = again.Logic().Setup();
    QCOMPARE(s.shape, TraverseShape::FaceGrid);
    QCOMPARE(s.lengthUnit, LengthUnit::Inches);
    QCOMPARE(s.width, 36.0);
    QCOMPARE(s.faceRows, 4);
    QCOMPARE(s.faceColumns, 3);
    QCOMPARE(s.takeSeconds, 30);
    QCOMPARE(s.designValue, 2.5);
    QCOMPARE(again.WidthBox->text(), QStringLiteral("36.00 in"));
    QCOMPARE(int(again.Logic().Points().size()), 12);
    // The current point is ringed in the drawing.
    again.resize(1000, 720);
    const QImage shot = again.Section->grab().toImage();
    const QPointF first = again.Section->PointPosition(0);
    const QColor ring = shot.pixelColor((first + QPointF(8, 0)).toPoint());
    QVERIFY2(ring.blue() > 150 && ring.red() < 100, qPrintable(ring.name()));
    const QColor second =
        shot.pixelColor((again.Section->PointPosition(1) + QPointF(8, 0)).toPoint());
    QVERIFY2(second.red() > 200 && second.blue() > 200, qPrintable(second.name()));
}

QTEST_MAIN(TraverseWindowTest)
#include "TraverseWindowTest.moc"
