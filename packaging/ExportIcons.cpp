// Writes the installed icons from the drawing of the window icon:
//   <folder>/hicolor/<n>x<n>/apps/<id>.png   for n = 16, 32, 48, 64, 128, 256
//   <folder>/hicolor/scalable/apps/<id>.svg
// or the Windows icon file, the same drawing at 16, 24, 32, 48 and 256 pixels:
//   <file>.ico
// Usage: export-icons <folder> <id>
//        export-icons --ico <file>

#include "shell/AppIcon.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QtEndian>

#include <cstdio>

namespace {

void appendLe16(QByteArray& out, int value) {
    const quint16 le = qToLittleEndian(quint16(value));
    out.append(reinterpret_cast<const char*>(&le), 2);
}

void appendLe32(QByteArray& out, quint32 value) {
    const quint32 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

// One image of an icon file as Windows reads it everywhere: a 32-bit device-independent bitmap,
// rows bottom up, blue green red alpha, its height doubled for the 1-bit mask that follows (all
// zero: the alpha channel decides).
QByteArray iconBitmap(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    QByteArray out;
    appendLe32(out, 40);
    appendLe32(out, quint32(size));
    appendLe32(out, quint32(2 * size));
    appendLe16(out, 1);
    appendLe16(out, 32);
    for (int i = 0; i < 6; ++i)
        appendLe32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            const QRgb c = line[x];
            out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
            out.append(char(qAlpha(c)));
        }
    }
    const int maskRow = ((size + 31) / 32) * 4;
    out.append(QByteArray(maskRow * size, '\0'));
    return out;
}

// The .ico file: the small sizes as bitmaps, 256 pixels as PNG (as Windows' own icons do).
bool writeIco(const QString& path) {
    const int sizes[] = {16, 24, 32, 48, 256};
    QList<QByteArray> images;
    for (int size : sizes) {
        const QImage image = VantelloIconImage(size);
        if (size < 256) {
            images.append(iconBitmap(image));
            continue;
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            return false;
        images.append(png);
    }
    QByteArray out;
    appendLe16(out, 0);
    appendLe16(out, 1); // an icon
    appendLe16(out, int(images.size()));
    quint32 offset = quint32(6 + 16 * images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const int size = sizes[i];
        out.append(char(size == 256 ? 0 : size)).append(char(size == 256 ? 0 : size));
        out.append(char(0)).append(char(0)); // no palette; reserved
        appendLe16(out, 1);
        appendLe16(out, 32);
        appendLe32(out, quint32(images[i].size()));
        appendLe32(out, offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray& image : images)
        out.append(image);
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.commit();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("--ico")) {
        if (writeIco(args[2]))
            return 0;
        std::fprintf(stderr, "export-icons: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    if (args.size() != 3) {
        std::fprintf(stderr,
                     "usage: export-icons <folder> <id>\n       export-icons --ico <file>\n");
        return 2;
    }
    const QDir root(args[1] + QStringLiteral("/hicolor"));
    const QString id = args[2];
    auto folder = [&](const QString& sub) {
        if (!root.mkpath(sub + QStringLiteral("/apps"))) {
            std::fprintf(stderr, "export-icons: cannot create %s\n",
                         qPrintable(root.filePath(sub)));
            std::exit(1);
        }
        return root.filePath(sub + QStringLiteral("/apps/") + id);
    };

    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString path = folder(QStringLiteral("%1x%1").arg(size)) + QStringLiteral(".png");
        if (!VantelloIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "export-icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }

    const QString svgPath = folder(QStringLiteral("scalable")) + QStringLiteral(".svg");
    QSvgGenerator svg;
    svg.setFileName(svgPath);
    svg.setSize(QSize(64, 64));
    svg.setViewBox(QRect(0, 0, 64, 64));
    svg.setTitle(QStringLiteral("Vantello"));
    svg.setDescription(QStringLiteral("A cup anemometer on a blue tile"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        std::fprintf(stderr, "export-icons: cannot write %s\n", qPrintable(svgPath));
        return 1;
    }
    painter.setFont(QFont(QStringLiteral("sans-serif"), 9)); // no text; keeps the attributes valid
    PaintVantelloIcon(painter, 64);
    return painter.end() ? 0 : 1;
}
