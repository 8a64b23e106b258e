#include "Segmentation.h"

#include "AbbreviationMatcher.h"
#include "SmartSentences.h"
#include "UnitScan.h"
#include "reading/Utf8Decoding.h"
#include "reading/Utf8Encoding.h"

#include <algorithm>

namespace Quillfen {

PieceList cutParagraphs(const QString &text)
{
    PieceList list;
    list.buffer = text;
    if (text.isEmpty())
        return list;
    const char16_t *s = QStringView(text).utf16();
    const qsizetype n = text.size();

    // Runs of line ends (CR LF or a lone LF) that follow each other with
    // nothing between them; a run of two or more separates pieces.
    qsizetype pieceStart = 0;
    qsizetype runStart = 0;
    qsizetype runEnd = -1;
    int runLength = 0;
    auto closeRun = [&] {
        if (runLength >= 2) {
            list.ranges.push_back({pieceStart, runStart - pieceStart, false});
            pieceStart = runEnd;
        }
    };
    forEachPositionOf(s, n, u'\n', [&](qsizetype lf) {
        const qsizetype lineEnd = lf > 0 && s[lf - 1] == u'\r' ? lf - 1 : lf;
        if (runLength > 0 && lineEnd == runEnd) {
            ++runLength;
        } else {
            closeRun();
            runStart = lineEnd;
            runLength = 1;
        }
        runEnd = lf + 1;
    });
    closeRun();
    list.ranges.push_back({pieceStart, n - pieceStart, false});
    return list;
}

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Writes the sentence pieces of text into list: protected spans as
// placeholders, each run of blanks holding a line end as one space, the
// spaces at both ends of a piece left out, and a "." after every piece.
// Every piece lives in the one buffer; the loop keeps its state in locals.
void writeSentences(QStringView text, const std::vector<ProtectedSpan> &spans, PieceList &list)
{
    const bool escapeMarkers = !spans.empty();
    // Room for the text, the final ".", and placeholders longer than their
    // occurrences; an escaped marker makes room for itself.
    qsizetype needed = text.size() + 1;
    for (size_t k = 0; k < spans.size(); ++k)
        needed += std::max<qsizetype>(0, Placeholder::length(int(k)) - spans[k].length);
    list.buffer.resize(needed);
    char16_t *out = reinterpret_cast<char16_t *>(list.buffer.data());
    qsizetype written = 0;
    qsizetype pieceStart = 0;
    bool plain = true;

    auto endPiece = [&] {
        qsizetype end = written;
        while (end > pieceStart && out[end - 1] == u' ')
            --end;
        qsizetype begin = pieceStart;
        while (begin < end && out[begin] == u' ')
            ++begin;
        out[end] = u'.';
        written = end + 1;
        list.ranges.push_back({begin, written - begin, plain});
        pieceStart = written;
        plain = true;
    };

    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    size_t nextSpan = 0;
    qsizetype spanAt = spans.empty() ? n : spans.front().pos;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype stop = copyUntilAnyOf<u'.', u'\r', u'\n', u'?', Placeholder::Marker>(
            s, i, spanAt, out + written);
        written += stop - i;
        i = stop;
        if (i == n)
            break;
        if (i == spanAt) {
            const ProtectedSpan &span = spans[nextSpan];
            written += Placeholder::write(int(nextSpan), out + written);
            list.occurrences.add(text.sliced(span.pos, span.length));
            plain = false;
            i += span.length;
            ++nextSpan;
            spanAt = nextSpan < spans.size() ? spans[nextSpan].pos : n;
            continue;
        }
        const char16_t c = s[i++];
        if (c == u'.') {
            endPiece();
        } else if (c == u'\r' || c == u'\n') {
            while (written > pieceStart && (out[written - 1] == u' ' || out[written - 1] == u'\t'))
                --written;
            while (i < n && i != spanAt && isBlank(s[i]))
                ++i;
            out[written++] = u' ';
        } else if (c == u'?') {
            out[written++] = c;
            plain = false;
        } else {
            out[written++] = c;
            plain = false;
            if (escapeMarkers) {
                ++needed;
                if (needed > list.buffer.size()) {
                    list.buffer.resize(needed + needed / 8);
                    out = reinterpret_cast<char16_t *>(list.buffer.data());
                }
                out[written++] = Placeholder::Escape;
            }
        }
    }
    endPiece();
    list.buffer.truncate(written);
    list.shielded = !spans.empty();
}

} // namespace

PieceList cutSentences(QStringView text, const AbbreviationShield &shield)
{
    PieceList list;
    if (text.isEmpty())
        return list;
    const auto *matcher = ShieldAccess::matcher(shield);
    writeSentences(text, matcher ? matcher->find(text) : std::vector<ProtectedSpan>{}, list);
    return list;
}

PieceList cutSmartSentences(QStringView text, const QStringList &abbreviations)
{
    // Cut as UTF-8, as the fast path cuts; a sentence whose row the cut
    // leaves out (a lone ".") is an empty piece, so that pieces are
    // numbered as that path numbers them.
    struct Pieces final : Utf8RowSink
    {
        PieceList list;
        qsizetype pieceStart = 0;
        void appendUtf8Row(QByteArrayView row) override
        {
            const qsizetype at = list.buffer.size();
            list.buffer.resize(at + row.size());
            const qsizetype length = Detail::decodeKeepingSurrogates(
                row, reinterpret_cast<char16_t *>(list.buffer.data() + at));
            list.buffer.truncate(at + length);
        }
        void pieceEnded() override
        {
            list.ranges.push_back({pieceStart, list.buffer.size() - pieceStart, true});
            pieceStart = list.buffer.size();
        }
    } pieces;
    QByteArray bytes(Detail::lengthKeepingSurrogates(text) + 16, Qt::Uninitialized);
    bool kept = false;
    bytes.truncate(Detail::encodeKeepingSurrogates(text, bytes.data(), kept) - bytes.constData());
    SmartSentences(abbreviations, {LineFilterKind::All, {}}).extract(bytes, pieces);
    return std::move(pieces.list);
}

PieceList cutText(const QString &text, ExtractMode mode, const AbbreviationShield &shield)
{
    switch (mode) {
    case ExtractMode::Paragraph:
        return cutParagraphs(text);
    case ExtractMode::Sentence:
        return cutSentences(text, shield);
    case ExtractMode::SmartSentence:
        return cutSmartSentences(text, shield.entries());
    case ExtractMode::None:
        break;
    }
    return {};
}

namespace {

bool isLonePeriod(QStringView text)
{
    return text.size() == 1 && text.front() == u'.';
}

bool isParagraphEdge(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\n';
}

// Without spaces, CR and LF at both ends, and with every line end inside
// (CR LF or a lone LF) as one CR. Uses scratch only when a line end is left.
QStringView finishParagraph(QStringView piece, QString &scratch)
{
    qsizetype begin = 0;
    qsizetype end = piece.size();
    while (begin < end && isParagraphEdge(piece[begin]))
        ++begin;
    while (end > begin && isParagraphEdge(piece[end - 1]))
        --end;
    piece = piece.sliced(begin, end - begin);
    const char16_t *s = piece.utf16();
    const qsizetype n = piece.size();
    qsizetype lf = findUnit(s, 0, n, u'\n');
    if (lf == n)
        return piece;

    scratch.resize(n);
    char16_t *out = reinterpret_cast<char16_t *>(scratch.data());
    qsizetype from = 0;
    for (; lf < n; lf = findUnit(s, from, n, u'\n')) {
        const qsizetype lineEnd = lf > from && s[lf - 1] == u'\r' ? lf - 1 : lf;
        out = std::copy(s + from, s + lineEnd, out);
        *out++ = u'\r';
        from = lf + 1;
    }
    out = std::copy(s + from, s + n, out);
    scratch.truncate(out - reinterpret_cast<char16_t *>(scratch.data()));
    return scratch;
}

} // namespace

void PieceHandler::handle(QStringView piece, bool finishAsParagraph,
                          const ShieldedOccurrences *restoreWith, const LineFilter &filter,
                          RowSink &sink, bool plain)
{
    if (finishAsParagraph)
        piece = finishParagraph(piece, m_piece);
    if (piece.isEmpty() || isLonePeriod(piece))
        return;

    auto emitItem = [&](QStringView part, bool questionSuffix, bool holdsMarker) {
        if (part.isEmpty())
            return;
        QStringView item = part;
        if (restoreWith && holdsMarker) {
            m_item.resize(0);
            AbbreviationShield::restore(part, *restoreWith, m_item);
            item = m_item;
        }
        if (isLonePeriod(item) || !filter.accepts(item))
            return;
        if (!questionSuffix) {
            sink.append(item);
            return;
        }
        m_row.resize(0);
        m_row.append(item);
        m_row.append(u'?');
        sink.append(m_row);
    };

    if (plain) {
        emitItem(piece, false, false);
        return;
    }

    // Every part before a "?" is a question and keeps it; the last does not.
    // One scan finds both the "?" and the parts that need restoring.
    const char16_t *s = piece.utf16();
    const qsizetype n = piece.size();
    qsizetype partStart = 0;
    bool holdsMarker = false;
    for (qsizetype pos = 0;;) {
        pos = findFirstOf<u'?', Placeholder::Marker>(s, pos, n);
        if (pos < n && s[pos] == Placeholder::Marker) {
            holdsMarker = true;
            ++pos;
            continue;
        }
        emitItem(piece.sliced(partStart, pos - partStart), pos < n, holdsMarker);
        if (pos == n)
            break;
        partStart = ++pos;
        holdsMarker = false;
    }
}

QStringList extractRows(const QString &text, ExtractMode mode, const QStringList &abbreviations,
                        const LineFilter &filter)
{
    return extractRowsWithShield(text, mode, AbbreviationShield(abbreviations), filter);
}

QStringList extractRowsWithShield(const QString &text, ExtractMode mode,
                                  const AbbreviationShield &shield, const LineFilter &filter)
{
    struct Collect final : RowSink
    {
        QStringList rows;
        void append(QStringView row) override { rows.append(row.toString()); }
    } sink;
    const PieceList pieces = cutText(text, mode, shield);
    const ShieldedOccurrences *restoreWith = pieces.shielded ? &pieces.occurrences : nullptr;
    PieceHandler handler;
    for (qsizetype i = 0; i < pieces.size(); ++i)
        handler.handle(pieces.piece(i), mode == ExtractMode::Paragraph, restoreWith, filter, sink,
                       pieces.isPlain(i));
    return sink.rows;
}

} // namespace Quillfen
