#pragma once

#include "AbbreviationMatcher.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Quillfen {

// Finds in valid UTF-8 the occurrences that AbbreviationShield protects in
// the decoded text: the same folding, the same choice among overlapping
// occurrences, positions and lengths in bytes. Each entry is looked for
// where one ASCII character of its own stands that no other character folds
// to ("." in the usual entries), so a byte search finds every place where
// it could begin.
class Utf8AbbreviationMatcher
{
public:
    // Null when some entry cannot be looked for that way: it holds no such
    // character, or an unpaired surrogate, which no UTF-8 can hold.
    static std::unique_ptr<const Utf8AbbreviationMatcher> create(const QStringList &entries);

    std::vector<ProtectedSpan> find(QByteArrayView text) const;
    // Whether an occurrence may hold a CR or an LF: only where an entry
    // does, as nothing else folds to them.
    bool findsLineBreaks() const { return m_findsLineBreaks; }

private:
    Utf8AbbreviationMatcher() = default;

    // An entry around its anchor: the folded code points after it, and
    // those before it from the nearest on.
    struct Entry
    {
        std::u32string after;
        std::u32string beforeReversed;
    };
    struct Probe
    {
        int entry;
        char32_t before; // the folded code point before the anchor, if any
        bool needsBefore;
    };
    static constexpr size_t BucketCount = 32;
    using Buckets = std::array<std::vector<Probe>, BucketCount>;

    void probe(const char *s, qsizetype n, qsizetype anchor, const Buckets &buckets,
               std::vector<std::vector<ProtectedSpan>> &hits) const;

    std::vector<Entry> m_entries;
    std::array<int, 128> m_bucketsOfByte{}; // 1 + index into m_buckets, or 0
    std::vector<Buckets> m_buckets;
    std::vector<char> m_anchorBytes;
    bool m_findsLineBreaks = false;
};

} // namespace Quillfen
