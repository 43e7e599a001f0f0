#include "reports/AnsiText.h"

#include <QString>

namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page leaves the byte undefined.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Letters with a stroke or without a dot, which have no decomposition, and their plain forms.
constexpr char16_t kStroked[][2] = {{0x0110, 'D'}, {0x0111, 'd'}, {0x0126, 'H'}, {0x0127, 'h'},
                                    {0x0131, 'i'}, {0x0141, 'L'}, {0x0142, 'l'}, {0x0166, 'T'},
                                    {0x0167, 't'}, {0x0180, 'b'}, {0x0197, 'I'}, {0x01B5, 'Z'},
                                    {0x01B6, 'z'}, {0x0248, 'J'}, {0x0249, 'j'}};

// The byte of c in the code page, or 0 when it has none.
char inCodePage(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return 0;
}

char toAnsi(char16_t c) {
    if (c == 0)
        return 0;
    if (const char b = inCodePage(c))
        return b;
    // The nearest plain form: the letter without its marks ("ź" is "z"), else "?".
    for (const auto& s : kStroked)
        if (s[0] == c)
            return static_cast<char>(s[1]);
    const QString parts = QChar(c).decomposition();
    if (!parts.isEmpty())
        if (const char b = inCodePage(parts.at(0).unicode()); b && b != '?')
            return b;
    return '?';
}

} // namespace

QByteArray ToAnsi(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i; // one character outside the code page
            out += '?';
            continue;
        }
        out += toAnsi(c.unicode());
    }
    return out;
}
