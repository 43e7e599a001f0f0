// The Windows icon file the build makes (vantello-export-icons --ico): read back by Qt's own ICO
// reader, it holds the drawing of the window icon at each size Windows asks for.
#include "shell/AppIcon.h"

#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class WindowsIconTest : public QObject {
    Q_OBJECT
private slots:
    void everySizeIsTheDrawing();
};

void WindowsIconTest::everySizeIsTheDrawing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vantello.ico"));
    QCOMPARE(
        QProcess::execute(QStringLiteral(EXPORT_ICONS_PROGRAM), {QStringLiteral("--ico"), path}),
        0);
    QImageReader reader(path, "ico");
    QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
    QList<int> sizes;
    do {
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.width(), image.height());
        sizes << image.width();
        // Every pixel as painted, transparency included (a bitmap stored upside down or in the
        // wrong channel order would fail here).
        const QImage drawn =
            VantelloIconImage(image.width()).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != drawn.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("%1 px: pixel (%2, %3) differs")
                                         .arg(image.width())
                                         .arg(x)
                                         .arg(y)));
    } while (reader.jumpToNextImage());
    std::sort(sizes.begin(), sizes.end());
    QCOMPARE(sizes, (QList<int>{16, 24, 32, 48, 256}));
}

QTEST_MAIN(WindowsIconTest)
#include "WindowsIconTest.moc"
