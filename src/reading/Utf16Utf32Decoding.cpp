// Hand-written: UTF-16 3.3x as fast as QStringDecoder and a fix-up; Qt UTF-32 differs (bench/parts)
#include "TextDecoding.h"

#include <QtEndian>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quillfen {
namespace {

constexpr char16_t ReplacementCharacter = 0xFFFD;

constexpr bool isSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
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

// Copies the run of units at the start of [from, end) that are not
// surrogates to out and returns its length in units. Like widenAscii it may
// write up to 7 units past the run, never past out + (end - from) / 2.
template <bool bigEndian>
qsizetype copyPlainUnits(const uchar *from, const uchar *end, char16_t *out)
{
    const uchar *p = from;
#if defined(__SSE2__)
    const __m128i surrogateBits = _mm_set1_epi16(short(0xF800));
    const __m128i surrogate = _mm_set1_epi16(short(0xD800));
    while (end - p >= 16) {
        __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if constexpr (bigEndian)
            units = _mm_or_si128(_mm_slli_epi16(units, 8), _mm_srli_epi16(units, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), units);
        const __m128i found = _mm_cmpeq_epi16(_mm_and_si128(units, surrogateBits), surrogate);
        const unsigned foundBits = unsigned(_mm_movemask_epi8(found));
        if (foundBits != 0)
            return (p - from) / 2 + std::countr_zero(foundBits) / 2;
        p += 16;
        out += 8;
    }
#endif
    for (; end - p >= 2; p += 2) {
        const char16_t unit = unitAt<bigEndian>(p);
        if (isSurrogate(unit))
            break;
        *out++ = unit;
    }
    return (p - from) / 2;
}

// An unpaired surrogate is one U+FFFD and the unit after it is read afresh.
// A high surrogate followed by nothing but an odd last byte is a single
// malformed subpart, so it too gives one U+FFFD.
template <bool bigEndian> void decodeUtf16As(QByteArrayView bytes, QString &text)
{
    const bool oddByte = bytes.size() % 2 != 0;
    text.resize(bytes.size() / 2 + (oddByte ? 1 : 0));
    char16_t *const start = reinterpret_cast<char16_t *>(text.data());
    char16_t *o = start;
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + (bytes.size() & ~qsizetype(1));
    bool oddByteTaken = false;
    while (p < end) {
        const qsizetype plain = copyPlainUnits<bigEndian>(p, end, o);
        p += plain * 2;
        o += plain;
        if (p == end)
            break;
        const char16_t unit = unitAt<bigEndian>(p);
        p += 2;
        if (isHighSurrogate(unit) && p < end && isLowSurrogate(unitAt<bigEndian>(p))) {
            *o++ = unit;
            *o++ = unitAt<bigEndian>(p);
            p += 2;
        } else {
            *o++ = ReplacementCharacter;
            oddByteTaken = isHighSurrogate(unit) && p == end;
        }
    }
    if (oddByte && !oddByteTaken)
        *o++ = ReplacementCharacter;
    text.resize(o - start);
}

template <bool bigEndian> QString decodeUtf32As(QByteArrayView bytes)
{
    const qsizetype values = bytes.size() / 4;
    const bool trailingBytes = bytes.size() % 4 != 0;
    QString text(values * 2 + (trailingBytes ? 1 : 0), Qt::Uninitialized);
    char16_t *const start = reinterpret_cast<char16_t *>(text.data());
    char16_t *o = start;
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + values * 4;
    for (; p < end; p += 4) {
        const char32_t value =
            bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
        if (value < 0x10000 && !isSurrogate(value)) {
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
    text.resize(o - start);
    return text;
}

} // namespace

QString decodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    QString text;
    decodeUtf16(bytes, bigEndian, text);
    return text;
}

void decodeUtf16(QByteArrayView bytes, bool bigEndian, QString &into)
{
    if (bigEndian)
        decodeUtf16As<true>(bytes, into);
    else
        decodeUtf16As<false>(bytes, into);
}

QString decodeUtf32(QByteArrayView bytes, bool bigEndian)
{
    return bigEndian ? decodeUtf32As<true>(bytes) : decodeUtf32As<false>(bytes);
}

} // namespace Quillfen
