#include "reports/PrintSteps.h"

namespace {

// Twips as the shortest decimal text (no trailing zeros), always with a full stop.
QString twips(double v) {
    return QString::number(v, 'g', 12);
}

QString point(double x, double y) {
    return twips(x) + u',' + twips(y);
}

struct Describe {
    QString operator()(const NewPageStep& s) const {
        return QStringLiteral("page A4 ") + (s.orientation == PageOrientation::Portrait
                                                 ? QStringLiteral("portrait")
                                                 : QStringLiteral("landscape"));
    }
    QString operator()(const TextStep& s) const {
        return QStringLiteral("text %1 \"%2\" %3 %4%5")
            .arg(point(s.x, s.y), s.text, s.font.family, twips(s.font.pointSize),
                 s.font.bold ? QStringLiteral(" bold") : QString());
    }
    QString operator()(const LineStep& s) const {
        return QStringLiteral("line %1 %2 %3")
            .arg(point(s.x1, s.y1), point(s.x2, s.y2),
                 s.style == LineStyle::Solid ? QStringLiteral("solid") : QStringLiteral("dotted"));
    }
    QString operator()(const DotStep& s) const {
        return QStringLiteral("dot %1 r%2").arg(point(s.x, s.y), twips(s.radius));
    }
};

} // namespace

QString DescribeStep(const PrintStep& step) {
    return std::visit(Describe{}, step);
}
