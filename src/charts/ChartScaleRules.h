#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The vertical scale of both charts: the texts of the scale boxes, the scale a text gives, the
// zoom steps and the axis captions. The live chart and the graph window use the same rules, so
// a text applied in either window gives both the same ChartScale and captions.

// The nine texts of both scale lists, largest first.
inline constexpr std::array<const char16_t*, 9> kScaleListTexts = {
    u"4000", u"2000", u"1000", u"400", u"200", u"100", u"40", u"20", u"10"};

// The scale that applying a box's text gives: one of the list texts gives its value; any other
// text that reads as a number whose nearest integer (halves to even) is non-zero and within
// +-2147483647 gives that integer; every other text gives 400. Never 0.
//
// A typed number may have blanks around it, a leading + or -, ASCII digits and at most one decimal
// separator (the locale's or a full stop), with digits on at least one side of it. Group
// separators, exponents, "inf" and "nan" are not numbers here. Any number of digits is read
// exactly: "2.5000000000000000001" gives 3, "99999999999" gives 400.
std::int32_t ScaleFromText(const QString& text);

// The text after one zoom-in step (towards smaller scales), or nothing at "10": the step stops and
// nothing is applied. A text that is not in the list comes back unchanged and is applied as is.
std::optional<QString> ZoomInText(const QString& text);

// The text after one zoom-out step (towards larger scales), or nothing at "4000".
std::optional<QString> ZoomOutText(const QString& text);

// The live chart's axis numbers Label8(0 ... 7), level with its grid lines from the top:
// s, 3s/4, s/2, s/4, -s/4, -s/2, -3s/4, -s as number texts.
std::array<QString, 8> LiveAxisCaptions(std::int32_t scale);

// The graph's axis numbers Label8(k), k = 0 ... 16: s * (8 - k) / 8 as number texts, computed in
// double precision (exact for every 32-bit scale). Entry 8 is the title "Y:", never written by the
// scale, and is left empty here.
std::array<QString, 17> GraphAxisCaptions(std::int32_t scale);

// The order in which the graph writes its axis captions: 0, 16, 1, 15, ..., 7, 9.
inline constexpr std::array<int, 16> kGraphCaptionOrder = {0, 16, 1, 15, 2, 14, 3, 13,
                                                           4, 12, 5, 11, 6, 10, 7, 9};
