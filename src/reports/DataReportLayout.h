#pragma once

#include "reports/PrintSteps.h"

#include <QDate>
#include <QString>

#include <cstdint>

class GVarMod;

inline constexpr int kDataReportRowsPerPage = 36;

// The printed data report of readings 1 ... count, A4 portrait, composed one page at a time so
// that even the largest report never holds more than one page of steps.
//
// Every page carries the title, the heading row, up to 36 reading rows at y = 1600, 2000, ...,
// 15600 and the footer "Page n   (date)". The page break follows the 36th row of a page even when
// it is the last reading, so a report of 36 readings has a second page with no rows.
class DataReportLayout {
public:
    // state must hold at least count readings and stay unchanged while pages are taken.
    // sheetWidthTwips is the width of the sheet as the printer reports it; the footer starts
    // 2000 twips left of its middle.
    DataReportLayout(const GVarMod& state, std::int32_t count, const QDate& date,
                     double sheetWidthTwips);

    // count / 36 + 1: 1 reading -> 1 page, 36 -> 2, 37 -> 2, 50000 -> 1389.
    int PageCount() const;

    // The steps of page 1 ... PageCount(), starting with its NewPageStep.
    PrintPage Page(int page) const;

    // The footer text of a page: "Page " + number + "   (" + short date + ")".
    QString FooterText(int page) const;

private:
    const GVarMod& m_state;
    std::int32_t m_count;
    QString m_date;
    double m_footerX;
};
