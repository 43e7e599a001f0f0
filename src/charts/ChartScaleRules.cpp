#include "charts/ChartScaleRules.h"

#include "state/GVarMod.h"
#include "state/SystemTexts.h"

#include <QLocale>

namespace {

constexpr std::int64_t kLargestScale = 2147483647;

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The nearest integer of a typed decimal number, halves to even, read digit by digit so that no
// length of text loses precision. Nothing when the text is not such a number or the magnitude is
// beyond 32 bits.
std::optional<std::int64_t> nearestIntegerOfText(const QString& typed) {
    const QString text = typed.trimmed();
    const QString localePoint = QLocale().decimalPoint();
    qsizetype pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }

    std::int64_t whole = 0;
    int wholeDigits = 0;
    for (; pos < text.size() && isAsciiDigit(text[pos]); ++pos) {
        whole = whole * 10 + (text[pos].unicode() - u'0');
        if (whole > kLargestScale)
            return std::nullopt; // beyond 32 bits whatever the fraction; also stops overflow
        ++wholeDigits;
    }

    int fractionDigits = 0;
    int firstFraction = 0;
    bool laterNonZero = false;
    if (pos < text.size()) {
        if (text[pos] == u'.')
            ++pos;
        else if (!localePoint.isEmpty() && QStringView(text).sliced(pos).startsWith(localePoint))
            pos += localePoint.size();
        else
            return std::nullopt;
        for (; pos < text.size() && isAsciiDigit(text[pos]); ++pos) {
            const int digit = text[pos].unicode() - u'0';
            if (fractionDigits == 0)
                firstFraction = digit;
            else if (digit != 0)
                laterNonZero = true;
            ++fractionDigits;
        }
    }
    if (pos != text.size() || wholeDigits + fractionDigits == 0)
        return std::nullopt;

    const bool aboveHalf = firstFraction > 5 || (firstFraction == 5 && laterNonZero);
    const bool exactHalf = firstFraction == 5 && !laterNonZero;
    if (aboveHalf || (exactHalf && whole % 2 == 1))
        ++whole;
    if (whole > kLargestScale)
        return std::nullopt;
    return negative ? -whole : whole;
}

std::optional<QString> stepInList(const QString& text, int direction) {
    for (int i = 0; i < static_cast<int>(kScaleListTexts.size()); ++i) {
        if (text != QStringView(kScaleListTexts[static_cast<std::size_t>(i)]))
            continue;
        const int next = i + direction;
        if (next < 0 || next >= static_cast<int>(kScaleListTexts.size()))
            return std::nullopt;
        return QString::fromUtf16(kScaleListTexts[static_cast<std::size_t>(next)]);
    }
    return text;
}

} // namespace

std::int32_t ScaleFromText(const QString& text) {
    for (const char16_t* listed : kScaleListTexts) {
        if (text == QStringView(listed))
            return static_cast<std::int32_t>(QStringView(listed).toInt());
    }
    const std::optional<std::int64_t> typed = nearestIntegerOfText(text);
    if (!typed || *typed == 0)
        return kStartChartScale;
    return static_cast<std::int32_t>(*typed);
}

std::optional<QString> ZoomInText(const QString& text) {
    return stepInList(text, +1);
}

std::optional<QString> ZoomOutText(const QString& text) {
    return stepInList(text, -1);
}

std::array<QString, 8> LiveAxisCaptions(std::int32_t scale) {
    const double s = scale;
    return {NumberText(s),      NumberText(s * 3 / 4), NumberText(s / 2),      NumberText(s / 4),
            NumberText(-s / 4), NumberText(-s / 2),    NumberText(-s * 3 / 4), NumberText(-s)};
}

std::array<QString, 17> GraphAxisCaptions(std::int32_t scale) {
    const double s = scale;
    std::array<QString, 17> captions;
    captions[0] = NumberText(s);
    captions[1] = NumberText(s / 8 * 7);
    captions[2] = NumberText(s / 4 * 3);
    captions[3] = NumberText(s / 8 * 5);
    captions[4] = NumberText(s / 2);
    captions[5] = NumberText(s / 8 * 3);
    captions[6] = NumberText(s / 4);
    captions[7] = NumberText(s / 8);
    captions[9] = NumberText(-s / 8);
    captions[10] = NumberText(-s / 4);
    captions[11] = NumberText(-s / 8 * 3);
    captions[12] = NumberText(-s / 2);
    captions[13] = NumberText(-s / 8 * 5);
    captions[14] = NumberText(-s / 4 * 3);
    captions[15] = NumberText(-s / 8 * 7);
    captions[16] = NumberText(-s);
    return captions;
}
