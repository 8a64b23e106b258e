#pragma once

#include "SmartSentenceText.h"

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#define QUILLFEN_SMART_STOPS_AVX2 1
#endif

namespace Quillfen::SmartText {

#if defined(QUILLFEN_SMART_STOPS_AVX2)
// The stops of the 64 bytes at p, a bit each, 32 bytes at a time
// (SmartSentences.cpp); only where the processor has AVX2.
quint64 stopsInAvx2(const char *p);
bool hasAvx2Stops();
#endif

inline bool isStop(uchar c)
{
    return c == '.' || c == '?' || c == '!' || c == '\n' || c == '\r' || c == 0xE2 || c == 0xE3 ||
           c == 0xEF;
}

// Finds the bytes that may matter: ".", "?", "!", CR, LF, and the lead
// bytes of "…", the CJK enders and the like (E2, E3, EF). They come every
// few dozen bytes, so the mask of a block of 64 is kept for the next ones.
class StopFinder
{
public:
    void reset() { m_block = -1; }

    // The first stop at or after from, or n.
    Q_ALWAYS_INLINE qsizetype next(const char *s, qsizetype from, qsizetype n)
    {
        for (;;) {
            if (m_block >= 0 && from >= m_block && from < m_block + 64) {
                const quint64 bits = m_bits & (~quint64(0) << (from - m_block));
                if (bits != 0)
                    return m_block + std::countr_zero(bits);
                from = m_block + 64;
            }
            if (from + 64 > n) {
                m_block = -1;
                while (from < n && !isStop(uchar(s[from])))
                    ++from;
                return from;
            }
            m_block = from;
#if defined(QUILLFEN_SMART_STOPS_AVX2)
            m_bits = m_avx2 ? stopsInAvx2(s + from) : stopsIn(s + from);
#else
            m_bits = stopsIn(s + from);
#endif
        }
    }

private:
    static quint64 stopsIn(const char *p)
    {
#if defined(__SSE2__)
        quint64 bits = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k));
            const __m128i ascii =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('.')),
                                          _mm_cmpeq_epi8(b, _mm_set1_epi8('?'))),
                             _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('!')),
                                          _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('\n')),
                                                       _mm_cmpeq_epi8(b, _mm_set1_epi8('\r')))));
            // E2 and E3 at once, and EF
            const __m128i wide =
                _mm_or_si128(_mm_cmpeq_epi8(_mm_and_si128(b, _mm_set1_epi8(char(0xFE))),
                                            _mm_set1_epi8(char(0xE2))),
                             _mm_cmpeq_epi8(b, _mm_set1_epi8(char(0xEF))));
            bits |= quint64(unsigned(_mm_movemask_epi8(_mm_or_si128(ascii, wide)))) << (16 * k);
        }
        return bits;
#else
        quint64 bits = 0;
        for (int k = 0; k < 64; ++k)
            bits |= quint64(isStop(uchar(p[k]))) << k;
        return bits;
#endif
    }

    qsizetype m_block = -1;
    quint64 m_bits = 0;
#if defined(QUILLFEN_SMART_STOPS_AVX2)
    bool m_avx2 = hasAvx2Stops();
#endif
};

} // namespace Quillfen::SmartText
