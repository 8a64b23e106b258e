#include "Segmentation.h"

#include "AbbreviationMatcher.h"

#include <algorithm>

namespace Quillfen {

PieceList cutParagraphs(const QString &text)
{
    PieceList list;
    list.buffer = text;
    if (text.isEmpty())
        return list;
    const QStringView s(text);

    // Runs of line ends (CR LF or a lone LF) that follow each other with
    // nothing between them; a run of two or more separates pieces.
    qsizetype pieceStart = 0;
    qsizetype runStart = 0;
    qsizetype runEnd = -1;
    int runLength = 0;
    auto closeRun = [&] {
        if (runLength >= 2) {
            list.ranges.emplace_back(pieceStart, runStart - pieceStart);
            pieceStart = runEnd;
        }
    };
    for (qsizetype lf = s.indexOf(u'\n'); lf >= 0; lf = s.indexOf(u'\n', lf + 1)) {
        const qsizetype lineEnd = lf > 0 && s[lf - 1] == u'\r' ? lf - 1 : lf;
        if (runLength > 0 && lineEnd == runEnd) {
            ++runLength;
        } else {
            closeRun();
            runStart = lineEnd;
            runLength = 1;
        }
        runEnd = lf + 1;
    }
    closeRun();
    list.ranges.emplace_back(pieceStart, s.size() - pieceStart);
    return list;
}

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Writes the sentence pieces of text into one buffer: protected spans as
// placeholders, each run of blanks holding a line end as one space, the
// spaces at both ends of a piece left out, and a "." after every piece.
class SentenceWriter
{
public:
    SentenceWriter(QStringView text, std::vector<ProtectedSpan> spans, PieceList &list)
        : m_text(text), m_spans(std::move(spans)), m_list(list)
    {
        m_escapeMarkers = !m_spans.empty();
        qsizetype bound = text.size() + 1;
        for (const ProtectedSpan &span : m_spans)
            bound += std::max<qsizetype>(0, Placeholder::length(span.entry) - span.length);
        if (m_escapeMarkers)
            bound += text.count(QChar(Placeholder::Marker));
        m_list.buffer.resize(bound);
        m_out = reinterpret_cast<char16_t *>(m_list.buffer.data());
    }

    void run()
    {
        const char16_t *s = m_text.utf16();
        const qsizetype n = m_text.size();
        size_t nextSpan = 0;
        qsizetype spanAt = m_spans.empty() ? n : m_spans.front().pos;
        qsizetype i = 0;
        while (i < n) {
            if (i == spanAt) {
                const ProtectedSpan &span = m_spans[nextSpan];
                m_written += Placeholder::write(span.entry, m_out + m_written);
                i += span.length;
                ++nextSpan;
                spanAt = nextSpan < m_spans.size() ? m_spans[nextSpan].pos : n;
                continue;
            }
            const char16_t c = s[i];
            if (c > u'.') {
                // Letters and most punctuation.
                m_out[m_written++] = c;
                if (c == Placeholder::Marker && m_escapeMarkers)
                    m_out[m_written++] = Placeholder::Escape;
                ++i;
            } else if (c == u'.') {
                endPiece();
                ++i;
            } else if (c == u'\r' || c == u'\n') {
                while (m_written > m_pieceStart &&
                       (m_out[m_written - 1] == u' ' || m_out[m_written - 1] == u'\t'))
                    --m_written;
                ++i;
                while (i < n && i != spanAt && isBlank(s[i]))
                    ++i;
                m_out[m_written++] = u' ';
            } else {
                m_out[m_written++] = c;
                ++i;
            }
        }
        endPiece();
        m_list.buffer.truncate(m_written);
        m_list.shielded = !m_spans.empty();
    }

private:
    void endPiece()
    {
        qsizetype end = m_written;
        while (end > m_pieceStart && m_out[end - 1] == u' ')
            --end;
        qsizetype begin = m_pieceStart;
        while (begin < end && m_out[begin] == u' ')
            ++begin;
        m_out[end] = u'.';
        m_written = end + 1;
        m_list.ranges.emplace_back(begin, m_written - begin);
        m_pieceStart = m_written;
    }

    QStringView m_text;
    std::vector<ProtectedSpan> m_spans;
    PieceList &m_list;
    bool m_escapeMarkers = false;
    char16_t *m_out = nullptr;
    qsizetype m_written = 0;
    qsizetype m_pieceStart = 0;
};

} // namespace

PieceList cutSentences(QStringView text, const AbbreviationShield &shield)
{
    PieceList list;
    if (text.isEmpty())
        return list;
    const auto *matcher = ShieldAccess::matcher(shield);
    SentenceWriter(text, matcher ? matcher->find(text) : std::vector<ProtectedSpan>{}, list).run();
    return list;
}

PieceList cutText(const QString &text, ExtractMode mode, const AbbreviationShield &shield)
{
    switch (mode) {
    case ExtractMode::Paragraph:
        return cutParagraphs(text);
    case ExtractMode::Sentence:
        return cutSentences(text, shield);
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
    if (!piece.contains(u'\n'))
        return piece;

    scratch.resize(piece.size());
    char16_t *out = reinterpret_cast<char16_t *>(scratch.data());
    qsizetype written = 0;
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const char16_t c = piece[i].unicode();
        if (c == u'\r' && i + 1 < piece.size() && piece[i + 1] == u'\n') {
            out[written++] = u'\r';
            ++i;
        } else {
            out[written++] = c == u'\n' ? u'\r' : c;
        }
    }
    scratch.truncate(written);
    return scratch;
}

} // namespace

void PieceHandler::handle(QStringView piece, bool finishAsParagraph,
                          const AbbreviationShield *restoreWith, const LineFilter &filter,
                          RowSink &sink)
{
    if (finishAsParagraph)
        piece = finishParagraph(piece, m_piece);
    if (piece.isEmpty() || isLonePeriod(piece))
        return;

    auto emitItem = [&](QStringView part, bool questionSuffix) {
        if (part.isEmpty())
            return;
        QStringView item = part;
        if (restoreWith && AbbreviationShield::holdsPlaceholder(part)) {
            m_item.resize(0);
            restoreWith->restore(part, m_item);
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

    // Every part before a "?" is a question and keeps it; the last does not.
    qsizetype from = 0;
    for (qsizetype q = piece.indexOf(u'?'); q >= 0; q = piece.indexOf(u'?', from)) {
        emitItem(piece.sliced(from, q - from), true);
        from = q + 1;
    }
    emitItem(piece.sliced(from), false);
}

QStringList extractRows(const QString &text, ExtractMode mode, const QStringList &abbreviations,
                        const LineFilter &filter)
{
    struct Collect final : RowSink
    {
        QStringList rows;
        void append(QStringView row) override { rows.append(row.toString()); }
    } sink;
    const AbbreviationShield shield(abbreviations);
    const PieceList pieces = cutText(text, mode, shield);
    const AbbreviationShield *restoreWith = pieces.shielded ? &shield : nullptr;
    PieceHandler handler;
    for (qsizetype i = 0; i < pieces.size(); ++i)
        handler.handle(pieces.piece(i), mode == ExtractMode::Paragraph, restoreWith, filter, sink);
    return sink.rows;
}

} // namespace Quillfen
