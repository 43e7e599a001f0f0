#include "widgets/WindowFonts.h"

#include <QStringList>

namespace {
QFont makeFont(const QStringList& families, double points, bool bold, bool italic) {
    QFont f;
    f.setFamilies(families);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleHint(QFont::SansSerif);
    return f;
}
} // namespace

QFont ArialFont(double points, bool bold, bool italic) {
    return makeFont({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")}, points, bold,
                    italic);
}

QFont SansSerifFont(double points, bool bold) {
    return makeFont({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                     QStringLiteral("Liberation Sans")},
                    points, bold, false);
}
