#include "RowEncoding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quillfen {

namespace {

void appendCodePoint(QByteArray &out, char32_t cp)
{
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)));
        out.append(char(0x80 | ((cp >> 12) & 0x3F)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    }
}

const char Hex[] = "0123456789abcdef";

void appendEscape(QByteArray &out, char16_t unit)
{
    const char escape[] = {'\\', 'u', Hex[(unit >> 12) & 0xF], Hex[(unit >> 8) & 0xF],
                           Hex[(unit >> 4) & 0xF], Hex[unit & 0xF]};
    out.append(escape, sizeof escape);
}

} // namespace

void appendUtf8(QByteArray &out, QStringView text)
{
    // Room for the worst case (three bytes a unit) first, then one pass
    // through raw pointers and one final resize: rows are short and many.
    const qsizetype at = out.size();
    out.resize(at + 3 * text.size());
    char *const begin = out.data();
    char *dst = begin + at;
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    while (p < end) {
#if defined(__SSE2__)
        // Eight units at a time while they are all ASCII.
        const __m128i highMask = _mm_set1_epi16(short(0xFF80));
        const __m128i zero = _mm_setzero_si128();
        while (end - p >= 8) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(units, highMask), zero);
            if (_mm_movemask_epi8(ascii) != 0xFFFF)
                break;
            _mm_storel_epi64(reinterpret_cast<__m128i *>(dst), _mm_packus_epi16(units, units));
            p += 8;
            dst += 8;
        }
#endif
        while (p < end && *p < 0x80)
            *dst++ = char(*p++);
        if (p == end)
            break;
        char32_t cp = *p++;
        if (QChar::isHighSurrogate(cp) && p < end && QChar::isLowSurrogate(*p))
            cp = QChar::surrogateToUcs4(char16_t(cp), *p++);
        else if (QChar::isSurrogate(cp))
            cp = 0xFFFD;
        if (cp < 0x800) {
            *dst++ = char(0xC0 | (cp >> 6));
            *dst++ = char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            *dst++ = char(0xE0 | (cp >> 12));
            *dst++ = char(0x80 | ((cp >> 6) & 0x3F));
            *dst++ = char(0x80 | (cp & 0x3F));
        } else { // two units in, four bytes out: still within the room
            *dst++ = char(0xF0 | (cp >> 18));
            *dst++ = char(0x80 | ((cp >> 12) & 0x3F));
            *dst++ = char(0x80 | ((cp >> 6) & 0x3F));
            *dst++ = char(0x80 | (cp & 0x3F));
        }
    }
    out.resize(dst - begin);
}

void appendJsonString(QByteArray &out, QStringView text)
{
    out.append('"');
    const char16_t *p = text.utf16();
    const char16_t *end = p + text.size();
    while (p < end) {
        const char16_t unit = *p++;
        switch (unit) {
        case u'"': out.append("\\\""); continue;
        case u'\\': out.append("\\\\"); continue;
        case u'\n': out.append("\\n"); continue;
        case u'\r': out.append("\\r"); continue;
        case u'\t': out.append("\\t"); continue;
        case u'\b': out.append("\\b"); continue;
        case u'\f': out.append("\\f"); continue;
        default: break;
        }
        if (unit < 0x20 || unit == 0x7F) {
            appendEscape(out, unit);
        } else if (unit < 0x80) {
            out.append(char(unit));
        } else if (QChar::isHighSurrogate(unit) && p < end && QChar::isLowSurrogate(*p)) {
            appendCodePoint(out, QChar::surrogateToUcs4(unit, *p++));
        } else if (QChar::isSurrogate(unit)) {
            appendEscape(out, unit);
        } else {
            appendCodePoint(out, unit);
        }
    }
    out.append('"');
}

} // namespace Quillfen
