#include "RowEncoding.h"

#include <algorithm>

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
    const char escape[] = {'\\',
                           'u',
                           Hex[(unit >> 12) & 0xF],
                           Hex[(unit >> 8) & 0xF],
                           Hex[(unit >> 4) & 0xF],
                           Hex[unit & 0xF]};
    out.append(escape, sizeof escape);
}

} // namespace

void appendJsonString(QByteArray &out, QStringView text)
{
    out.append('"');
    const char16_t *p = text.utf16();
    const char16_t *end = p + text.size();
    while (p < end) {
        const char16_t unit = *p++;
        switch (unit) {
        case u'"':
            out.append("\\\"");
            continue;
        case u'\\':
            out.append("\\\\");
            continue;
        case u'\n':
            out.append("\\n");
            continue;
        case u'\r':
            out.append("\\r");
            continue;
        case u'\t':
            out.append("\\t");
            continue;
        case u'\b':
            out.append("\\b");
            continue;
        case u'\f':
            out.append("\\f");
            continue;
        default:
            break;
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

void appendJsonString(QByteArray &out, QByteArrayView utf8)
{
    out.append('"');
    const char *p = utf8.data();
    const char *const end = p + utf8.size();
    while (p < end) {
        // Bytes from 0x80 on are parts of whole characters: copied as they are.
        const char *run = p;
        while (run < end && uchar(*run) >= 0x20 && *run != '"' && *run != '\\' && *run != 0x7F)
            ++run;
        out.append(p, run - p);
        if (run == end)
            break;
        const char byte = *run;
        p = run + 1;
        switch (byte) {
        case '"':
            out.append("\\\"");
            continue;
        case '\\':
            out.append("\\\\");
            continue;
        case '\n':
            out.append("\\n");
            continue;
        case '\r':
            out.append("\\r");
            continue;
        case '\t':
            out.append("\\t");
            continue;
        case '\b':
            out.append("\\b");
            continue;
        case '\f':
            out.append("\\f");
            continue;
        default:
            appendEscape(out, char16_t(uchar(byte)));
        }
    }
    out.append('"');
}

} // namespace Quillfen

namespace Quillfen {

namespace {

void appendCsvField(QByteArray &out, QByteArrayView field)
{
    const bool quoted = std::any_of(field.begin(), field.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    });
    if (!quoted) {
        out.append(field);
        return;
    }
    out.append('"');
    for (const char c : field) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

void appendTsvField(QByteArray &out, QByteArrayView field)
{
    for (const char c : field) {
        switch (c) {
        case '\\':
            out.append("\\\\", 2);
            break;
        case '\t':
            out.append("\\t", 2);
            break;
        case '\n':
            out.append("\\n", 2);
            break;
        case '\r':
            out.append("\\r", 2);
            break;
        default:
            out.append(c);
        }
    }
}

} // namespace

void appendRecordHeader(QByteArray &out, RecordForm form)
{
    appendRecord(out, form, "file", "text");
}

void appendRecord(QByteArray &out, RecordForm form, QByteArrayView file, QByteArrayView text)
{
    if (form == RecordForm::Csv) {
        appendCsvField(out, file);
        out.append(',');
        appendCsvField(out, text);
        out.append("\r\n", 2);
    } else {
        appendTsvField(out, file);
        out.append('\t');
        appendTsvField(out, text);
        out.append('\n');
    }
}

} // namespace Quillfen
