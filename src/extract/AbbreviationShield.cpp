#include "AbbreviationMatcher.h"
#include "CaseFolding.h"
#include "UnitScan.h"
#include "Utf8AbbreviationMatcher.h"

#include <algorithm>
#include <optional>

namespace Quillfen {

namespace Placeholder {

qsizetype length(int entry)
{
    qsizetype digits = 1;
    for (unsigned rest = unsigned(entry) >> 4; rest != 0; rest >>= 4)
        ++digits;
    return digits + 2;
}

qsizetype write(int entry, char16_t *out)
{
    const qsizetype total = length(entry);
    out[0] = Marker;
    unsigned rest = unsigned(entry);
    for (qsizetype i = total - 2; i >= 1; --i, rest >>= 4)
        out[i] = char16_t(DigitBase + (rest & 0xF));
    out[total - 1] = Terminator;
    return total;
}

} // namespace Placeholder

namespace {

constexpr qsizetype UnitCount = 0x10000;

// The unit within an entry where it is looked for: its first ".", else its
// first "?", else its first unit. Periods are rare in running text.
qsizetype anchorOf(const QString &entry)
{
    qsizetype anchor = entry.indexOf(u'.');
    if (anchor < 0)
        anchor = entry.indexOf(u'?');
    return anchor < 0 ? 0 : anchor;
}

class TakenMap
{
public:
    explicit TakenMap(qsizetype size) : m_words(size_t(size / 64 + 1), 0) {}

    bool anyIn(qsizetype pos, qsizetype length) const
    {
        for (qsizetype i = pos; i < pos + length; ++i) {
            if (m_words[size_t(i / 64)] & (quint64(1) << (i % 64)))
                return true;
        }
        return false;
    }
    void take(qsizetype pos, qsizetype length)
    {
        for (qsizetype i = pos; i < pos + length; ++i)
            m_words[size_t(i / 64)] |= quint64(1) << (i % 64);
    }

private:
    std::vector<quint64> m_words;
};

} // namespace

std::vector<ProtectedSpan> takeProtected(const std::vector<std::vector<ProtectedSpan>> &occurrences,
                                         qsizetype textLength)
{
    std::vector<ProtectedSpan> spans;
    const auto entriesHit = std::count_if(occurrences.begin(), occurrences.end(),
                                          [](const auto &h) { return !h.empty(); });
    if (entriesHit == 0)
        return spans;
    std::optional<TakenMap> taken;
    if (entriesHit > 1)
        taken.emplace(textLength);
    std::vector<size_t> runStarts;
    for (const std::vector<ProtectedSpan> &ofEntry : occurrences) {
        qsizetype end = 0;
        if (!ofEntry.empty())
            runStarts.push_back(spans.size());
        for (const ProtectedSpan &hit : ofEntry) {
            if (hit.pos < end || (taken && taken->anyIn(hit.pos, hit.length)))
                continue;
            spans.push_back(hit);
            end = hit.pos + hit.length;
            if (taken)
                taken->take(hit.pos, hit.length);
        }
    }
    // Each entry's spans are in order already: merge the runs pairwise.
    const auto byPosition = [](const ProtectedSpan &a, const ProtectedSpan &b) {
        return a.pos < b.pos;
    };
    while (runStarts.size() > 1) {
        std::vector<size_t> merged;
        for (size_t r = 0; r < runStarts.size(); r += 2) {
            merged.push_back(runStarts[r]);
            if (r + 1 == runStarts.size())
                break;
            const size_t runEnd = r + 2 < runStarts.size() ? runStarts[r + 2] : spans.size();
            std::inplace_merge(spans.begin() + qsizetype(runStarts[r]),
                               spans.begin() + qsizetype(runStarts[r + 1]),
                               spans.begin() + qsizetype(runEnd), byPosition);
        }
        runStarts.swap(merged);
    }
    return spans;
}

AbbreviationShield::Matcher::Matcher(const QStringList &entries)
{
    // Probe lists keyed by the folded anchor unit; one shared list for
    // anchors that are surrogates, which may stand on any surrogate.
    std::vector<quint32> listOfFold(UnitCount, 0);
    quint32 surrogateList = 0;
    std::vector<std::vector<Probe>> probeLists;
    m_folded.reserve(size_t(entries.size()));
    for (int k = 0; k < int(entries.size()); ++k) {
        const QString &entry = entries[k];
        m_folded.push_back(foldText(entry));
        m_longest = std::max(m_longest, entry.size());
        if (entry.isEmpty())
            continue;
        const std::u16string &folded = m_folded.back();
        const qsizetype anchor = anchorOf(entry);
        const char16_t unit = folded[size_t(anchor)];
        const int before = anchor > 0 && !QChar::isSurrogate(folded[size_t(anchor - 1)])
                               ? int(folded[size_t(anchor - 1)])
                               : -1;
        quint32 &slot = QChar::isSurrogate(unit) ? surrogateList : listOfFold[unit];
        if (slot == 0) {
            probeLists.emplace_back();
            slot = quint32(probeLists.size());
        }
        probeLists[slot - 1].push_back({k, anchor, before});
    }
    if (probeLists.empty())
        return;

    m_probeLists.resize(probeLists.size());
    for (size_t list = 0; list < probeLists.size(); ++list) {
        for (const Probe &probe : probeLists[list]) {
            auto &buckets = m_probeLists[list].byBefore;
            if (probe.before >= 0) {
                buckets[size_t(probe.before % ProbeList::BucketCount)].push_back(probe);
            } else {
                for (auto &bucket : buckets)
                    bucket.push_back(probe);
            }
        }
    }

    m_listOfUnit.assign(UnitCount, 0);
    const char16_t *folds = bmpFolds();
    int marked = 0;
    int lastMarked = -1;
    for (char32_t unit = 0; unit < char32_t(UnitCount); ++unit) {
        const quint32 list = QChar::isSurrogate(unit) ? surrogateList : listOfFold[folds[unit]];
        m_listOfUnit[unit] = list;
        if (list != 0) {
            ++marked;
            lastMarked = int(unit);
        }
    }
    if (marked == 1)
        m_onlyAnchorUnit = lastMarked;
}

void AbbreviationShield::Matcher::collectCandidates(
    const char16_t *s, qsizetype n, qsizetype anchor, const ProbeList &probes,
    std::vector<std::vector<ProtectedSpan>> &hits) const
{
    // Most candidates fail on the unit before the anchor: test it first.
    // At the start of the text only probes that need no unit before can
    // match, and those stand in every bucket.
    const int before = anchor > 0 ? int(foldUnit(s[anchor - 1])) : -1;
    const auto &bucket = probes.byBefore[size_t(std::max(before, 0) % ProbeList::BucketCount)];
    for (const Probe &probe : bucket) {
        if (probe.before >= 0 && probe.before != before)
            continue;
        const std::u16string &folded = m_folded[size_t(probe.entry)];
        const qsizetype pos = anchor - probe.anchorOffset;
        if (pos < 0 || pos + qsizetype(folded.size()) > n)
            continue;
        if (foldedEquals(s + pos, folded))
            hits[size_t(probe.entry)].push_back({pos, qsizetype(folded.size()), probe.entry});
    }
}

bool AbbreviationShield::Matcher::anyOccurrenceCovers(const char16_t *s, qsizetype n,
                                                      qsizetype index) const
{
    for (const std::u16string &folded : m_folded) {
        const qsizetype length = qsizetype(folded.size());
        if (length == 0)
            continue;
        for (qsizetype pos = std::max<qsizetype>(0, index - length + 1); pos <= index; ++pos) {
            if (pos + length <= n && foldedEquals(s + pos, folded))
                return true;
        }
    }
    return false;
}

std::vector<ProtectedSpan> AbbreviationShield::Matcher::find(QStringView text) const
{
    if (m_probeLists.empty() || text.isEmpty())
        return {};
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();

    // Every occurrence of every entry, each entry's list by position.
    std::vector<std::vector<ProtectedSpan>> hits(m_folded.size());
    if (m_onlyAnchorUnit >= 0) {
        const char16_t unit = char16_t(m_onlyAnchorUnit);
        const ProbeList &probes = m_probeLists[m_listOfUnit[unit] - 1];
        forEachPositionOf(s, n, unit,
                          [&](qsizetype t) { collectCandidates(s, n, t, probes, hits); });
    } else {
        for (qsizetype t = 0; t < n; ++t) {
            if (const quint32 list = m_listOfUnit[s[t]])
                collectCandidates(s, n, t, m_probeLists[list - 1], hits);
        }
    }

    return takeProtected(hits, n);
}

AbbreviationShield::AbbreviationShield(QStringList entries)
    : m_entries(std::move(entries)), m_matcher(std::make_shared<const Matcher>(m_entries)),
      m_utf8Matcher(Utf8AbbreviationMatcher::create(m_entries))
{}

bool AbbreviationShield::protectsNothing() const
{
    return !m_matcher || m_matcher->protectsNothing();
}

namespace {

void appendEscaped(QStringView part, QString &out)
{
    qsizetype from = 0;
    for (qsizetype m = part.indexOf(QChar(Placeholder::Marker)); m >= 0;
         m = part.indexOf(QChar(Placeholder::Marker), from)) {
        out.append(part.mid(from, m - from));
        out.append(QChar(Placeholder::Marker));
        out.append(QChar(Placeholder::Escape));
        from = m + 1;
    }
    out.append(part.mid(from));
}

} // namespace

QString AbbreviationShield::shield(QStringView text, ShieldedOccurrences &occurrences) const
{
    const std::vector<ProtectedSpan> spans =
        m_matcher ? m_matcher->find(text) : std::vector<ProtectedSpan>{};
    QString out;
    out.reserve(text.size() + qsizetype(spans.size()) * Placeholder::MaxLength);
    qsizetype pos = 0;
    for (const ProtectedSpan &span : spans) {
        appendEscaped(text.mid(pos, span.pos - pos), out);
        char16_t placeholder[Placeholder::MaxLength];
        out.append(
            QStringView(placeholder, Placeholder::write(int(occurrences.size()), placeholder)));
        occurrences.add(text.sliced(span.pos, span.length));
        pos = span.pos + span.length;
    }
    appendEscaped(text.mid(pos), out);
    return out;
}

void AbbreviationShield::restore(QStringView item, const ShieldedOccurrences &occurrences,
                                 QString &out)
{
    using namespace Placeholder;
    const char16_t *s = item.utf16();
    const qsizetype n = item.size();
    qsizetype from = 0;
    for (qsizetype m = findUnit(s, 0, n, Marker); m < n; m = findUnit(s, from, n, Marker)) {
        out.append(item.mid(from, m - from));
        const qsizetype first = m + 1;
        if (first < n && s[first] == Escape) {
            out.append(QChar(Marker));
            from = first + 1;
            continue;
        }
        quint64 entry = 0;
        qsizetype d = first;
        while (d < n && d - first < MaxLength && s[d] >= DigitBase && s[d] < DigitBase + 16) {
            entry = entry * 16 + (s[d] - DigitBase);
            ++d;
        }
        if (d > first && d < n && s[d] == Terminator && entry < quint64(occurrences.size())) {
            out.append(occurrences.text(qsizetype(entry)));
            from = d + 1;
        } else {
            // Not one of ours: kept as it stands.
            out.append(QChar(Marker));
            from = first;
        }
    }
    out.append(item.mid(from));
}

bool AbbreviationShield::holdsPlaceholder(QStringView item)
{
    return item.contains(QChar(Placeholder::Marker));
}

} // namespace Quillfen
