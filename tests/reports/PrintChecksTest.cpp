// The checks the print renderer leans on, without a printer: whether a PDF document was written
// whole, and where the printable area lies for the orientation in use.
#include "reports/PdfStructure.h"
#include "reports/PrintableArea.h"

#include <QBuffer>
#include <QTest>

Q_DECLARE_METATYPE(SheetMargins)

namespace {

// A small document with a classic cross-reference table, as the print engines write it.
QByteArray wholeDocument() {
    QByteArray pdf = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n";
    const QList<QByteArray> objects = {
        "<<\n/Type /Catalog\n/Pages 2 0 R\n>>",
        "<<\n/Type /Pages\n/Kids [3 0 R]\n/Count 1\n>>",
        "<<\n/Type /Page\n/Parent 2 0 R\n/MediaBox [0 0 595 842]\n>>",
    };
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 4\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<<\n/Size 4\n/Root 1 0 R\n>>\nstartxref\n" + QByteArray::number(xref) +
           " \n%%EOF\n";
    return pdf;
}

} // namespace

class PrintChecksTest : public QObject {
    Q_OBJECT
private slots:
    void pdfWrittenWhole_data();
    void pdfWrittenWhole();
    void marginsOfTheOrientationInUse_data();
    void marginsOfTheOrientationInUse();
};

void PrintChecksTest::pdfWrittenWhole_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<bool>("whole");
    const QByteArray pdf = wholeDocument();
    const qsizetype object2 = pdf.indexOf("2 0 obj");
    const qsizetype table = pdf.indexOf("xref\n");
    const qsizetype end = pdf.indexOf("startxref");

    QTest::newRow("whole") << pdf << true;
    // A write that failed while later ones went on: everything after it moved up.
    QTest::newRow("bytes lost in the middle") << QByteArray(pdf).remove(object2 + 10, 16) << false;
    // Writes that were lost and later ones that went on at their place: a gap of zeros.
    QTest::newRow("zeros in the middle")
        << QByteArray(pdf).replace(object2, 20, QByteArray(20, '\0')) << false;
    QTest::newRow("startxref beside the table")
        << QByteArray(pdf).replace(end, pdf.size() - end,
                                   "startxref\n" + QByteArray::number(table + 1) + "\n%%EOF\n")
        << false;
    QTest::newRow("cut before the end") << pdf.left(pdf.size() - 12) << false;
    QTest::newRow("cut inside the table") << pdf.left(table + 40) + "\n%%EOF\n" << false;
    QTest::newRow("an object listed where another starts")
        << QByteArray(pdf).replace(pdf.indexOf(" 00000 n", table + 30) - 10, 10,
                                   QByteArray::number(object2).rightJustified(10, '0'))
        << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void PrintChecksTest::pdfWrittenWhole() {
    QFETCH(QByteArray, document);
    QFETCH(bool, whole);
    QBuffer buffer(&document);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(PdfStructureIsComplete(buffer), whole);
}

void PrintChecksTest::marginsOfTheOrientationInUse_data() {
    QTest::addColumn<SheetMargins>("upright");
    QTest::addColumn<SheetMargins>("reported");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<SheetMargins>("inUse"); // left, top, right, bottom
    const SheetMargins uneven{10, 20, 5, 40};
    QTest::newRow("upright") << uneven << uneven << false << SheetMargins{10, 20, 5, 40};
    // The print support reports the upright margins for landscape too: the bottom of the sheet
    // is the left of the page, its left the top, its top the right, its right the bottom.
    QTest::newRow("landscape, margins not turned")
        << uneven << uneven << true << SheetMargins{40, 10, 20, 5};
    // The print support turned them itself, in either direction: they stay.
    QTest::newRow("landscape, turned counter-clockwise")
        << uneven << SheetMargins{40, 10, 20, 5} << true << SheetMargins{40, 10, 20, 5};
    QTest::newRow("landscape, turned clockwise")
        << uneven << SheetMargins{20, 5, 40, 10} << true << SheetMargins{20, 5, 40, 10};
    QTest::newRow("landscape, even margins")
        << SheetMargins{12, 12, 12, 12} << SheetMargins{12, 12, 12, 12} << true
        << SheetMargins{12, 12, 12, 12};
}

void PrintChecksTest::marginsOfTheOrientationInUse() {
    QFETCH(SheetMargins, upright);
    QFETCH(SheetMargins, reported);
    QFETCH(bool, landscape);
    QFETCH(SheetMargins, inUse);
    const SheetMargins got = MarginsInUse(upright, reported, landscape);
    QVERIFY2(got == inUse, qPrintable(QStringLiteral("%1 %2 %3 %4")
                                          .arg(got.left)
                                          .arg(got.top)
                                          .arg(got.right)
                                          .arg(got.bottom)));
}

QTEST_GUILESS_MAIN(PrintChecksTest)
#include "PrintChecksTest.moc"
