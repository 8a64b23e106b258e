#include "TextDecoding.h"

#include "Utf8Decoding.h"

#include <QtEndian>

namespace Quillfen {
namespace {

constexpr char16_t ReplacementCharacter = 0xFFFD;

const uchar *bytesOf(QByteArrayView bytes)
{
    return reinterpret_cast<const uchar *>(bytes.data());
}

char16_t *unitsOf(QString &text)
{
    return reinterpret_cast<char16_t *>(text.data());
}

bool startsWith(QByteArrayView bytes, std::initializer_list<uchar> mark)
{
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    const uchar *p = bytesOf(bytes);
    for (const uchar b : mark) {
        if (*p++ != b)
            return false;
    }
    return true;
}

constexpr bool isHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

constexpr bool isLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

template <bool bigEndian> char16_t unitAt(const uchar *p)
{
    if constexpr (bigEndian)
        return qFromBigEndian<quint16>(p);
    else
        return qFromLittleEndian<quint16>(p);
}

// An unpaired surrogate is one U+FFFD and the unit after it is read afresh.
// A high surrogate followed by only an odd last byte is a single malformed
// subpart, so it too gives one U+FFFD.
template <bool bigEndian> QString decodeUtf16As(QByteArrayView bytes)
{
    const qsizetype units = bytes.size() / 2;
    const bool oddByte = bytes.size() % 2 != 0;
    QString text(units + (oddByte ? 1 : 0), Qt::Uninitialized);
    char16_t *o = unitsOf(text);
    const uchar *p = bytesOf(bytes);
    const uchar *const end = p + units * 2;
    while (p < end) {
        const char16_t unit = unitAt<bigEndian>(p);
        p += 2;
        if (unit < 0xD800 || unit > 0xDFFF) {
            *o++ = unit;
        } else if (isHighSurrogate(unit) && p < end && isLowSurrogate(unitAt<bigEndian>(p))) {
            *o++ = unit;
            *o++ = unitAt<bigEndian>(p);
            p += 2;
        } else if (isHighSurrogate(unit) && p == end && oddByte) {
            *o++ = ReplacementCharacter;
            text.resize(o - unitsOf(text));
            return text;
        } else {
            *o++ = ReplacementCharacter;
        }
    }
    if (oddByte)
        *o++ = ReplacementCharacter;
    text.resize(o - unitsOf(text));
    return text;
}

template <bool bigEndian> QString decodeUtf32As(QByteArrayView bytes)
{
    const qsizetype values = bytes.size() / 4;
    const bool trailingBytes = bytes.size() % 4 != 0;
    QString text(values * 2 + (trailingBytes ? 1 : 0), Qt::Uninitialized);
    char16_t *o = unitsOf(text);
    const uchar *p = bytesOf(bytes);
    const uchar *const end = p + values * 4;
    for (; p < end; p += 4) {
        const char32_t value =
            bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
        if (value < 0xD800 || (value > 0xDFFF && value < 0x10000)) {
            *o++ = char16_t(value);
        } else if (value >= 0x10000 && value <= 0x10FFFF) {
            *o++ = char16_t(0xD7C0 + (value >> 10));
            *o++ = char16_t(0xDC00 | (value & 0x3FF));
        } else {
            *o++ = ReplacementCharacter;
        }
    }
    if (trailingBytes)
        *o++ = ReplacementCharacter;
    text.resize(o - unitsOf(text));
    return text;
}

} // namespace

std::optional<ByteOrderMark> detectByteOrderMark(QByteArrayView bytes)
{
    if (startsWith(bytes, {0xFF, 0xFE, 0x00, 0x00}))
        return ByteOrderMark{TextEncoding::Utf32LE, 4};
    if (startsWith(bytes, {0x00, 0x00, 0xFE, 0xFF}))
        return ByteOrderMark{TextEncoding::Utf32BE, 4};
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return ByteOrderMark{TextEncoding::Utf8, 3};
    if (startsWith(bytes, {0xFF, 0xFE}))
        return ByteOrderMark{TextEncoding::Utf16LE, 2};
    if (startsWith(bytes, {0xFE, 0xFF}))
        return ByteOrderMark{TextEncoding::Utf16BE, 2};
    return std::nullopt;
}

QString decodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    return bigEndian ? decodeUtf16As<true>(bytes) : decodeUtf16As<false>(bytes);
}

QString decodeUtf32(QByteArrayView bytes, bool bigEndian)
{
    return bigEndian ? decodeUtf32As<true>(bytes) : decodeUtf32As<false>(bytes);
}

QString decode(QByteArrayView bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return decodeUtf8(bytes);
    case TextEncoding::Utf16LE:
        return decodeUtf16(bytes, false);
    case TextEncoding::Utf16BE:
        return decodeUtf16(bytes, true);
    case TextEncoding::Utf32LE:
        return decodeUtf32(bytes, false);
    case TextEncoding::Utf32BE:
        return decodeUtf32(bytes, true);
    case TextEncoding::Windows1252:
        return decodeWindows1252(bytes);
    }
    Q_UNREACHABLE();
}

QString decodeTextFile(QByteArrayView bytes)
{
    if (const auto mark = detectByteOrderMark(bytes))
        return decode(bytes.sliced(mark->length), mark->encoding);
    if (auto text = Detail::decodeUtf8Strictly(bytes))
        return *std::move(text);
    return decodeWindows1252(bytes);
}

} // namespace Quillfen
