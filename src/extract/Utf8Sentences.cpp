#include "Utf8Sentences.h"

#include "Utf8AbbreviationMatcher.h"

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quillfen {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Calls visit with every position of ".", CR, LF and "?" in [0, n), in
// order, from a mask of 64 bytes at a time: these stops come every few
// dozen bytes, too often for a search per stop.
template <typename Visit> void forEachStop(const char *s, qsizetype n, Visit &&visit)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i period = _mm_set1_epi8('.');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i question = _mm_set1_epi8('?');
    for (; i + 64 <= n; i += 64) {
        quint64 bits = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i block =
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 16 * k));
            const __m128i hits = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(block, period), _mm_cmpeq_epi8(block, cr)),
                _mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, question)));
            bits |= quint64(unsigned(_mm_movemask_epi8(hits))) << (16 * k);
        }
        for (; bits != 0; bits &= bits - 1)
            visit(i + std::countr_zero(bits));
    }
#endif
    for (; i < n; ++i) {
        const char c = s[i];
        if (c == '.' || c == '\r' || c == '\n' || c == '?')
            visit(i);
    }
}

} // namespace

Utf8Sentences::Utf8Sentences(const Utf8AbbreviationMatcher *matcher, const LineFilter &filter)
    : m_matcher(matcher), m_filter(filter)
{}

// As writeSentences: cut at every "." outside a protected occurrence; a run
// of blanks that holds a line end becomes one space, with the spaces and
// tabs before it dropped; the spaces at both ends of a piece go; a "." ends
// every piece. Trims never reach into an entry written for an occurrence.
//
// A piece is the text's bytes [pieceStart, i) until something must change;
// from then on it is m_piece followed by the bytes [pendingFrom, i).
void Utf8Sentences::extract(QByteArrayView text, Utf8RowSink &sink)
{
    if (text.isEmpty())
        return;
    const char *const s = text.data();
    const qsizetype n = text.size();
    const std::vector<ProtectedSpan> spans =
        m_matcher ? m_matcher->find(text) : std::vector<ProtectedSpan>{};
    size_t nextSpan = 0;
    qsizetype spanAt = spans.empty() ? n : spans.front().pos;
    // Line ends become spaces: a row holds a line break only where an
    // occurrence copied as it stands does.
    m_rowsWithoutBreaks = !m_matcher || !m_matcher->findsLineBreaks();

    qsizetype i = 0;
    qsizetype pieceStart = 0;
    qsizetype pendingFrom = 0;
    bool copied = false;
    qsizetype floor = 0;       // no trim goes below an entry written
    qsizetype firstEntry = -1; // where the first entry written starts
    m_piece.clear();
    m_questions.clear();

    auto takePending = [&](qsizetype upTo) {
        m_piece.append(s + pendingFrom, size_t(upTo - pendingFrom));
        pendingFrom = upTo;
        copied = true;
    };
    auto trimEnd = [&](bool tabsToo) {
        qsizetype end = qsizetype(m_piece.size());
        while (end > floor &&
               (m_piece[size_t(end - 1)] == ' ' || (tabsToo && m_piece[size_t(end - 1)] == '\t')))
            --end;
        m_piece.resize(size_t(end));
    };
    auto writeSpansBefore = [&](qsizetype stop) {
        while (spanAt <= stop && spanAt < n) {
            const ProtectedSpan &span = spans[nextSpan];
            takePending(span.pos);
            if (firstEntry < 0)
                firstEntry = qsizetype(m_piece.size());
            m_piece.append(s + span.pos, size_t(span.length));
            floor = qsizetype(m_piece.size());
            i = pendingFrom = span.pos + span.length;
            ++nextSpan;
            spanAt = nextSpan < spans.size() ? spans[nextSpan].pos : n;
        }
    };
    auto endPiece = [&](bool atPeriod) {
        if (!copied) {
            const char *base = s + pieceStart;
            qsizetype end = i - pieceStart;
            while (end > 0 && base[end - 1] == ' ')
                --end;
            qsizetype begin = 0;
            while (begin < end && base[begin] == ' ')
                ++begin;
            if (atPeriod && end == i - pieceStart) {
                emitPiece(base, begin, end + 1, sink); // the text's own "."
            } else {
                m_piece.assign(base, size_t(end));
                m_piece.push_back('.');
                emitPiece(m_piece.data(), begin, end + 1, sink);
            }
        } else {
            takePending(i);
            trimEnd(false);
            const qsizetype end = qsizetype(m_piece.size());
            const qsizetype limit = firstEntry >= 0 ? std::min(firstEntry, end) : end;
            qsizetype begin = 0;
            while (begin < limit && m_piece[size_t(begin)] == ' ')
                ++begin;
            m_piece.push_back('.');
            emitPiece(m_piece.data(), begin, end + 1, sink);
        }
        sink.pieceEnded();
        i = pieceStart = pendingFrom = i + 1;
        copied = false;
        floor = 0;
        firstEntry = -1;
        m_piece.clear();
        m_questions.clear();
    };

    forEachStop(s, n, [&](qsizetype stop) {
        if (stop < i)
            return; // inside an occurrence, or a blank already taken
        writeSpansBefore(stop);
        if (stop < i)
            return;
        switch (s[stop]) {
        case '.':
            i = stop;
            endPiece(true);
            break;
        case '?':
            m_questions.push_back(qsizetype(m_piece.size()) + stop - pendingFrom);
            break;
        default: // CR or LF
            takePending(stop);
            trimEnd(true);
            m_piece.push_back(' ');
            i = stop + 1;
            while (i < n && i != spanAt && isBlank(s[i]))
                ++i;
            pendingFrom = i;
            break;
        }
    });
    writeSpansBefore(n - 1);
    i = n;
    endPiece(false);
}

// As PieceHandler: every part before a "?" is a question and keeps it, the
// last part does not; empty parts, lone periods and rows the filter refuses
// are left out. base[end - 1] is the piece's ".".
void Utf8Sentences::emitPiece(const char *base, qsizetype begin, qsizetype end, Utf8RowSink &sink)
{
    qsizetype partStart = begin;
    for (const qsizetype question : m_questions) {
        emitItem(base + partStart, question - partStart, true, sink);
        partStart = question + 1;
    }
    emitItem(base + partStart, end - partStart, false, sink);
}

void Utf8Sentences::emitItem(const char *item, qsizetype length, bool question, Utf8RowSink &sink)
{
    const QByteArrayView text(item, length);
    if (length == 0 || isLonePeriod(text) || !m_filter.accepts(text))
        return;
    // A question's "?" stands right after it in the piece.
    const QByteArrayView row(item, length + (question ? 1 : 0));
    if (m_rowsWithoutBreaks)
        sink.appendUtf8RowWithoutBreaks(row);
    else
        sink.appendUtf8Row(row);
}

} // namespace Quillfen
