#include "reports/TextReportWriter.h"

#include "reports/AnsiText.h"
#include "reports/AtomicFileWriter.h"
#include "state/GVarMod.h"
#include "state/SystemTexts.h"

namespace {
constexpr qsizetype kZoneWidth = 14;
constexpr char kLineEnd[] = "\r\n";
} // namespace

void ZonedLine::Add(const QByteArray& item) {
    if (!m_first) {
        const qsizetype next = kZoneWidth * (m_line.size() / kZoneWidth + 1);
        m_line.append(next - m_line.size(), ' ');
    }
    m_first = false;
    m_line += item;
}

QByteArray SignedNumberItem(qint64 n) {
    QByteArray item = QByteArray::number(n);
    if (n >= 0)
        item.prepend(' ');
    item.append(' ');
    return item;
}

QByteArray TextReportBytes(const GVarMod& state, const QString& title, const QDateTime& now) {
    QByteArray out;
    ZonedLine head;
    head.Add(ToAnsi(title));
    head.Add(ToAnsi(ShortDateText(now.date())));
    head.Add(ToAnsi(TimeOfDayText(now.time())));
    out += head.Bytes() + kLineEnd;
    out += kLineEnd;

    const std::int32_t count = state.ReadingCount;
    out.reserve(out.size() + qsizetype(count) * 90);
    for (std::int32_t i = 1; i <= count; ++i) {
        const Reading& r = state.Readings(i);
        ZonedLine line;
        line.Add(SignedNumberItem(r.No));
        line.Add(ToAnsi(r.TRH));
        line.Add(ToAnsi(r.Data));
        line.Add(ToAnsi(r.Unit));
        line.Add(ToAnsi(r.Time));
        out += line.Bytes() + kLineEnd;
    }
    return out;
}

bool WriteTextReport(const GVarMod& state, const QString& path, const QString& title,
                     QString* error, const QDateTime& now) {
    return WriteFileAtomically(path, TextReportBytes(state, title, now), error);
}
