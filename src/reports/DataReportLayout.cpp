#include "reports/DataReportLayout.h"

#include "state/GVarMod.h"
#include "state/SystemTexts.h"

#include <algorithm>
#include <array>

namespace {

const QString kArial = QStringLiteral("Arial");
const PrintFont kTitleFont{kArial, 24, true};
const PrintFont kHeadingFont{kArial, 15, true};
const PrintFont kRowFont{kArial, 12, false};

// Columns from a running x: 1100, then +1000, +3000, +1500, +1000.
constexpr std::array<double, 5> kColumnX{1100, 2100, 5100, 6600, 7600};
constexpr double kHeadingY = 1200;
constexpr double kRowStep = 400;
constexpr double kFooterY = 16000;

} // namespace

DataReportLayout::DataReportLayout(const GVarMod& state, std::int32_t count, const QDate& date,
                                   double sheetWidthTwips)
    : m_state(state)
    , m_count(std::max<std::int32_t>(count, 0))
    , m_date(ShortDateText(date))
    , m_footerX(sheetWidthTwips / 2 - 2000) {}

int DataReportLayout::PageCount() const {
    return m_count / kDataReportRowsPerPage + 1;
}

QString DataReportLayout::FooterText(int page) const {
    return QStringLiteral("Page ") + QString::number(page) + QStringLiteral("   (") + m_date + u')';
}

PrintPage DataReportLayout::Page(int page) const {
    PrintPage steps;
    steps.reserve(1 + 1 + 5 + 5 * kDataReportRowsPerPage + 1);
    steps.emplace_back(NewPageStep{PrintPaper::A4, PageOrientation::Portrait});
    steps.emplace_back(TextStep{2200, 400, QStringLiteral("Brisel Data Report"), kTitleFont});
    const std::array<QString, 5> headings{QStringLiteral("NO."), QStringLiteral("T&RH"),
                                          QStringLiteral("DATA"), QStringLiteral("UNIT"),
                                          QStringLiteral("TIME")};
    for (std::size_t c = 0; c < headings.size(); ++c)
        steps.emplace_back(TextStep{kColumnX[c], kHeadingY, headings[c], kHeadingFont});

    const std::int32_t first = (page - 1) * kDataReportRowsPerPage + 1;
    const std::int32_t last = std::min(m_count, page * kDataReportRowsPerPage);
    double y = kHeadingY;
    for (std::int32_t i = first; i <= last; ++i) {
        y += kRowStep;
        const Reading& r = m_state.Readings(i);
        // The record number is written as a signed number: sign position, digits, a space.
        const std::array<QString, 5> cells{u' ' + QString::number(r.No) + u' ', r.TRH, r.Data,
                                           r.Unit, r.Time};
        for (std::size_t c = 0; c < cells.size(); ++c)
            steps.emplace_back(TextStep{kColumnX[c], y, cells[c], kRowFont});
    }
    steps.emplace_back(TextStep{m_footerX, kFooterY, FooterText(page), kRowFont});
    return steps;
}
