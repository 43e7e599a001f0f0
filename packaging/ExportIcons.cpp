// Writes the installed icons from the drawing of the window icon:
//   <folder>/hicolor/<n>x<n>/apps/<id>.png   for n = 16, 32, 48, 64, 128, 256
//   <folder>/hicolor/scalable/apps/<id>.svg
// Usage: export-icons <folder> <id>

#include "shell/AppIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: export-icons <folder> <id>\n");
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
