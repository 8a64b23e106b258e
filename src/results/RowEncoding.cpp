#include "RowEncoding.h"

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
    const char16_t *p = text.utf16();
    const char16_t *end = p + text.size();
    while (p < end) {
        // Runs of ASCII go in one append.
        const char16_t *ascii = p;
        while (p < end && *p < 0x80)
            ++p;
        if (p > ascii) {
            const qsizetype n = p - ascii;
            const qsizetype at = out.size();
            out.resize(at + n);
            char *dst = out.data() + at;
            for (qsizetype i = 0; i < n; ++i)
                dst[i] = char(ascii[i]);
        }
        if (p == end)
            break;
        const char16_t unit = *p++;
        if (QChar::isHighSurrogate(unit) && p < end && QChar::isLowSurrogate(*p)) {
            appendCodePoint(out, QChar::surrogateToUcs4(unit, *p++));
        } else if (QChar::isSurrogate(unit)) {
            appendCodePoint(out, 0xFFFD);
        } else {
            appendCodePoint(out, unit);
        }
    }
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
