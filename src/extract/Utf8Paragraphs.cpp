// Hand-written: the paragraph cut's stops (LF, "?" and CR) are found 64
// bytes at a time as mask bits, with SSE2 or, where the processor has it,
// AVX2; the cut and its output are timed by bench/compare-commits.sh.
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

// The LFs, "?"s and CRs of blocks of 64 bytes, a bit for each byte.
constexpr int MaskBlocks = 64; // 4 KB of text at a time
struct StopMasks
{
    quint64 lineFeeds[MaskBlocks];
    quint64 questions[MaskBlocks];
    quint64 carriageReturns[MaskBlocks];
    qsizetype lineFeedCount; // bits set in lineFeeds
    qsizetype questionCount; // and in questions
};

#if defined(__SSE2__)
void findStopsSse2(const char *s, int blocks, StopMasks &masks)
{
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i question = _mm_set1_epi8('?');
    const __m128i cr = _mm_set1_epi8('\r');
    auto bitsOf = [](__m128i block, __m128i byte) {
        return quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, byte))));
    };
    for (int b = 0; b < blocks; ++b, s += 64) {
        quint64 lfBits = 0;
        quint64 questionBits = 0;
        quint64 crBits = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 16 * k));
            lfBits |= bitsOf(block, lf) << (16 * k);
            questionBits |= bitsOf(block, question) << (16 * k);
            crBits |= bitsOf(block, cr) << (16 * k);
        }
        masks.lineFeeds[b] = lfBits;
        masks.questions[b] = questionBits;
        masks.carriageReturns[b] = crBits;
    }
    masks.lineFeedCount = 0;
    masks.questionCount = 0;
    for (int b = 0; b < blocks; ++b) {
        masks.lineFeedCount += std::popcount(masks.lineFeeds[b]);
        masks.questionCount += std::popcount(masks.questions[b]);
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

__attribute__((target("avx2,popcnt"))) void findStopsAvx2(const char *s, int blocks,
                                                          StopMasks &masks)
{
    qsizetype lineFeedCount = 0;
    qsizetype questionCount = 0;
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i question = _mm256_set1_epi8('?');
    const __m256i cr = _mm256_set1_epi8('\r');
    for (int b = 0; b < blocks; ++b, s += 64) {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + 32));
        masks.lineFeeds[b] = bitsOfByte(low, high, lf);
        masks.questions[b] = bitsOfByte(low, high, question);
        masks.carriageReturns[b] = bitsOfByte(low, high, cr);
        lineFeedCount += std::popcount(masks.lineFeeds[b]);
        questionCount += std::popcount(masks.questions[b]);
    }
    masks.lineFeedCount = lineFeedCount;
    masks.questionCount = questionCount;
}

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// Appends the positions of every LF and every "?" of [s, s + n) to lineFeeds
// and questions, in order, and tells whether the text holds a CR that is
// not the start of a CR LF. One pass, 64 bytes at a time: the stops are too
// frequent and too irregular for a search per stop.
bool collectStops(const char *s, qsizetype n, std::vector<qsizetype> &lineFeeds,
                  std::vector<qsizetype> &questions)
{
    qsizetype i = 0;
    quint64 loneCarriageReturns = 0;
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
        // The size is set once for the whole stretch and the positions
        // written in place: a push_back each costs as much as finding them.
        const size_t lineFeedsBefore = lineFeeds.size();
        const size_t questionsBefore = questions.size();
        lineFeeds.resize(lineFeedsBefore + size_t(masks.lineFeedCount));
        questions.resize(questionsBefore + size_t(masks.questionCount));
        qsizetype *lineFeedOut = lineFeeds.data() + lineFeedsBefore;
        qsizetype *questionOut = questions.data() + questionsBefore;
        for (int b = 0; b < blocks; ++b, i += 64) {
            const quint64 lfBits = masks.lineFeeds[b];
            for (quint64 bits = lfBits; bits != 0; bits &= bits - 1)
                *lineFeedOut++ = i + std::countr_zero(bits);
            for (quint64 bits = masks.questions[b]; bits != 0; bits &= bits - 1)
                *questionOut++ = i + std::countr_zero(bits);
            // A CR at the block's last byte is followed by the next byte.
            const bool lfNext = b + 1 < blocks ? (masks.lineFeeds[b + 1] & 1) != 0
                                               : i + 64 < n && s[i + 64] == '\n';
            loneCarriageReturns |=
                masks.carriageReturns[b] & ~((lfBits >> 1) | (quint64(lfNext) << 63));
        }
    }
#endif
    for (; i < n; ++i) {
        if (s[i] == '\n')
            lineFeeds.push_back(i);
        else if (s[i] == '?')
            questions.push_back(i);
        else if (s[i] == '\r' && (i + 1 == n || s[i + 1] != '\n'))
            loneCarriageReturns = 1;
    }
    return loneCarriageReturns != 0;
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
    const bool loneCarriageReturn = collectStops(s, n, m_lineFeeds, m_questions);
    m_nextLineFeed = 0;
    m_nextQuestion = 0;
    if (!sink.joinsLineBreaks() || !m_filter.acceptsAll())
        m_lineEnds = LineEnds::AsCr;
    else
        m_lineEnds = loneCarriageReturn ? LineEnds::AsTheyStand : LineEnds::AsSpace;

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
    if (m_lineEnds == LineEnds::AsTheyStand) {
        while (m_nextLineFeed < lineFeeds && m_lineFeeds[m_nextLineFeed] < to)
            ++m_nextLineFeed;
    } else if (m_nextLineFeed < lineFeeds && m_lineFeeds[m_nextLineFeed] < to) {
        // A piece of lines and no "?" is one row: written straight into the
        // sink's room where it has some (it is neither empty nor ".").
        const bool oneRow = m_lineEnds == LineEnds::AsSpace &&
                            (m_nextQuestion == questions || m_questions[m_nextQuestion] >= to);
        if (char *room = oneRow ? sink.rowRoom(to - from) : nullptr) {
            sink.appendRowWritten(copyLines(s, from, to, room) - room);
            return;
        }
        m_piece.resize(to - from);
        begin = m_piece.constData();
        end = copyLines(s, from, to, m_piece.data());
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

// Copies [from, to) of s to out with each line end as CR or a space, and
// returns the end of the copy; the line feeds are taken from the list.
char *Utf8Paragraphs::copyLines(const char *s, qsizetype from, qsizetype to, char *out)
{
    const char lineEndAs = m_lineEnds == LineEnds::AsSpace ? ' ' : '\r';
    const size_t lineFeeds = m_lineFeeds.size();
    qsizetype at = from;
    for (; m_nextLineFeed < lineFeeds && m_lineFeeds[m_nextLineFeed] < to; ++m_nextLineFeed) {
        const qsizetype lf = m_lineFeeds[m_nextLineFeed];
        const qsizetype lineEnd = lf > at && s[lf - 1] == '\r' ? lf - 1 : lf;
        std::memcpy(out, s + at, size_t(lineEnd - at));
        out += lineEnd - at;
        *out++ = lineEndAs;
        at = lf + 1;
    }
    std::memcpy(out, s + at, size_t(to - at));
    return out + (to - at);
}

void Utf8Paragraphs::emitItem(QByteArrayView item, bool question, Utf8RowSink &sink)
{
    if (item.isEmpty() || isLonePeriod(item) || !m_filter.accepts(item))
        return;
    // A question's "?" stands right after it in the piece.
    if (question)
        item = QByteArrayView(item.data(), item.size() + 1);
    if (m_lineEnds == LineEnds::AsSpace)
        sink.appendUtf8RowWithoutBreaks(item);
    else
        sink.appendUtf8Row(item);
}

} // namespace Quillfen
