// Hand-written: ASCII runs of the UTF-8 and Windows-1252 decoders, timed in theirs (bench/parts)
#pragma once

#include <QtGlobal>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quillfen::Detail {

constexpr qsizetype BlockSize = 16;

// Widens the 16 bytes at p to 16 UTF-16 units at out, byte for byte, and
// returns a mask with bit i set when byte i is not ASCII (those units are
// then not meaningful yet).
inline unsigned widenBlock(const uchar *p, char16_t *out)
{
#if defined(__SSE2__)
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(block, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(block, zero));
    return unsigned(_mm_movemask_epi8(block));
#else
    unsigned highBits = 0;
    for (int i = 0; i < BlockSize; ++i) {
        out[i] = p[i];
        highBits |= unsigned(p[i] >> 7) << i;
    }
    return highBits;
#endif
}

// Copies the run of ASCII bytes at the start of [from, end) to out as UTF-16
// and returns its length. Works a block at a time, so it may also write up to
// 15 units past the run, but never past out + (end - from): callers whose
// output never runs ahead of their input overwrite them afterwards.
inline qsizetype widenAscii(const uchar *from, const uchar *end, char16_t *out)
{
    const uchar *p = from;
    while (end - p >= BlockSize) {
        const unsigned highBits = widenBlock(p, out);
        if (highBits != 0)
            return (p - from) + std::countr_zero(highBits);
        p += BlockSize;
        out += BlockSize;
    }
    while (p < end && *p < 0x80)
        *out++ = *p++;
    return p - from;
}

// The length of the run of ASCII bytes at the start of [from, end).
inline qsizetype skipAscii(const uchar *from, const uchar *end)
{
    const uchar *p = from;
#if defined(__SSE2__)
    while (end - p >= BlockSize) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const unsigned highBits = unsigned(_mm_movemask_epi8(block));
        if (highBits != 0)
            return (p - from) + std::countr_zero(highBits);
        p += BlockSize;
    }
#else
    while (end - p >= 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if (word & 0x8080808080808080ull)
            break;
        p += 8;
    }
#endif
    while (p < end && *p < 0x80)
        ++p;
    return p - from;
}

} // namespace Quillfen::Detail
