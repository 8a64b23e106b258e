#pragma once

#include "ExtractionChoices.h"
#include "Utf8TermSearch.h"

#include <QByteArray>
#include <QByteArrayView>

namespace Quillfen {

// LineFilter applied to UTF-8 rows, with the rows LineFilter::accepts
// passes for the same text (see Utf8TermSet).
class Utf8LineFilter
{
public:
    explicit Utf8LineFilter(const LineFilter &filter)
        : m_kind(filter.kind()), m_terms(filter.termSet()), m_excluded(filter.excludedSet()),
          m_invalid(filter.problem().has_value())
    {}

    // True when the filter can be applied to UTF-8: no literal term holds
    // an unpaired surrogate, which would match half of a pair in UTF-16.
    static bool canFilter(const LineFilter &filter);

    bool acceptsAll() const { return m_kind == LineFilterKind::All; }

    // As LineFilter::accepts for a row that is not empty.
    bool accepts(QByteArrayView item) const
    {
        switch (m_kind) {
        case LineFilterKind::All:
            return true;
        case LineFilterKind::Containing:
            return !m_invalid && m_terms.foundIn(item) && !m_excluded.foundIn(item);
        case LineFilterKind::NotContaining:
            return !m_invalid && !m_terms.foundIn(item);
        case LineFilterKind::None:
            break;
        }
        return false;
    }

private:
    LineFilterKind m_kind;
    Utf8TermSet m_terms;
    Utf8TermSet m_excluded;
    bool m_invalid;
};

// True when text holds half of a surrogate pair without the other half,
// which no UTF-8 can hold.
bool holdsUnpairedSurrogate(QStringView text);

inline bool isLonePeriod(QByteArrayView bytes)
{
    return bytes.size() == 1 && bytes.front() == '.';
}

} // namespace Quillfen
