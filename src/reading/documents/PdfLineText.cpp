#include "PdfLineText.h"

#include <memory>
#include <unicode/ubidi.h>

namespace Quillfen {

namespace {

bool isRightToLeftLetter(char32_t c)
{
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
           (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x10800 && c <= 0x10FFF) ||
           (c >= 0x1E800 && c <= 0x1EFFF);
}

bool isPresentationForm(char32_t c)
{
    return (c >= 0xFB00 && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFE);
}

// Han, kana and the punctuation and full-width forms set with them.
bool isWrittenWithoutSpaces(char32_t c)
{
    if ((c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF9F) ||
        (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0x3099 && c <= 0x30FF))
        return true;
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
        return true;
    default:
        return false;
    }
}

// Calls f with each code point of text until it returns true.
template <typename F> bool anyCodePoint(const QString &text, F &&f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (f(c))
            return true;
    }
    return false;
}

struct BidiCloser
{
    void operator()(UBiDi *bidi) const { ubidi_close(bidi); }
};

} // namespace

bool hasRightToLeftLetters(const QString &text)
{
    return anyCodePoint(text, isRightToLeftLetter);
}

bool runsRightToLeft(const QString &visualText, bool pageRunsRightToLeft)
{
    qsizetype leftToRight = 0;
    qsizetype rightToLeft = 0;
    anyCodePoint(visualText, [&](char32_t c) {
        switch (QChar::direction(c)) {
        case QChar::DirL:
            ++leftToRight;
            break;
        case QChar::DirR:
        case QChar::DirAL:
            ++rightToLeft;
            break;
        default:
            break;
        }
        return false;
    });
    return rightToLeft > leftToRight || (rightToLeft == leftToRight && pageRunsRightToLeft);
}

QString readingOrder(const QString &visualText, bool rightToLeft)
{
    if (visualText.isEmpty())
        return visualText;
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UBiDi, BidiCloser> bidi(ubidi_open());
    if (!bidi)
        return visualText;
    // Visual text whose left-to-right runs, digits too, were laid out as
    // they read: keep each such run in place.
    ubidi_setReorderingMode(bidi.get(), UBIDI_REORDER_INVERSE_NUMBERS_AS_L);
    const auto length = int32_t(visualText.size());
    ubidi_setPara(bidi.get(), reinterpret_cast<const UChar *>(visualText.utf16()), length,
                  rightToLeft ? 1 : 0, nullptr, &status);
    QString logical(visualText.size(), Qt::Uninitialized);
    const int32_t written = ubidi_writeReordered(
        bidi.get(), reinterpret_cast<UChar *>(logical.data()), length, UBIDI_DO_MIRRORING, &status);
    if (U_FAILURE(status))
        return visualText;
    logical.resize(written);
    return logical;
}

QString presentationFormsAsLetters(const QString &text)
{
    const auto hasForm = [](const QString &s) {
        for (const QChar c : s) {
            if (isPresentationForm(c.unicode()))
                return true;
        }
        return false;
    };
    if (!hasForm(text))
        return text;
    QString letters = text;
    // A form may decompose into another one (Hebrew forms with two marks).
    while (hasForm(letters)) {
        QString next;
        next.reserve(letters.size() + 8);
        for (const QChar c : letters) {
            const QString decomposed =
                isPresentationForm(c.unicode()) ? QChar::decomposition(c.unicode()) : QString();
            if (decomposed.isEmpty())
                next += c;
            else
                next += decomposed;
        }
        if (next == letters)
            break;
        letters = std::move(next);
    }
    return letters;
}

bool joinsWithoutSpace(const QString &before, const QString &after)
{
    if (before.isEmpty() || after.isEmpty())
        return false;
    char32_t last = before.back().unicode();
    if (before.size() >= 2 && before.back().isLowSurrogate() &&
        before[before.size() - 2].isHighSurrogate())
        last = QChar::surrogateToUcs4(before[before.size() - 2], before.back());
    char32_t first = after.front().unicode();
    if (after.size() >= 2 && after[0].isHighSurrogate() && after[1].isLowSurrogate())
        first = QChar::surrogateToUcs4(after[0], after[1]);
    return isWrittenWithoutSpaces(last) && isWrittenWithoutSpaces(first);
}

} // namespace Quillfen
