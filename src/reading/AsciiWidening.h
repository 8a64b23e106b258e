#pragma once

#include <QtGlobal>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quillfen::Detail {

// Copies the run of ASCII bytes at the start of [from, end) to out as UTF-16
// and returns its length. Works a block at a time, so it may also write up to
// 15 units past the run, but never past out + (end - from): callers whose
// output never runs ahead of their input overwrite them afterwards.
inline qsizetype widenAscii(const uchar *from, const uchar *end, char16_t *out)
{
    const uchar *p = from;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(block, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(block, zero));
        const unsigned highBits = unsigned(_mm_movemask_epi8(block));
        if (highBits != 0)
            return (p - from) + std::countr_zero(highBits);
        p += 16;
        out += 16;
    }
#else
    while (end - p >= 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if (word & 0x8080808080808080ull)
            break;
        for (int i = 0; i < 8; ++i)
            out[i] = p[i];
        p += 8;
        out += 8;
    }
#endif
    while (p < end && *p < 0x80)
        *out++ = *p++;
    return p - from;
}

// The length of the run of ASCII bytes at the start of [from, end).
inline qsizetype skipAscii(const uchar *from, const uchar *end)
{
    const uchar *p = from;
    while (end - p >= 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if (word & 0x8080808080808080ull)
            break;
        p += 8;
    }
    while (p < end && *p < 0x80)
        ++p;
    return p - from;
}

} // namespace Quillfen::Detail
