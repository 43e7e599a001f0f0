#include "jobs/JobSchedule.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <cmath>

namespace {

// The cells of one line: quoted cells may hold the separator and doubled quotes.
QStringList cellsOf(const QString& line, QChar separator) {
    QStringList cells;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            cells << cell.trimmed();
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells << cell.trimmed();
    return cells;
}

std::optional<TestType> typeOf(const QString& text) {
    const QString t = text.simplified().toLower();
    for (TestType type : kTestTypes)
        if (t == TestTypeKey(type) || t == TestTypeText(type).toLower())
            return type;
    if (t == QStringLiteral("fume hood") || t == QStringLiteral("hood"))
        return TestType::FumeHood;
    if (t == QStringLiteral("diffuser"))
        return TestType::Grille;
    if (t == QStringLiteral("clean air") || t == QStringLiteral("clean air unit"))
        return TestType::CleanAirUnit;
    return std::nullopt;
}

std::optional<FlowUnit> flowUnitOf(const QString& text) {
    const QString t = text.trimmed().toLower().replace(u'³', u'3');
    for (FlowUnit u : kFlowUnits)
        if (t == FlowUnitText(u))
            return u;
    return std::nullopt;
}

std::optional<MeterUnit> velocityUnitOf(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == QStringLiteral("fpm") || t == QStringLiteral("ft/min"))
        return MeterUnit::FeetPerMinute;
    for (const auto& row : kMeterUnits)
        if (row.kind == ReadingKind::Velocity && t == UnitText(row.unit).toLower())
            return row.unit;
    return std::nullopt;
}

// A number with a full stop, or with a comma in a file separated by semicolons.
std::optional<double> numberOf(QString text, QChar separator) {
    if (separator == u';')
        text.replace(u',', u'.');
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

struct Size {
    bool round = false;
    double a = 0;
    double b = 0;
    LengthUnit unit = LengthUnit::Millimetres;
};

std::optional<Size> sizeOf(const QString& text, QChar separator) {
    static const QRegularExpression form(
        QStringLiteral(R"re(^\s*(?:[dDØø⌀]\s*)?([0-9]+(?:[.,][0-9]+)?)\s*("|in|mm)?\s*)re"
                       R"re((?:[xX×*]\s*([0-9]+(?:[.,][0-9]+)?)\s*("|in|mm)?)?\s*$)re"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    Size s;
    const QString unitA = m.captured(2);
    const QString unitB = m.captured(4);
    const bool inches = unitA == QStringLiteral("in") || unitA == QStringLiteral("\"") ||
                        unitB == QStringLiteral("in") || unitB == QStringLiteral("\"");
    s.unit = inches ? LengthUnit::Inches : LengthUnit::Millimetres;
    const std::optional<double> a = numberOf(m.captured(1), separator);
    if (!a)
        return std::nullopt;
    s.a = *a;
    if (m.captured(3).isEmpty()) {
        s.round = true;
    } else {
        const std::optional<double> b = numberOf(m.captured(3), separator);
        if (!b)
            return std::nullopt;
        s.b = *b;
    }
    return s;
}

QString typeNames() {
    QStringList names;
    for (TestType t : kTestTypes)
        names << TestTypeKey(t);
    return names.join(QStringLiteral(", "));
}

// One row as a test, or why not.
QString readRow(const QStringList& cells, QChar separator, const TraverseSetup& base,
                JobTest* out) {
    if (cells.size() < 2)
        return QStringLiteral("a row needs at least a tag and a type (tag, type, size, design "
                              "value, unit)");
    if (cells.size() > 5)
        return QStringLiteral("%1 cells where there are five at most (tag, type, size, design "
                              "value, unit)")
            .arg(cells.size());
    const QString tag = cells[0];
    if (tag.isEmpty())
        return QStringLiteral("the tag is empty");
    const std::optional<TestType> type = typeOf(cells[1]);
    if (!type)
        return QStringLiteral("the type \"%1\" is none of %2").arg(cells[1], typeNames());
    JobTest t;
    t.people.tag = tag;
    TraverseSetup s = WithTestType(base, *type);
    s.designValue = 0;
    const QString sizeText = cells.value(2);
    if (!sizeText.isEmpty()) {
        const std::optional<Size> size = sizeOf(sizeText, separator);
        if (!size)
            return QStringLiteral("the size \"%1\" is not like 600x400, 24x16 in or D400")
                .arg(sizeText);
        if (*type == TestType::Grille) {
            t.people.notes = QStringLiteral("Size ") + sizeText;
        } else {
            if (size->round && *type != TestType::DuctTraverse)
                return QStringLiteral("the size \"%1\" is round, but a %2 needs width x height")
                    .arg(sizeText, TestTypeText(*type).toLower());
            const double least = LeastSize(size->unit);
            const double most = MostSize(size->unit);
            for (double v : {size->a, size->round ? size->a : size->b})
                if (v < least || v > most)
                    return QStringLiteral("the size \"%1\" is outside %2 to %3 %4")
                        .arg(sizeText)
                        .arg(least)
                        .arg(most)
                        .arg(LengthUnitText(size->unit));
            s.lengthUnit = size->unit;
            if (size->round) {
                s.shape = TraverseShape::RoundDuct;
                s.diameter = size->a;
                if (s.method == DuctMethod::LogTchebycheff)
                    s.roundPoints = s.roundPoints == 10 ? 10 : 8;
            } else {
                if (*type == TestType::DuctTraverse)
                    s.shape = TraverseShape::RectangularDuct;
                s.width = size->a;
                s.height = size->b;
                if (s.shape == TraverseShape::FaceGrid) {
                    const FaceGrid g = ProposedFaceGrid(s.width, s.height, s.lengthUnit,
                                                        LargestCellSquareMetres(*type));
                    s.faceRows = g.rows;
                    s.faceColumns = g.columns;
                }
            }
        }
    }
    const QString designText = cells.value(3);
    const QString unitText = cells.value(4);
    if (!designText.isEmpty()) {
        const std::optional<double> design = numberOf(designText, separator);
        if (!design || *design <= 0 || *design > kMostDesignValue)
            return QStringLiteral("the design value \"%1\" is not a number above 0")
                .arg(designText);
        s.designValue = *design;
        if (DesignIsFlow(*type)) {
            const std::optional<FlowUnit> u = flowUnitOf(unitText);
            if (!u)
                return QStringLiteral("the unit \"%1\" is not a flow unit (m3/h, l/s, m3/s, cfm), "
                                      "as a %2 needs")
                    .arg(unitText, TestTypeText(*type).toLower());
            s.designFlowUnit = *u;
        } else {
            const std::optional<MeterUnit> u = velocityUnitOf(unitText);
            if (!u)
                return QStringLiteral("the unit \"%1\" is not a velocity unit (m/s, ft/m, ...), "
                                      "as a %2 needs")
                    .arg(unitText, TestTypeText(*type).toLower());
            s.designVelocityUnit = *u;
        }
    } else if (!unitText.isEmpty()) {
        return QStringLiteral("the unit \"%1\" has no design value").arg(unitText);
    }
    t.setup = s;
    t.records.resize(TraversePoints(s).size());
    t.summary = SummaryOf(s, t.records, s.resultUnit.value_or(MeterUnit::MetresPerSecond));
    *out = t;
    return {};
}

} // namespace

ScheduleImport ReadDesignSchedule(const QByteArray& bytes, const TraverseSetup& base) {
    ScheduleImport result;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    QChar separator = u',';
    bool first = true;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString& line = lines[n];
        if (line.trimmed().isEmpty())
            continue;
        if (first) {
            // The separator is the one the first row uses.
            if (line.count(u';') > line.count(u','))
                separator = u';';
        }
        const QStringList cells = cellsOf(line, separator);
        if (first && cells[0].compare(QStringLiteral("tag"), Qt::CaseInsensitive) == 0) {
            first = false;
            continue;
        }
        first = false;
        JobTest test;
        const QString why = readRow(cells, separator, base, &test);
        if (why.isEmpty())
            result.tests.push_back(test);
        else
            result.errors << QStringLiteral("Line %1: %2.").arg(n + 1).arg(why);
    }
    if (!result.errors.isEmpty())
        result.tests.clear();
    return result;
}

QString NextFreeTag(const QString& tag, const QStringList& taken) {
    static const QRegularExpression lastNumber(QStringLiteral("([0-9]+)(?!.*[0-9])"));
    const QRegularExpressionMatch m = lastNumber.match(tag);
    const QString head = m.hasMatch() ? tag.left(m.capturedStart(1)) : tag + u' ';
    const QString tail = m.hasMatch() ? tag.mid(m.capturedEnd(1)) : QString();
    const int width = m.hasMatch() ? int(m.capturedLength(1)) : 1;
    qlonglong n = m.hasMatch() ? m.captured(1).toLongLong() : 1;
    for (;;) {
        ++n;
        const QString candidate =
            head + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0')) + tail;
        if (!taken.contains(candidate))
            return candidate;
    }
}
