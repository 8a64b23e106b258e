#pragma once

#include "ExtractionChoices.h"

#include <QByteArray>
#include <QByteArrayView>

namespace Quillfen {

// LineFilter applied to UTF-8 rows. In valid UTF-8 a needle that is itself
// whole characters matches bytes exactly where its text matches the text.
class Utf8LineFilter
{
public:
    explicit Utf8LineFilter(const LineFilter &filter)
        : m_kind(filter.kind), m_needle(filter.text.toUtf8())
    {}

    // True when the filter can be applied to UTF-8: its text holds no
    // unpaired surrogate, which would match half of a pair in UTF-16.
    static bool canFilter(const LineFilter &filter);

    // As LineFilter::accepts for a row that is not empty.
    bool accepts(QByteArrayView item) const
    {
        switch (m_kind) {
        case LineFilterKind::All:
            return true;
        case LineFilterKind::Containing:
            return item.contains(m_needle);
        case LineFilterKind::NotContaining:
            return !item.contains(m_needle);
        case LineFilterKind::None:
            break;
        }
        return false;
    }

private:
    LineFilterKind m_kind;
    QByteArray m_needle;
};

// True when text holds half of a surrogate pair without the other half,
// which no UTF-8 can hold.
bool holdsUnpairedSurrogate(QStringView text);

inline bool isLonePeriod(QByteArrayView bytes)
{
    return bytes.size() == 1 && bytes.front() == '.';
}

} // namespace Quillfen
