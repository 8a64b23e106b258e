#include "Utf8Paragraphs.h"

#include <cstring>

namespace Quillfen {

namespace {

const char *findByte(const char *from, const char *end, char byte)
{
    const void *found = std::memchr(from, byte, size_t(end - from));
    return found ? static_cast<const char *>(found) : end;
}

bool isParagraphEdge(char c)
{
    return c == ' ' || c == '\r' || c == '\n';
}

bool isLonePeriod(QByteArrayView bytes)
{
    return bytes.size() == 1 && bytes.front() == '.';
}

} // namespace

Utf8Paragraphs::Utf8Paragraphs(const LineFilter &filter)
    : m_kind(filter.kind), m_needle(filter.text.toUtf8())
{}

bool Utf8Paragraphs::canFilter(const LineFilter &filter)
{
    const QString &text = filter.text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

// As cutParagraphs: runs of line ends (CR LF or a lone LF) that follow each
// other with nothing between; a run of two or more separates pieces.
void Utf8Paragraphs::extract(QByteArrayView text, Utf8RowSink &sink)
{
    if (text.isEmpty())
        return;
    const char *const s = text.data();
    const char *const end = s + text.size();
    const char *pieceStart = s;
    const char *runStart = s;
    const char *runEnd = nullptr;
    int runLength = 0;
    auto closeRun = [&] {
        if (runLength >= 2) {
            handlePiece(pieceStart, runStart, sink);
            pieceStart = runEnd;
        }
    };
    for (const char *lf = findByte(s, end, '\n'); lf < end; lf = findByte(lf + 1, end, '\n')) {
        const char *lineEnd = lf > s && lf[-1] == '\r' ? lf - 1 : lf;
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
    handlePiece(pieceStart, end, sink);
}

// As PieceHandler in Paragraph mode: the ends trimmed of spaces, CR and LF,
// line ends inside as CR, then split after every "?".
void Utf8Paragraphs::handlePiece(const char *begin, const char *end, Utf8RowSink &sink)
{
    while (begin < end && isParagraphEdge(*begin))
        ++begin;
    while (end > begin && isParagraphEdge(end[-1]))
        --end;
    if (begin == end)
        return;

    const char *lf = findByte(begin, end, '\n');
    if (lf < end) {
        m_piece.resize(end - begin);
        char *out = m_piece.data();
        const char *from = begin;
        for (; lf < end; lf = findByte(from, end, '\n')) {
            const char *lineEnd = lf > from && lf[-1] == '\r' ? lf - 1 : lf;
            std::memcpy(out, from, size_t(lineEnd - from));
            out += lineEnd - from;
            *out++ = '\r';
            from = lf + 1;
        }
        std::memcpy(out, from, size_t(end - from));
        out += end - from;
        begin = m_piece.constData();
        end = out;
    }
    const QByteArrayView piece(begin, end - begin);
    if (isLonePeriod(piece))
        return;

    // Every part before a "?" is a question and keeps it; the last does not.
    const char *partStart = begin;
    for (const char *q = findByte(begin, end, '?'); q < end; q = findByte(q + 1, end, '?')) {
        emitItem(QByteArrayView(partStart, q - partStart), true, sink);
        partStart = q + 1;
    }
    emitItem(QByteArrayView(partStart, end - partStart), false, sink);
}

void Utf8Paragraphs::emitItem(QByteArrayView item, bool question, Utf8RowSink &sink)
{
    if (item.isEmpty() || isLonePeriod(item) || !accepts(item))
        return;
    if (!question) {
        sink.appendUtf8Row(item);
        return;
    }
    m_row.resize(0);
    m_row.append(item);
    m_row.append('?');
    sink.appendUtf8Row(m_row);
}

// As LineFilter::accepts. In valid UTF-8 a needle that is itself whole
// characters matches bytes exactly where its text matches the text.
bool Utf8Paragraphs::accepts(QByteArrayView item) const
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

} // namespace Quillfen
