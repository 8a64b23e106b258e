#pragma once

#include <QtGlobal>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quillfen {

#if defined(__SSE2__)
namespace UnitScanDetail {

template <char16_t... Units> inline __m128i matches(const char16_t *at)
{
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
    __m128i hits = _mm_setzero_si128();
    ((hits = _mm_or_si128(hits, _mm_cmpeq_epi16(block, _mm_set1_epi16(short(Units))))), ...);
    return hits;
}

inline qsizetype firstIn(int mask)
{
    return qsizetype(__builtin_ctz(unsigned(mask)) >> 1);
}

} // namespace UnitScanDetail
#endif

// The first position in [from, to) of s that holds one of Units, or to.
// Sixteen units at a time where the processor allows: texts are long and
// the units sought are rare.
template <char16_t... Units> qsizetype findFirstOf(const char16_t *s, qsizetype from, qsizetype to)
{
#if defined(__SSE2__)
    using namespace UnitScanDetail;
    for (; from + 16 <= to; from += 16) {
        const __m128i low = matches<Units...>(s + from);
        const __m128i high = matches<Units...>(s + from + 8);
        if (_mm_movemask_epi8(_mm_or_si128(low, high)) != 0) {
            if (const int mask = _mm_movemask_epi8(low))
                return from + firstIn(mask);
            return from + 8 + firstIn(_mm_movemask_epi8(high));
        }
    }
    if (from + 8 <= to) {
        if (const int mask = _mm_movemask_epi8(matches<Units...>(s + from)))
            return from + firstIn(mask);
        from += 8;
    }
#endif
    for (; from < to; ++from) {
        const char16_t unit = s[from];
        if (((unit == Units) || ...))
            return from;
    }
    return to;
}

// Copies s[from, stop) to out, where stop is the first position in
// [from, to) that holds one of Units (or to), and returns stop. Scans and
// copies in one pass, sixteen units at a time, so it may write up to 15
// units past out + (stop - from), never past out + (to - from).
template <char16_t... Units>
qsizetype copyUntilAnyOf(const char16_t *s, qsizetype from, qsizetype to, char16_t *out)
{
    const qsizetype start = from;
#if defined(__SSE2__)
    using namespace UnitScanDetail;
    for (; from + 16 <= to; from += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + from));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + from + 8));
        char16_t *at = out + (from - start);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at), low);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(at + 8), high);
        const __m128i lowHits = matches<Units...>(s + from);
        const __m128i highHits = matches<Units...>(s + from + 8);
        if (_mm_movemask_epi8(_mm_or_si128(lowHits, highHits)) != 0) {
            if (const int mask = _mm_movemask_epi8(lowHits))
                return from + firstIn(mask);
            return from + 8 + firstIn(_mm_movemask_epi8(highHits));
        }
    }
#endif
    for (; from < to; ++from) {
        const char16_t unit = s[from];
        if (((unit == Units) || ...))
            return from;
        out[from - start] = unit;
    }
    return to;
}

// The first position in [from, to) of s that holds unit, or to.
inline qsizetype findUnit(const char16_t *s, qsizetype from, qsizetype to, char16_t unit)
{
#if defined(__SSE2__)
    using namespace UnitScanDetail;
    const __m128i wanted = _mm_set1_epi16(short(unit));
    auto matchesAt = [&](qsizetype at) {
        return _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(s + at)), wanted);
    };
    for (; from + 16 <= to; from += 16) {
        const __m128i low = matchesAt(from);
        const __m128i high = matchesAt(from + 8);
        if (_mm_movemask_epi8(_mm_or_si128(low, high)) != 0) {
            if (const int mask = _mm_movemask_epi8(low))
                return from + firstIn(mask);
            return from + 8 + firstIn(_mm_movemask_epi8(high));
        }
    }
    if (from + 8 <= to) {
        if (const int mask = _mm_movemask_epi8(matchesAt(from)))
            return from + firstIn(mask);
        from += 8;
    }
#endif
    for (; from < to; ++from) {
        if (s[from] == unit)
            return from;
    }
    return to;
}

// Calls visit with every position of unit in [0, n) of s, in order. Builds
// a mask of 32 units at a time and walks its bits: for units that occur
// every few dozen units, cheaper than a search per occurrence.
template <typename Visit>
void forEachPositionOf(const char16_t *s, qsizetype n, char16_t unit, Visit &&visit)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi16(short(unit));
    auto hits16 = [&](qsizetype at) {
        const __m128i low =
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(s + at)), wanted);
        const __m128i high =
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(s + at + 8)), wanted);
        return quint32(unsigned(_mm_movemask_epi8(_mm_packs_epi16(low, high))));
    };
    for (; i + 32 <= n; i += 32) {
        for (quint32 bits = hits16(i) | (hits16(i + 16) << 16); bits != 0; bits &= bits - 1)
            visit(i + qsizetype(__builtin_ctz(bits)));
    }
#endif
    for (; i < n; ++i) {
        if (s[i] == unit)
            visit(i);
    }
}

} // namespace Quillfen
