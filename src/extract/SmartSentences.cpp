#include "SmartSentences.h"

#include "SmartSentenceCut.h"
#include "reading/Utf8Decoding.h"
#include "reading/Utf8Encoding.h"

#if defined(QUILLFEN_SMART_STOPS_AVX2)
#include <immintrin.h>
#endif

namespace Quillfen {

using namespace SmartText;

#if defined(QUILLFEN_SMART_STOPS_AVX2)
// As StopFinder's SSE2 search, with a table per half byte: a byte is a
// stop when the bits of its high half's entry and its low half's meet.
// High halves 0, 2, 3 and E have a bit each; the low halves list the bits
// of the stops they end: LF and CR (0A, 0D), "!" and "." (21, 2E), "?"
// (3F), and the lead bytes E2, E3 and EF.
__attribute__((target("avx2"))) quint64 SmartText::stopsInAvx2(const char *p)
{
    const __m256i lowTable = _mm256_setr_epi8(0, 2, 8, 8, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 2, 12, //
                                              0, 2, 8, 8, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 2, 12);
    const __m256i highTable = _mm256_setr_epi8(1, 0, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, //
                                               1, 0, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    quint64 bits = 0;
    for (int k = 0; k < 2; ++k) {
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 32 * k));
        const __m256i low = _mm256_shuffle_epi8(lowTable, _mm256_and_si256(b, nibble));
        const __m256i high =
            _mm256_shuffle_epi8(highTable, _mm256_and_si256(_mm256_srli_epi16(b, 4), nibble));
        const __m256i none = _mm256_cmpeq_epi8(_mm256_and_si256(low, high), _mm256_setzero_si256());
        bits |= quint64(~unsigned(_mm256_movemask_epi8(none))) << (32 * k);
    }
    return bits;
}

bool SmartText::hasAvx2Stops()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

qsizetype SmartSentenceCut::run(const char *text, qsizetype size, bool final)
{
    s = text;
    n = size;
    m_final = final;
    m_stops.reset();
    m_wordStartFor = -1;
    m_userEntryFor = -1;
    for (;;) {
        if (m_fresh) {
            while (m_from < n && isBlank(s[m_from]))
                ++m_from;
            if (m_from == n)
                return n;
            m_start = m_from;
            m_needle.clear();
            const qsizetype marker = listMarker(m_start, false, &m_needle);
            if (marker < 0)
                return m_start;
            m_fresh = false;
            m_from = m_start + marker;
            m_needleFrom = m_from;
            m_lineEndInside = false;
        }
        const qsizetype q = m_stops.next(s, m_from, n);
        if (q == n && !final) {
            m_from = n;
            return m_start;
        }
        const qsizetype listAt = m_needle.empty() ? q : nextListMarker(q);
        if (listAt < 0) {
            m_from = q;
            return m_start;
        }
        if (listAt < q) {
            emit(listAt);
            m_fresh = true;
            m_from = listAt;
            continue;
        }
        if (q == n) {
            emit(n);
            m_fresh = true;
            m_from = n;
            return n;
        }
        const Decision decision = decide(q);
        switch (decision.verdict) {
        case Verdict::Wait:
            m_from = q;
            return m_start;
        case Verdict::Continue:
            // A rule that reads on past an ender may step over a line end.
            if (!m_lineEndInside && decision.next > q + 1)
                m_lineEndInside = holdsLineEnd(q, decision.next);
            m_from = decision.next;
            break;
        case Verdict::End:
            // A footnote number after the ender may stand on the next line.
            if (!m_lineEndInside && decision.end > q + 1)
                m_lineEndInside = holdsLineEnd(q, decision.end);
            emit(decision.end);
            m_fresh = true;
            m_from = decision.next;
            break;
        }
    }
}

bool SmartSentenceCut::holdsLineEnd(qsizetype from, qsizetype to) const
{
    for (qsizetype k = from; k < to; ++k) {
        if (s[k] == '\n' || s[k] == '\r')
            return true;
    }
    return false;
}

SmartSentenceCut::Decision SmartSentenceCut::decide(qsizetype q)
{
    const uchar c = uchar(s[q]);
    if (c == '\n' || c == '\r')
        return atLineEnd(q);
    if (c == '.' || c == '?' || c == '!')
        return atTerminator(q);
    if (q + 3 > n)
        return m_final ? goOn(q + 1) : wait();
    switch (markOf(decode(s + q, 3))) {
    case Mark::Ellipsis:
    case Mark::Strong:
    case Mark::Wide:
        return atTerminator(q);
    default:
        return goOn(q + 1);
    }
}

// Hands on the sentence [m_start, end) as a row: blanks at its end go, and
// every run of blanks holding a line end becomes one space.
void SmartSentenceCut::emit(qsizetype end)
{
    while (end > m_start && isBlank(s[end - 1]))
        --end;
    if (end == m_start)
        return;
    QByteArrayView row(s + m_start, end - m_start);
    if (m_lineEndInside) {
        m_row.clear();
        qsizetype from = m_start;
        for (qsizetype k = m_start; k < end; ++k) {
            if (s[k] != '\r' && s[k] != '\n')
                continue;
            qsizetype runStart = k;
            while (runStart > from && (s[runStart - 1] == ' ' || s[runStart - 1] == '\t'))
                --runStart;
            m_row.append(s + from, size_t(runStart - from));
            m_row.push_back(' ');
            while (k + 1 < end && isBlank(s[k + 1]))
                ++k;
            from = k + 1;
        }
        m_row.append(s + from, size_t(end - from));
        row = QByteArrayView(m_row.data(), qsizetype(m_row.size()));
    }
    // A lone "." is no sentence, as in Sentence mode.
    if (!isLonePeriod(row) && m_choices.m_filter.accepts(row))
        m_sink.appendUtf8Row(row);
    m_sink.pieceEnded();
}

SmartSentences::SmartSentences(const QStringList &abbreviations, const LineFilter &filter)
    : m_filter(filter)
{
    for (const QString &entry : abbreviations) {
        if (entry.isEmpty())
            continue;
        QString capitalised = entry;
        const char32_t first = entry.front().isHighSurrogate() && entry.size() > 1
                                   ? QChar::surrogateToUcs4(entry[0], entry[1])
                                   : entry.front().unicode();
        const char32_t upper = QChar::toUpper(first);
        if (upper != first && first < 0x10000 && upper < 0x10000)
            capitalised[0] = QChar(char16_t(upper));
        QStringList forms{entry};
        if (capitalised != entry)
            forms.append(capitalised);
        for (const QString &text : forms) {
            std::string bytes(size_t(Detail::lengthKeepingSurrogates(text) + 16), '\0');
            bool kept = false;
            const char *end = Detail::encodeKeepingSurrogates(text, bytes.data(), kept);
            bytes.resize(size_t(end - bytes.data()));
            const qsizetype index = qsizetype(m_forms.size());
            const QChar last = text.back();
            const bool endsInWord = last.isLetterOrNumber();
            m_forms.push_back({bytes, endsInWord});
            const auto addStop = [&](int kind, size_t at) {
                const size_t before = at == 0 ? 256 : uchar(bytes[at - 1]);
                m_stops[kind][before].push_back({index, qsizetype(at), bytes.front()});
            };
            for (size_t k = 0; k < bytes.size(); ++k) {
                if (bytes[k] == '.' || bytes[k] == '?' || bytes[k] == '!')
                    addStop(stopIndex(bytes[k]), k);
            }
            if (endsInWord)
                addStop(0, bytes.size());
        }
    }
}

void SmartSentences::extract(QByteArrayView text, Utf8RowSink &sink) const
{
    SmartSentenceCut cut(*this, sink);
    cut.run(text.data(), text.size(), true);
}

SmartSentenceStream::SmartSentenceStream(const SmartSentences &choices, Utf8RowSink &sink)
    : m_cut(std::make_unique<SmartSentenceCut>(choices, sink))
{}

SmartSentenceStream::~SmartSentenceStream() = default;

void SmartSentenceStream::feed(QByteArrayView part)
{
    if (part.isEmpty())
        return;
    m_pending.append(part);
    const qsizetype done = m_cut->run(m_pending.constData(), m_pending.size(), false);
    if (done > 0) {
        m_pending.remove(0, done);
        m_cut->dropped(done);
    }
}

void SmartSentenceStream::finish()
{
    m_cut->run(m_pending.constData(), m_pending.size(), true);
    m_cut->dropped(m_pending.size());
    m_pending.clear();
}

QStringList smartSentences(QStringView text, const QStringList &abbreviations)
{
    struct Collect final : Utf8RowSink
    {
        QStringList rows;
        void appendUtf8Row(QByteArrayView row) override
        {
            QString decoded(row.size(), Qt::Uninitialized);
            decoded.truncate(
                Detail::decodeKeepingSurrogates(row, reinterpret_cast<char16_t *>(decoded.data())));
            rows.append(decoded);
        }
    } sink;
    QByteArray bytes(Detail::lengthKeepingSurrogates(text) + 16, Qt::Uninitialized);
    bool kept = false;
    const char *end = Detail::encodeKeepingSurrogates(text, bytes.data(), kept);
    bytes.truncate(end - bytes.constData());
    SmartSentences(abbreviations, {LineFilterKind::All, {}}).extract(bytes, sink);
    return sink.rows;
}

} // namespace Quillfen
