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

#include <QApplication>
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
    void unpluggedMidTake();
    void savedAndPrinted();
    void reportsOnPaper_data();
    void reportsOnPaper();
    void setupRemembered();
    void keyboardAndUnits();

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
    QCOMPARE(t->TypeBox->currentText(), QStringLiteral("Duct traverse"));
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
    QCOMPARE(row, (QStringList{"A1", "44", "30", "5.17", "4.00", "6.50", "3", "10:11 AM", ""}));
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
    QCOMPARE(t->VerdictLabel->text(), QStringLiteral("incomplete: 1 of 25"));

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

void TraverseWindowTest::unpluggedMidTake() {
    Program p;
    QVERIFY(p.connect());
    TraverseForm* t = p.form->traverseHost().Open();
    t->TypeBox->setCurrentIndex(t->TypeBox->findData(int(TestType::Grille)));
    t->Take();
    QVERIFY(p.send(frame(1, 1, 320)));
    p.clock.Advance(10000);
    QCOMPARE(t->PointTable->item(0, 1)->text(), QStringLiteral("3.20"));
    // P1 picked again; the meter's cable pulled out after one reading of the retake.
    t->Logic().Select(0);
    t->Take();
    QVERIFY(p.send(frame(1, 1, 9900)));
    p.meter.Close();
    QTRY_COMPARE(p.form->link().State(), LinkState::Waiting);
    QVERIFY(!t->Logic().Taking());
    QCOMPARE(p.messages.shown.size(), 1);
    QVERIFY(p.messages.shown[0].startsWith(QStringLiteral("The take of point P1 stopped.")));
    QVERIFY(p.messages.shown[0].contains(QStringLiteral("went offline")));
    QCOMPARE(t->PointTable->item(0, 1)->text(), QStringLiteral("3.20")); // the earlier value
    // Offline, a take is refused at once, not after the take time.
    t->Take();
    QVERIFY(!t->Logic().Taking());
    QCOMPARE(p.messages.shown.size(), 2);
    QVERIFY(p.messages.shown[1].startsWith(QStringLiteral("The meter is offline")));
    QCOMPARE(t->VerdictLabel->text(), QStringLiteral("incomplete: 1 of 5"));
}

void TraverseWindowTest::savedAndPrinted() {
    Program p;
    QVERIFY(p.connect());
    TraverseForm* t = p.form->traverseHost().Open();
    t->TypeBox->setCurrentIndex(t->TypeBox->findData(int(TestType::DuctTraverse)));
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
    const QByteArray saved = csv.readAll();
    QVERIFY(saved.startsWith("\"Duct Traverse Report\"\r\n"));
    QVERIFY(saved.contains("\r\n\"Location\",\"AHU 3\"\r\n"));
    // The PDF gets the permissions of the other saved files.
    QCOMPARE(QFileInfo(p.dir.filePath(QStringLiteral("duct.pdf"))).permissions(),
             QFileInfo(csv).permissions());
    QCOMPARE(p.traverseDialog.asked[0].description, QStringLiteral("CSV files (*.csv)"));
    QCOMPARE(p.traverseDialog.asked[2].description, QStringLiteral("PDF files (*.pdf)"));
    QCOMPARE(p.messages.shown.size(), 1);
    QVERIFY(p.messages.shown[0].contains(QStringLiteral("missing/duct.csv")));
    QVERIFY(pdfWords(p.dir.filePath(QStringLiteral("duct.pdf"))).contains(QStringLiteral("AHU")));
    // "Print" goes to the program's printer.
    t->Print();
    QVERIFY(pdfWords(p.printer.Path()).contains(QStringLiteral("Traverse")));
    QCOMPARE(p.messages.shown.size(), 1);
    // Saved over an existing file only when the user says so.
    p.traverseDialog.answers = {p.dir.filePath(QStringLiteral("duct.csv"))};
    p.messages.answers = {false};
    t->LocationBox->setText(QStringLiteral("AHU 4"));
    QVERIFY(!t->Save());
    QVERIFY(p.messages.shown.value(1).contains(QStringLiteral("already exists")));
    QFile again(p.dir.filePath(QStringLiteral("duct.csv")));
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), saved);
    // The exit offers to save a test with points not yet saved; "New" clears the job's fields.
    t->Take();
    t->AcceptReading(DecodeFrame(EncodeFrame(MeterFrameFields{})));
    p.clock.Advance(t->TakeTimeBox->value() * 1000);
    QVERIFY(t->Unsaved());
    p.messages.answers = {true};
    p.traverseDialog.answers = {p.dir.filePath(QStringLiteral("at-exit.csv"))};
    p.form->traverseHost().OfferSaveAtExit();
    QVERIFY(p.messages.shown.value(2).contains(QStringLiteral("not saved")));
    QVERIFY(QFile::exists(p.dir.filePath(QStringLiteral("at-exit.csv"))));
    QVERIFY(!t->Unsaved());
    p.messages.answers = {true};
    t->NewTraverse();
    QVERIFY(t->LocationBox->text().isEmpty());
}

void TraverseWindowTest::reportsOnPaper_data() {
    QTest::addColumn<TraverseSetup>("setup");
    QTest::addColumn<QList<double>>("values"); // m/s, one per point, repeated as needed
    QTest::addColumn<QStringList>("words");    // words the report must show
    QTest::addColumn<int>("pages");
    TraverseSetup duct = DefaultSetup(TestType::DuctTraverse);
    duct.designValue = 4000;
    // 25 points at 5 m/s: 4320 m3/h, +8 % of 4000: a pass.
    QTest::newRow("duct") << duct << QList<double>{5.0} << QStringList{"Duct", "4320", "PASS"} << 1;
    TraverseSetup grille = DefaultSetup(TestType::Grille);
    grille.akValue = 0.0335;
    grille.akSource = QStringLiteral("catalogue p. 12");
    // 0.0335 m2 at 3.2 m/s: 107.2 l/s; the Ak's source named.
    QTest::newRow("grille") << grille << QList<double>{3.2}
                            << QStringList{"Grille", "107.2", "(catalogue"} << 1;
    QTest::newRow("fume hood") << DefaultSetup(TestType::FumeHood) << QList<double>{0.36}
                               << QStringList{"Hood", "FAIL", "below"} << 1;
    QTest::newRow("clean air unit")
        << DefaultSetup(TestType::CleanAirUnit) << QList<double>{0.35, 0.55, 0.45, 0.45}
        << QStringList{"Clean", "150", "16.8"} << 1;
    // A face of 10 x 10 points does not fit one page: the table goes on.
    TraverseSetup face = DefaultSetup(TestType::FaceGrid);
    face.width = 3000;
    face.height = 3000;
    face.faceRows = 10;
    face.faceColumns = 10;
    QTest::newRow("face grid, 100 points")
        << face << QList<double>{2.0} << QStringList{"R10C10"} << 3;
}

void TraverseWindowTest::reportsOnPaper() {
    QFETCH(TraverseSetup, setup);
    QFETCH(QList<double>, values);
    QFETCH(QStringList, words);
    QFETCH(int, pages);
    ManualClock clock;
    TraverseLogic logic(clock);
    logic.SetWallClock([] { return kNow; });
    logic.NewTraverse(setup);
    for (std::size_t i = 0; i < logic.Points().size(); ++i) {
        logic.StartTake();
        DecodedFrame d;
        d.value = values[qsizetype(i) % values.size()];
        d.kind = ReadingKind::Velocity;
        d.unit = UnitFromText(ReadingKind::Velocity, QStringLiteral("m/s"));
        d.modeLabel = QStringLiteral("DP"); // the longest text of the air's origin
        logic.AcceptReading(d);
        clock.Advance(setup.takeSeconds * 1000);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    PdfFileTarget target(path);
    ScriptedMessages boxes;
    TestPeople people;
    people.location = QStringLiteral("Plant room");
    people.technician = QStringLiteral("Sam");
    const Instrument meter{QStringLiteral("Acme"), QStringLiteral("VA-1"), QStringLiteral("SN77"),
                           ProbeType::Vane,        QDate(2025, 1, 1),      QDate(2026, 1, 1)};
    const TraverseReportData data = MakeTraverseReport(logic, people, meter, kNow);
    QCOMPARE(PrintTraverseReport(data, boxes, PrintSetup{&target}), PrintOutcome::Printed);
    QVERIFY(boxes.shown.isEmpty());
    const QString info = RunTool(QStringLiteral("pdfinfo"), {path});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\n").arg(pages))),
             qPrintable(info));
    // Every page's words, within an A4 sheet less half an inch all round (595 x 842 pt).
    const QString text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, "-"});
    static const QRegularExpression box(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)<"));
    QStringList found;
    for (auto it = box.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        found << m.captured(5);
        QVERIFY2(m.captured(1).toDouble() >= 36 && m.captured(3).toDouble() <= 595 - 36 &&
                     m.captured(2).toDouble() >= 36 && m.captured(4).toDouble() <= 842 - 36,
                 qPrintable(m.captured(0)));
    }
    for (const QString& w : words)
        QVERIFY2(found.contains(w), qPrintable(w));
    // Who, the instrument past its calibration on the test's day, when, and the signature.
    for (const char* w : {"Plant", "Sam", "SN77", "WARNING", "12/9/26", "Signature"})
        QVERIFY2(found.contains(QString::fromLatin1(w)), w);
}

void TraverseWindowTest::setupRemembered() {
    ScriptedMessages messages;
    ScriptedSaveDialog dialog;
    ManualClock clock;
    {
        TraverseForm t(TraverseParts{messages, dialog, clock});
        t.TypeBox->setCurrentIndex(t.TypeBox->findData(int(TestType::FaceGrid)));
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
    QCOMPARE(s.type, TestType::FaceGrid);
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

void TraverseWindowTest::keyboardAndUnits() {
    ScriptedMessages messages;
    ScriptedSaveDialog dialog;
    ManualClock clock;
    TraverseForm t(TraverseParts{messages, dialog, clock});
    t.TypeBox->setCurrentIndex(t.TypeBox->findData(int(TestType::DuctTraverse)));
    t.ShapeBox->setCurrentIndex(t.ShapeBox->findData(int(TraverseShape::RectangularDuct)));
    t.LengthUnitBox->setCurrentIndex(t.LengthUnitBox->findText(QStringLiteral("mm")));
    t.WidthBox->setValue(600);
    // 600 mm is 23.60 in, and 600 mm again.
    t.LengthUnitBox->setCurrentIndex(t.LengthUnitBox->findText(QStringLiteral("in")));
    QCOMPARE(t.WidthBox->value(), 23.6);
    t.LengthUnitBox->setCurrentIndex(t.LengthUnitBox->findText(QStringLiteral("mm")));
    QCOMPARE(t.WidthBox->value(), 600.0);
    // Out of range: refused with the range, not clamped.
    t.WidthBox->setValue(99999);
    QCOMPARE(t.WidthBox->value(), 600.0);
    QCOMPARE(t.Logic().Setup().width, 600.0);
    QVERIFY(messages.shown.value(0).contains(QStringLiteral("10 to 10000 mm")));
    // A design flow keeps its meaning in another unit: 3600 m3/h is 1000 l/s.
    t.DesignBox->setValue(3600);
    t.DesignUnitBox->setCurrentIndex(t.DesignUnitBox->findText(QStringLiteral("l/s")));
    QCOMPARE(t.Logic().Setup().designValue, 1000.0);
    QCOMPARE(t.Logic().Setup().designFlowUnit, FlowUnit::LitresPerSecond);
    // A face test has a velocity for its design: the flow is not read as one.
    t.TypeBox->setCurrentIndex(t.TypeBox->findData(int(TestType::FaceGrid)));
    QCOMPARE(t.Logic().Setup().designValue, 0.0);
    QCOMPARE(t.DesignUnitBox->currentText(), QStringLiteral("m/s"));

    // Space on a focused button presses that button; Tab leaves the points list.
    t.show();
    QVERIFY(QTest::qWaitForWindowActive(&t));
    t.SkipButton->setFocus();
    QTest::keyClick(t.SkipButton, Qt::Key_Space);
    QVERIFY(t.Logic().Records()[0].skipped);
    QVERIFY(!t.Logic().Taking());
    // A take from the focused Take button leaves the focus there: Space again skips nothing.
    t.TakeButton->setFocus();
    QTest::keyClick(t.TakeButton, Qt::Key_Space);
    QVERIFY(t.Logic().Taking());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(t.Logic().Taking());
    QVERIFY(!t.Logic().Records()[1].skipped);
    t.CancelTake();
    t.PointTable->setFocus();
    QTest::keyClick(t.PointTable, Qt::Key_Tab);
    QVERIFY(!t.PointTable->hasFocus());

    // A long, low face of 10 x 10 points (rows 2 px apart in the drawing): drawn and listed
    // without a word on standard error (the platform's own notes aside).
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler before =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            if (!text.contains(QStringLiteral("This plugin does not support")))
                warnings << text;
        });
    messages.answers = {true};
    t.NewTraverse();
    t.WidthBox->setValue(3000);
    t.HeightBox->setValue(300);
    t.RowsBox->setValue(10);
    t.ColumnsBox->setValue(10);
    t.resize(700, 500);
    t.grab();
    t.Take();
    t.AcceptReading(DecodeFrame(EncodeFrame(MeterFrameFields{})));
    clock.Advance(t.TakeTimeBox->value() * 1000);
    t.grab();
    qInstallMessageHandler(before);
    QCOMPARE(int(t.Logic().Points().size()), 100);
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(u'\n')));
}

QTEST_MAIN(TraverseWindowTest)
#include "TraverseWindowTest.moc"
