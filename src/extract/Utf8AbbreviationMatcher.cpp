#include "Utf8AbbreviationMatcher.h"

#include "CaseFolding.h"
#include "Utf8LineFilter.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quillfen {

namespace {

// The ASCII characters that fold to themselves and that no other character
// folds to: a byte search for one finds every character that matches it.
const std::array<bool, 128> &selfOnlyAscii()
{
    static const std::array<bool, 128> table = [] {
        std::array<bool, 128> only{};
        only.fill(true);
        for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
            if (QChar::isSurrogate(cp))
                continue;
            const char32_t folded = foldCodePoint(cp);
            if (folded == cp)
                continue;
            if (folded < 128)
                only[folded] = false;
            if (cp < 128)
                only[cp] = false;
        }
        return only;
    }();
    return table;
}

inline char32_t foldedAt(const unsigned char *s, qsizetype &i)
{
    const unsigned char lead = s[i];
    if (lead < 0x80) {
        ++i;
        return lead >= 'A' && lead <= 'Z' ? char32_t(lead + ('a' - 'A')) : char32_t(lead);
    }
    char32_t cp;
    if (lead < 0xE0) {
        cp = char32_t(lead & 0x1F) << 6 | (s[i + 1] & 0x3F);
        i += 2;
    } else if (lead < 0xF0) {
        cp = char32_t(lead & 0x0F) << 12 | char32_t(s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F);
        i += 3;
    } else {
        cp = char32_t(lead & 0x07) << 18 | char32_t(s[i + 1] & 0x3F) << 12 |
             char32_t(s[i + 2] & 0x3F) << 6 | (s[i + 3] & 0x3F);
        i += 4;
        return foldCodePoint(cp);
    }
    return bmpFolds()[cp];
}

// The start of the character that ends just before position i.
inline qsizetype previousStart(const unsigned char *s, qsizetype i)
{
    do
        --i;
    while ((s[i] & 0xC0) == 0x80);
    return i;
}

// Folded code points of a text known to hold no unpaired surrogate.
std::u32string foldedCodePoints(const QString &text)
{
    std::u32string folded;
    for (const char32_t cp : text.toUcs4())
        folded.push_back(foldCodePoint(cp));
    return folded;
}

// The code point index of the anchor: the first ".", else the first "?",
// else the first character a byte search can find; -1 when there is none.
qsizetype anchorOf(const std::u32string &folded)
{
    for (const char32_t wanted : {U'.', U'?'}) {
        if (const size_t at = folded.find(wanted); at != std::u32string::npos)
            return qsizetype(at);
    }
    for (size_t at = 0; at < folded.size(); ++at) {
        if (folded[at] < 128 && selfOnlyAscii()[folded[at]])
            return qsizetype(at);
    }
    return -1;
}

// Calls visit with every position in [0, n) of one of bytes, in order,
// from a mask of 64 bytes at a time: a period comes every few dozen bytes.
template <typename Visit>
void forEachByteOf(const char *s, qsizetype n, const std::vector<char> &bytes, Visit &&visit)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    auto hits16 = [&](const char *at) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        __m128i hits = _mm_cmpeq_epi8(block, _mm_set1_epi8(bytes.front()));
        for (size_t b = 1; b < bytes.size(); ++b)
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, _mm_set1_epi8(bytes[b])));
        return quint64(unsigned(_mm_movemask_epi8(hits)));
    };
    for (; i + 64 <= n; i += 64) {
        quint64 bits = hits16(s + i) | hits16(s + i + 16) << 16 | hits16(s + i + 32) << 32 |
                       hits16(s + i + 48) << 48;
        for (; bits != 0; bits &= bits - 1)
            visit(i + std::countr_zero(bits));
    }
#endif
    for (; i < n; ++i) {
        if (std::memchr(bytes.data(), s[i], bytes.size()))
            visit(i);
    }
}

} // namespace

std::unique_ptr<const Utf8AbbreviationMatcher>
Utf8AbbreviationMatcher::create(const QStringList &entries)
{
    std::unique_ptr<Utf8AbbreviationMatcher> matcher(new Utf8AbbreviationMatcher);
    std::array<std::vector<Probe>, 128> probesOfByte;
    for (int k = 0; k < int(entries.size()); ++k) {
        const QString &text = entries[k];
        if (holdsUnpairedSurrogate(text))
            return nullptr;
        if (text.contains(u'\r') || text.contains(u'\n'))
            matcher->m_findsLineBreaks = true;
        const std::u32string folded = foldedCodePoints(text);
        Entry entry;
        if (!folded.empty()) {
            const qsizetype anchor = anchorOf(folded);
            if (anchor < 0)
                return nullptr;
            entry.after = folded.substr(size_t(anchor) + 1);
            entry.beforeReversed.assign(folded.rbegin() + qsizetype(folded.size()) - anchor,
                                        folded.rend());
            const bool needsBefore = anchor > 0;
            probesOfByte[folded[size_t(anchor)]].push_back(
                {k, needsBefore ? folded[size_t(anchor) - 1] : U'\0', needsBefore});
        }
        matcher->m_entries.push_back(std::move(entry));
    }
    for (size_t byte = 0; byte < probesOfByte.size(); ++byte) {
        if (probesOfByte[byte].empty())
            continue;
        Buckets buckets;
        for (const Probe &probe : probesOfByte[byte]) {
            if (probe.needsBefore) {
                buckets[probe.before % BucketCount].push_back(probe);
            } else {
                for (auto &bucket : buckets)
                    bucket.push_back(probe);
            }
        }
        matcher->m_buckets.push_back(std::move(buckets));
        matcher->m_bucketsOfByte[byte] = int(matcher->m_buckets.size());
        matcher->m_anchorBytes.push_back(char(byte));
    }
    return matcher;
}

void Utf8AbbreviationMatcher::probe(const char *text, qsizetype n, qsizetype anchor,
                                    const Buckets &buckets,
                                    std::vector<std::vector<ProtectedSpan>> &hits) const
{
    const auto *s = reinterpret_cast<const unsigned char *>(text);
    // Most candidates fail on the character before the anchor: fold it once.
    char32_t before = U'\0';
    qsizetype beforeStart = anchor;
    if (anchor > 0) {
        beforeStart = previousStart(s, anchor);
        qsizetype at = beforeStart;
        before = foldedAt(s, at);
    }
    for (const Probe &probe : buckets[before % BucketCount]) {
        if (probe.needsBefore && (anchor == 0 || probe.before != before))
            continue;
        const Entry &entry = m_entries[size_t(probe.entry)];
        qsizetype end = anchor + 1;
        bool matches = true;
        for (const char32_t wanted : entry.after) {
            if (end >= n || foldedAt(s, end) != wanted) {
                matches = false;
                break;
            }
        }
        if (!matches)
            continue;
        qsizetype start = anchor;
        if (probe.needsBefore) {
            start = beforeStart; // its first code point matched above
            for (size_t b = 1; b < entry.beforeReversed.size(); ++b) {
                if (start == 0) {
                    matches = false;
                    break;
                }
                start = previousStart(s, start);
                qsizetype at = start;
                if (foldedAt(s, at) != entry.beforeReversed[b]) {
                    matches = false;
                    break;
                }
            }
        }
        if (matches)
            hits[size_t(probe.entry)].push_back({start, end - start, probe.entry});
    }
}

std::vector<ProtectedSpan> Utf8AbbreviationMatcher::find(QByteArrayView text) const
{
    if (m_buckets.empty() || text.isEmpty())
        return {};
    const char *s = text.data();
    const qsizetype n = text.size();
    std::vector<std::vector<ProtectedSpan>> hits(m_entries.size());
    forEachByteOf(s, n, m_anchorBytes, [&](qsizetype anchor) {
        probe(s, n, anchor, m_buckets[size_t(m_bucketsOfByte[uchar(s[anchor])] - 1)], hits);
    });
    return takeProtected(hits, n);
}

} // namespace Quillfen
