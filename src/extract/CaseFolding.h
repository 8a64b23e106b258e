#pragma once

#include <QChar>
#include <QStringView>
#include <string>

namespace Quillfen {

// Simple case folding of one code point. A fold that would change the
// number of UTF-16 units is not taken, so folded texts keep their positions.
inline char32_t foldCodePoint(char32_t cp)
{
    const char32_t folded = QChar::toCaseFolded(cp);
    if ((folded < 0x10000) != (cp < 0x10000) || QChar::isSurrogate(folded))
        return cp;
    return folded;
}

// The fold of every UTF-16 unit that is a code point of its own; a
// surrogate maps to itself.
const char16_t *bmpFolds();

// The fold of unit i of a window of length n, code point by code point;
// a surrogate pair folds as one, a lone surrogate stays as it is. Returns
// the number of units read (1 or 2) and writes them to out.
inline int foldUnitsAt(const char16_t *s, qsizetype i, qsizetype n, char16_t out[2])
{
    const char16_t unit = s[i];
    if (unit < 0x80) {
        out[0] = unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
        return 1;
    }
    if (QChar::isHighSurrogate(unit) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
        const char32_t folded = foldCodePoint(QChar::surrogateToUcs4(unit, s[i + 1]));
        out[0] = QChar::highSurrogate(folded);
        out[1] = QChar::lowSurrogate(folded);
        return 2;
    }
    out[0] = bmpFolds()[unit];
    return 1;
}

// The fold of a unit that is not part of a surrogate pair.
inline char16_t foldUnit(char16_t unit)
{
    char16_t out[2];
    foldUnitsAt(&unit, 0, 1, out);
    return out[0];
}

inline std::u16string foldText(QStringView text)
{
    std::u16string folded(size_t(text.size()), u'\0');
    const char16_t *s = text.utf16();
    for (qsizetype i = 0; i < text.size();) {
        char16_t units[2];
        const int read = foldUnitsAt(s, i, text.size(), units);
        for (int u = 0; u < read; ++u)
            folded[size_t(i + u)] = units[u];
        i += read;
    }
    return folded;
}

// True when the n units at s, folded on their own, equal folded.
inline bool foldedEquals(const char16_t *s, const std::u16string &folded)
{
    const qsizetype n = qsizetype(folded.size());
    for (qsizetype i = 0; i < n;) {
        char16_t units[2];
        const int read = foldUnitsAt(s, i, n, units);
        for (int u = 0; u < read; ++u) {
            if (units[u] != folded[size_t(i + u)])
                return false;
        }
        i += read;
    }
    return true;
}

} // namespace Quillfen
