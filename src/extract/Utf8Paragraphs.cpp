#include "Utf8Paragraphs.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QUILLFEN_STOPS_AVX2 1
#endif

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

} // namespace

Utf8Paragraphs::Utf8Paragraphs(const LineFilter &filter) : m_filter(filter) {}

namespace {

// The LFs and "?"s of blocks of 64 bytes, a bit for each byte.
constexpr int MaskBlocks = 64; // 4 KB of text at a time
struct StopMasks
{
    quint64 lineFeeds[MaskBlocks];
    quint64 questions[MaskBlocks];
};

#if defined(__SSE2__)
void findStopsSse2(const char *s, int blocks, StopMasks &masks)
{
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i question = _mm_set1_epi8('?');
    for (int b = 0; b < blocks; ++b, s += 64) {
        quint64 lfBits = 0;
        quint64 questionBits = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 16 * k));
            lfBits |= quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)))) << (16 * k);
            questionBits |= quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, question))))
                            << (16 * k);
        }
        masks.lineFeeds[b] = lfBits;
        masks.questions[b] = questionBits;
    }
}
#endif

#if defined(QUILLFEN_STOPS_AVX2)
// Compiled for AVX2 and called only where the processor has it.
__attribute__((target("avx2"))) quint64 bitsOfByte(__m256i low, __m256i high, __m256i byte)
{
    return quint64(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, byte)))) |
           quint64(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, byte)))) << 32;
}

__attribute__((target("avx2"))) void findStopsAvx2(const char *s, int blocks, StopMasks &masks)
{
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i question = _mm256_set1_epi8('?');
    for (int b = 0; b < blocks; ++b, s += 64) {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + 32));
        masks.lineFeeds[b] = bitsOfByte(low, high, lf);
        masks.questions[b] = bitsOfByte(low, high, question);
    }
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// Appends the positions of every LF and every "?" of [s, s + n) to lineFeeds
// and questions, in order. One pass, 64 bytes at a time: the stops are too
// frequent and too irregular for a search per stop.
void collectStops(const char *s, qsizetype n, std::vector<qsizetype> &lineFeeds,
                  std::vector<qsizetype> &questions)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    StopMasks masks;
    while (n - i >= 64) {
        const int blocks = int(std::min<qsizetype>(MaskBlocks, (n - i) / 64));
#if defined(QUILLFEN_STOPS_AVX2)
        if (hasAvx2())
            findStopsAvx2(s + i, blocks, masks);
        else
#endif
            findStopsSse2(s + i, blocks, masks);
        for (int b = 0; b < blocks; ++b, i += 64) {
            for (quint64 bits = masks.lineFeeds[b]; bits != 0; bits &= bits - 1)
                lineFeeds.push_back(i + std::countr_zero(bits));
            for (quint64 bits = masks.questions[b]; bits != 0; bits &= bits - 1)
                questions.push_back(i + std::countr_zero(bits));
        }
    }
#endif
    for (; i < n; ++i) {
        if (s[i] == '\n')
            lineFeeds.push_back(i);
        else if (s[i] == '?')
            questions.push_back(i);
    }
}

} // namespace

// As cutParagraphs: runs of line ends (CR LF or a lone LF) that follow each
// other with nothing between; a run of two or more separates pieces.
void Utf8Paragraphs::extract(QByteArrayView text, Utf8RowSink &sink)
{
    if (text.isEmpty())
        return;
    const char *const s = text.data();
    const qsizetype n = text.size();
    m_lineFeeds.clear();
    m_questions.clear();
    collectStops(s, n, m_lineFeeds, m_questions);
    m_nextLineFeed = 0;
    m_nextQuestion = 0;
    m_ownLineBreaks = sink.joinsLineBreaks() && m_filter.acceptsAll();

    qsizetype pieceStart = 0;
    qsizetype runStart = 0;
    qsizetype runEnd = -1;
    int runLength = 0;
    auto closeRun = [&] {
        if (runLength >= 2) {
            handlePiece(s, pieceStart, runStart, sink);
            sink.pieceEnded();
            pieceStart = runEnd;
        }
    };
    for (const qsizetype lf : m_lineFeeds) {
        const qsizetype lineEnd = lf > 0 && s[lf - 1] == '\r' ? lf - 1 : lf;
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
    handlePiece(s, pieceStart, n, sink);
    sink.pieceEnded();
}

// As PieceHandler in Paragraph mode: the ends trimmed of spaces, CR and LF,
// line ends inside as CR, then split after every "?". Pieces come in text
// order, so the stops they hold are found by moving on in the lists.
void Utf8Paragraphs::handlePiece(const char *s, qsizetype from, qsizetype to, Utf8RowSink &sink)
{
    while (from < to && isParagraphEdge(s[from]))
        ++from;
    while (to > from && isParagraphEdge(s[to - 1]))
        --to;
    const size_t lineFeeds = m_lineFeeds.size();
    while (m_nextLineFeed < lineFeeds && m_lineFeeds[m_nextLineFeed] < from)
        ++m_nextLineFeed;
    const size_t questions = m_questions.size();
    while (m_nextQuestion < questions && m_questions[m_nextQuestion] < from)
        ++m_nextQuestion;
    if (from == to)
        return;

    const char *begin = s + from;
    const char *end = s + to;
    if (m_ownLineBreaks) {
        while (m_nextLineFeed < lineFeeds && m_lineFeeds[m_nextLineFeed] < to)
            ++m_nextLineFeed;
    } else if (m_nextLineFeed < lineFeeds && m_lineFeeds[m_nextLineFeed] < to) {
        m_piece.resize(to - from);
        char *out = m_piece.data();
        qsizetype at = from;
        for (; m_nextLineFeed < lineFeeds && m_lineFeeds[m_nextLineFeed] < to; ++m_nextLineFeed) {
            const qsizetype lf = m_lineFeeds[m_nextLineFeed];
            const qsizetype lineEnd = lf > at && s[lf - 1] == '\r' ? lf - 1 : lf;
            std::memcpy(out, s + at, size_t(lineEnd - at));
            out += lineEnd - at;
            *out++ = '\r';
            at = lf + 1;
        }
        std::memcpy(out, s + at, size_t(to - at));
        out += to - at;
        begin = m_piece.constData();
        end = out;
    }
    const QByteArrayView piece(begin, end - begin);
    if (isLonePeriod(piece))
        return;
    if (m_nextQuestion == questions || m_questions[m_nextQuestion] >= to) {
        emitItem(piece, false, sink);
        return;
    }

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
    if (item.isEmpty() || isLonePeriod(item) || !m_filter.accepts(item))
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

} // namespace Quillfen
