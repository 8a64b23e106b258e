#pragma once

// Internal to the extraction library: how protected occurrences are found
// and how their placeholders are written.

#include "Segmentation.h"

#include <QStringView>
#include <array>
#include <string>
#include <vector>

namespace Quillfen {

// A placeholder is Marker, the entry number in base 16 written with the
// private-use units DigitBase.., then Terminator. A Marker that the document
// itself holds is written as Marker Escape. Neither form holds ".", "?" or
// blanks, so both pass every cut and trim untouched.
namespace Placeholder {
constexpr char16_t Marker = u'\uFDD0';
constexpr char16_t Terminator = u'\uFDD1';
constexpr char16_t Escape = u'\uFDD2';
constexpr char16_t DigitBase = u'\uE000';
constexpr qsizetype MaxLength = 2 + 2 * qsizetype(sizeof(int));

qsizetype length(int entry);
// Writes the placeholder of entry at out; returns its length.
qsizetype write(int entry, char16_t *out);
} // namespace Placeholder

// One occurrence that an entry protects: text positions [pos, pos + length).
struct ProtectedSpan
{
    qsizetype pos;
    qsizetype length;
    int entry;
};

// Of every occurrence of every entry (entry k's in occurrences[k], by
// position), the protected ones, by position: entry k takes, left to right,
// the occurrences that overlap neither one taken by an earlier entry nor its
// own previous one, which is what replacing the entries one after another
// with opaque placeholders would protect.
std::vector<ProtectedSpan> takeProtected(const std::vector<std::vector<ProtectedSpan>> &occurrences,
                                         qsizetype textLength);

struct AbbreviationShield::Matcher
{
    explicit Matcher(const QStringList &entries);

    // The protected occurrences of text, by position (see takeProtected).
    std::vector<ProtectedSpan> find(QStringView text) const;

    bool protectsNothing() const { return m_probeLists.empty(); }

    // True when an occurrence of some entry, protected or not, takes in
    // position index of the n units at s. Reads up to longestEntry() - 1
    // units past index.
    bool anyOccurrenceCovers(const char16_t *s, qsizetype n, qsizetype index) const;
    qsizetype longestEntry() const { return m_longest; }

private:
    // An entry is looked for only where its anchor unit could stand.
    struct Probe
    {
        int entry;
        qsizetype anchorOffset;
        int before; // the folded unit before the anchor, or -1 when not known
    };

    // The probes of one anchor, bucketed by the unit before the anchor, so
    // that a "." after an ordinary word tries few entries or none.
    struct ProbeList
    {
        static constexpr int BucketCount = 32;
        std::array<std::vector<Probe>, BucketCount> byBefore;
    };

    void collectCandidates(const char16_t *s, qsizetype n, qsizetype anchor,
                           const ProbeList &probes,
                           std::vector<std::vector<ProtectedSpan>> &hits) const;

    std::vector<std::u16string> m_folded;
    qsizetype m_longest = 0;
    std::vector<ProbeList> m_probeLists;
    // For every UTF-16 unit, 1 + the index of the probes to try there, or 0.
    std::vector<quint32> m_listOfUnit;
    // Set when a single unit is an anchor: found by a plain search.
    int m_onlyAnchorUnit = -1;
};

// Lets the sentence cut find the protected occurrences itself and write the
// pieces in one pass, without building the shielded text first.
struct ShieldAccess
{
    static const AbbreviationShield::Matcher *matcher(const AbbreviationShield &shield)
    {
        return shield.m_matcher.get();
    }
};

} // namespace Quillfen
