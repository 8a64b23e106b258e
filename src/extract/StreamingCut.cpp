#include "StreamingCut.h"

#include "AbbreviationMatcher.h"

#include <algorithm>

namespace Quillfen {

StreamingCut::StreamingCut(ExtractMode mode, const AbbreviationShield &shield,
                           const LineFilter &filter, RowSink &sink)
    : m_mode(mode), m_shield(shield), m_filter(filter), m_sink(sink)
{
    if (mode == ExtractMode::Sentence) {
        if (const auto *matcher = ShieldAccess::matcher(shield))
            m_lookahead = std::max<qsizetype>(1, matcher->longestEntry() - 1);
    }
}

// Cutting before position at gives the same pieces as not cutting.
//
// Paragraph mode: at ends a run of two or more line ends (CR LF or a lone
// LF) and the unit at "at" is neither CR nor LF, so the run can grow no
// further and no line end can start or pair across the cut. The first part
// then ends in an empty piece, which gives no row.
//
// Sentence mode: the unit before "at" is a "." and no occurrence of any
// entry takes it in. Then every occurrence lies wholly on one side, each
// side protects what it would in the whole text, and the "." ends a piece
// in both. The first part then ends in a lone ".", which gives no row.
bool StreamingCut::isSafeCut(qsizetype at) const
{
    const char16_t *s = QStringView(m_pending).utf16();
    const qsizetype n = m_pending.size();
    if (at < 1 || at + m_lookahead > n)
        return false;
    if (m_mode == ExtractMode::Paragraph) {
        if (s[at - 1] != u'\n' || s[at] == u'\r' || s[at] == u'\n')
            return false;
        const qsizetype lineEnd = at >= 2 && s[at - 2] == u'\r' ? at - 2 : at - 1;
        return lineEnd >= 1 && s[lineEnd - 1] == u'\n';
    }
    if (s[at - 1] != u'.')
        return false;
    const auto *matcher = ShieldAccess::matcher(m_shield);
    return !matcher || !matcher->anyOccurrenceCovers(s, n, at - 1);
}

qsizetype StreamingCut::lastSafeCut() const
{
    const char16_t stop = m_mode == ExtractMode::Paragraph ? u'\n' : u'.';
    const QStringView pending(m_pending);
    // Units before this were searched by an earlier feed: searching them
    // again would make a text without cut points quadratic in its length.
    const qsizetype searchFrom = m_testedBelow - 1;
    for (qsizetype at = m_pending.size() - m_lookahead; at >= m_testedBelow; --at) {
        // Jump to the next unit that can end a cut.
        const qsizetype found =
            pending.sliced(searchFrom, at - searchFrom).lastIndexOf(QChar(stop));
        if (found < 0)
            break;
        const qsizetype end = searchFrom + found;
        at = end + 1;
        if (isSafeCut(at))
            return at;
    }
    return -1;
}

void StreamingCut::feed(QStringView text)
{
    if (m_mode == ExtractMode::None || text.isEmpty())
        return;
    m_pending.append(text);
    const qsizetype cut = lastSafeCut();
    if (cut < 0) {
        m_testedBelow = std::max<qsizetype>(1, m_pending.size() - m_lookahead + 1);
        return;
    }
    cutAndHandle(m_pending.first(cut));
    m_pending.remove(0, cut);
    m_testedBelow = std::max<qsizetype>(1, m_pending.size() - m_lookahead + 1);
}

void StreamingCut::finish()
{
    if (!m_pending.isEmpty())
        cutAndHandle(m_pending);
    m_pending.clear();
    m_testedBelow = 1;
}

void StreamingCut::cutAndHandle(const QString &text)
{
    const PieceList pieces = cutText(text, m_mode, m_shield);
    const ShieldedOccurrences *restoreWith = pieces.shielded ? &pieces.occurrences : nullptr;
    for (qsizetype i = 0; i < pieces.size(); ++i)
        m_handler.handle(pieces.piece(i), m_mode == ExtractMode::Paragraph, restoreWith, m_filter,
                         m_sink, pieces.isPlain(i));
}

} // namespace Quillfen
