#include "SmartSentences.h"

#include "SmartWords.h"
#include "reading/Utf8Decoding.h"
#include "reading/Utf8Encoding.h"

#include <QChar>
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quillfen {

namespace {

using namespace SmartWords;

// How far back a word is looked for, and how far ahead a list marker of the
// sentence's series.
constexpr qsizetype TokenReach = 64;
constexpr qsizetype ListReach = 2048;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isAsciiLower(char c)
{
    return c >= 'a' && c <= 'z';
}
bool isAsciiUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}
bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isAsciiLetter(char c)
{
    return isAsciiLower(c) || isAsciiUpper(c);
}

int sequenceLength(uchar lead)
{
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

char32_t decode(const char *p, int length)
{
    const auto b = [p](int i) { return char32_t(uchar(p[i])); };
    switch (length) {
    case 2:
        return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
        return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    case 4:
        return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) |
               (b(3) & 0x3F);
    default:
        return b(0);
    }
}

bool isWordCodePoint(char32_t c)
{
    return QChar::isLetterOrNumber(c) || c == U'°' || c == U'º';
}

// The characters beyond ASCII that the cut looks at.
enum class Mark { None, Ellipsis, Strong, Wide, Closer, Opener, Bullet, Dash, NoBreakSpace };

Mark markOf(char32_t c)
{
    switch (c) {
    case U'…':
        return Mark::Ellipsis;
    case U'‼':
    case U'⁇':
    case U'⁈':
    case U'⁉':
        return Mark::Strong;
    case U'。':
    case U'｡':
    case U'！':
    case U'？':
        return Mark::Wide;
    case U'’':
    case U'”':
    case U'»':
    case U'›':
    case U'」':
    case U'』':
    case U'）':
    case U'］':
    case U'〕':
    case U'】':
    case U'》':
    case U'〉':
    case U'＂':
    case U'＇':
        return Mark::Closer;
    case U'“':
    case U'‘':
    case U'„':
    case U'‚':
    case U'«':
    case U'‹':
    case U'¿':
    case U'¡':
    case U'「':
    case U'『':
    case U'（':
        return Mark::Opener;
    case U'•':
    case U'◦':
    case U'▪':
    case U'‣':
    case U'⁃':
    case U'∙':
        return Mark::Bullet;
    case U'–':
        return Mark::Dash;
    case U'\u00A0':
    case U'\u202F':
        return Mark::NoBreakSpace;
    default:
        return Mark::None;
    }
}

bool isAsciiCloser(char c)
{
    return c == ')' || c == ']' || c == '}' || c == '"' || c == '\'';
}
bool isAsciiOpener(char c)
{
    return c == '(' || c == '[' || c == '{' || c == '"' || c == '\'';
}

bool isStop(uchar c)
{
    return c == '.' || c == '?' || c == '!' || c == '\n' || c == '\r' || c == 0xE2 || c == 0xE3 ||
           c == 0xEF;
}

// Finds the bytes that may matter: ".", "?", "!", CR, LF, and the lead
// bytes of "…", the CJK enders and the like (E2, E3, EF). They come every
// few dozen bytes, so the mask of a block of 64 is kept for the next ones.
class StopFinder
{
public:
    void reset() { m_block = -1; }

    // The first stop at or after from, or n.
    qsizetype next(const char *s, qsizetype from, qsizetype n)
    {
        for (;;) {
            if (m_block >= 0 && from >= m_block && from < m_block + 64) {
                const quint64 bits = m_bits & (~quint64(0) << (from - m_block));
                if (bits != 0)
                    return m_block + std::countr_zero(bits);
                from = m_block + 64;
            }
            if (from + 64 > n) {
                m_block = -1;
                while (from < n && !isStop(uchar(s[from])))
                    ++from;
                return from;
            }
            m_block = from;
            m_bits = stopsIn(s + from);
        }
    }

private:
    static quint64 stopsIn(const char *p)
    {
#if defined(__SSE2__)
        quint64 bits = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k));
            const __m128i ascii = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('.')),
                             _mm_cmpeq_epi8(b, _mm_set1_epi8('?'))),
                _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('!')),
                             _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('\n')),
                                          _mm_cmpeq_epi8(b, _mm_set1_epi8('\r')))));
            // E2 and E3 at once, and EF
            const __m128i wide = _mm_or_si128(
                _mm_cmpeq_epi8(_mm_and_si128(b, _mm_set1_epi8(char(0xFE))),
                               _mm_set1_epi8(char(0xE2))),
                _mm_cmpeq_epi8(b, _mm_set1_epi8(char(0xEF))));
            bits |= quint64(unsigned(_mm_movemask_epi8(_mm_or_si128(ascii, wide)))) << (16 * k);
        }
        return bits;
#else
        quint64 bits = 0;
        for (int k = 0; k < 64; ++k)
            bits |= quint64(isStop(uchar(p[k]))) << k;
        return bits;
#endif
    }

    qsizetype m_block = -1;
    quint64 m_bits = 0;
};

int stopIndex(char c)
{
    return c == '.' ? 0 : c == '?' ? 1 : 2;
}

} // namespace

// The state of one cut: where the open sentence starts, how far it has
// been read, and the list marker its series goes on with.
class SmartSentenceCut
{
public:
    SmartSentenceCut(const SmartSentences &choices, Utf8RowSink &sink)
        : m_choices(choices), m_sink(sink)
    {}

    // Cuts text[0, size); final: nothing follows. Returns how many bytes
    // at the front are no longer needed.
    qsizetype run(const char *text, qsizetype size, bool final);
    // The first bytes were dropped from the text.
    void dropped(qsizetype bytes)
    {
        m_start -= bytes;
        m_from -= bytes;
        m_needleFrom -= bytes;
    }

private:
    enum class Verdict { Continue, End, Wait };
    struct Decision
    {
        Verdict verdict;
        qsizetype end = 0;  // End: the sentence is [m_start, end)
        qsizetype next = 0; // where reading goes on
    };
    static Decision wait() { return {Verdict::Wait}; }
    static Decision goOn(qsizetype next) { return {Verdict::Continue, 0, next}; }
    static Decision endAt(qsizetype end, qsizetype next) { return {Verdict::End, end, next}; }

    enum class Kind { Plain, SmallNumber, Inner, Closing, Wait };
    enum class Case { Lower, Upper, Other, Wait };
    static constexpr int NeedMore = -1;

    Decision decide(qsizetype q);
    Decision atLineEnd(qsizetype q);
    Decision atTerminator(qsizetype p);
    Decision glued(qsizetype p, qsizetype e);
    Kind kindBefore(qsizetype p);
    Kind userEntryAt(qsizetype p);
    qsizetype listMarker(qsizetype q, bool atLineStart, std::string *needle);
    qsizetype nextListMarker(qsizetype q);
    int wordFlagsAt(qsizetype j);
    Case caseAt(qsizetype j);
    qsizetype skipOpeners(qsizetype j, qsizetype end);
    bool wordCharBefore(qsizetype j);
    bool previousWordIsLower(qsizetype j, int *flags);
    bool isTimePhrase(qsizetype p);
    int shortCapitals(qsizetype j);
    void emit(qsizetype end);

    const SmartSentences &m_choices;
    Utf8RowSink &m_sink;
    const char *s = nullptr;
    qsizetype n = 0;
    bool m_final = false;
    StopFinder m_stops;

    bool m_fresh = true; // between sentences
    qsizetype m_start = 0;
    qsizetype m_from = 0;
    bool m_lineEndInside = false;
    std::string m_needle; // " 2. " after "1. ", empty when none
    qsizetype m_needleFrom = 0;
    std::string m_row;
};

qsizetype SmartSentenceCut::run(const char *text, qsizetype size, bool final)
{
    s = text;
    n = size;
    m_final = final;
    m_stops.reset();
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
            m_from = decision.next;
            break;
        case Verdict::End:
            emit(decision.end);
            m_fresh = true;
            m_from = decision.next;
            break;
        }
    }
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

// A line end ends the sentence before a blank line or a list marker.
SmartSentenceCut::Decision SmartSentenceCut::atLineEnd(qsizetype q)
{
    qsizetype j = q;
    int lines = 0;
    for (; j < n && isBlank(s[j]); ++j) {
        if (s[j] == '\n' || (s[j] == '\r' && (j + 1 == n || s[j + 1] != '\n')))
            ++lines;
    }
    if (j == n)
        return m_final ? endAt(q, n) : wait();
    if (lines >= 2)
        return endAt(q, j);
    const qsizetype marker = listMarker(j, true, nullptr);
    if (marker < 0)
        return wait();
    if (marker > 0)
        return endAt(q, j);
    m_lineEndInside = true;
    return goOn(j);
}

SmartSentenceCut::Decision SmartSentenceCut::atTerminator(qsizetype p)
{
    // The run of enders with the closing quotes and brackets among and
    // after them.
    qsizetype i = p;
    qsizetype runEnd = -1; // where the first closer stands
    int dots = 0;
    int marks = 0;
    bool strong = false;
    bool wide = false;
    for (;;) {
        if (i >= n) {
            if (!m_final)
                return wait();
            break;
        }
        const char c = s[i];
        if (c == '.' || c == '?' || c == '!') {
            if (c == '.')
                ++dots;
            else
                strong = true;
            ++marks;
            ++i;
            continue;
        }
        if (isAsciiCloser(c)) {
            if (runEnd < 0)
                runEnd = i;
            ++i;
            continue;
        }
        if (c == ' ') {
            if (i + 1 >= n) {
                if (!m_final)
                    return wait();
                break;
            }
            // ". . ." is one ellipsis
            if (s[i + 1] == '.' && runEnd < 0 && dots > 0 && !strong && !wide) {
                ++i;
                continue;
            }
            if (uchar(s[i + 1]) < 0x80)
                break; // only "»" and "›" close after a space
        }
        if (c == ' ' || uchar(c) >= 0x80) {
            // A closer of two or three bytes, or "»" after a space.
            qsizetype k = i;
            if (c == ' ')
                ++k;
            if (k >= n) {
                if (!m_final)
                    return wait();
                break;
            }
            int length = sequenceLength(uchar(s[k]));
            if (k + length > n) {
                if (!m_final)
                    return wait();
                break;
            }
            char32_t cp = decode(s + k, length);
            Mark mark = markOf(cp);
            if (mark == Mark::NoBreakSpace && c != ' ') {
                k += length;
                if (k >= n) {
                    if (!m_final)
                        return wait();
                    break;
                }
                length = sequenceLength(uchar(s[k]));
                if (k + length > n) {
                    if (!m_final)
                        return wait();
                    break;
                }
                cp = decode(s + k, length);
                mark = markOf(cp);
            }
            if (k > i && cp != U'»' && cp != U'›')
                break; // only these closers stand after a space
            // Right after the run an opening quote closes too: German „…“.
            if (mark == Mark::Closer || (k == i && (cp == U'“' || cp == U'‘'))) {
                if (runEnd < 0)
                    runEnd = i;
                i = k + length;
                continue;
            }
            if (k == i && (mark == Mark::Ellipsis || mark == Mark::Strong || mark == Mark::Wide)) {
                if (mark == Mark::Ellipsis)
                    dots += 3;
                strong = strong || mark == Mark::Strong;
                wide = wide || mark == Mark::Wide;
                ++marks;
                i += length;
                continue;
            }
        }
        break;
    }
    const qsizetype e = i;
    if (runEnd < 0)
        runEnd = e;

    // "[...]" marks words left out.
    if (!strong && !wide && dots >= 2 && p > m_start && s[p - 1] == '[' && runEnd < n &&
        s[runEnd] == ']')
        return goOn(e);
    if (e >= n)
        return endAt(e, e);
    if (!isBlank(s[e])) {
        if (wide)
            return endAt(e, e);
        if (s[e] == ',' || s[e] == ';' || s[e] == ':')
            return goOn(e);
        if (marks == 1 && dots <= 1)
            return glued(p, e);
        return goOn(e);
    }

    qsizetype j = e;
    int lines = 0;
    for (; j < n && isBlank(s[j]); ++j) {
        if (s[j] == '\n' || (s[j] == '\r' && (j + 1 == n || s[j + 1] != '\n')))
            ++lines;
    }
    if (j == n)
        return m_final ? endAt(e, n) : wait();
    if (lines >= 2 || wide)
        return endAt(e, e);
    const Case next = isAsciiUpper(s[j]) ? Case::Upper : caseAt(j);
    if (next == Case::Wait)
        return wait();
    if (next == Case::Lower || s[j] == ',' || s[j] == ';' || s[j] == ':')
        return goOn(e);
    if (!strong && dots >= 2) {
        const bool apart = p == m_start || isBlank(s[p - 1]);
        return apart && dots <= 3 ? goOn(e) : endAt(e, e);
    }
    if (marks > 1)
        return endAt(e, e);

    const Kind kind = kindBefore(p);
    switch (kind) {
    case Kind::Wait:
        return wait();
    case Kind::Plain:
        return endAt(e, e);
    case Kind::SmallNumber: {
        const int nextFlags = wordFlagsAt(j);
        if (nextFlags == NeedMore)
            return wait();
        if (nextFlags & Month)
            return goOn(e);
        qsizetype token = p;
        while (token > std::max(m_start, p - TokenReach) && !isBlank(s[token - 1]))
            --token;
        int before = 0;
        previousWordIsLower(token, &before);
        return (before & OrdinalCue) ? goOn(e) : endAt(e, e);
    }
    case Kind::Inner: {
        if (isAsciiDigit(s[j]))
            return goOn(e);
        const int nextFlags = wordFlagsAt(j);
        if (nextFlags == NeedMore)
            return wait();
        return (nextFlags & SentenceStart) ? endAt(e, e) : goOn(e);
    }
    case Kind::Closing: {
        if (isAsciiDigit(s[j]) || isTimePhrase(p))
            return goOn(e);
        const int capitals = shortCapitals(j);
        if (capitals == NeedMore)
            return wait();
        return capitals ? goOn(e) : endAt(e, e);
    }
    }
    return endAt(e, e);
}

// "ended.Then": a mark with no space after it ends a sentence only between
// a word of two or more letters (or a number) and a capitalised word, in
// neither an address nor a file name.
SmartSentenceCut::Decision SmartSentenceCut::glued(qsizetype p, qsizetype e)
{
    if (e + 1 >= n)
        return m_final ? goOn(e) : wait();
    if (!isAsciiUpper(s[e]) || !isAsciiLower(s[e + 1]) || p == m_start)
        return goOn(e);
    const char before = s[p - 1];
    if (!isAsciiLower(before) && !isAsciiDigit(before))
        return goOn(e);
    if (isAsciiLower(before) && (p - 2 < m_start || !isAsciiLetter(s[p - 2])))
        return goOn(e);
    auto plainToken = [](char c) {
        return c != '@' && c != '/' && c != '\\' && c != ':' && c != '_' && c != '=';
    };
    const qsizetype lowest = std::max(m_start, p - TokenReach);
    qsizetype j = p;
    while (j > lowest && !isBlank(s[j - 1]))
        --j;
    if (j > m_start && !isBlank(s[j - 1]))
        return goOn(e); // too long for a word
    for (qsizetype k = j; k < p; ++k) {
        if (!plainToken(s[k]))
            return goOn(e);
    }
    bool periodsOnly = false; // in the run that ends the word after
    qsizetype k = e;
    for (; k < n && !isBlank(s[k]); ++k) {
        if (k - e > TokenReach)
            return goOn(e);
        const char c = s[k];
        if (!plainToken(c))
            return goOn(e);
        if (c == '.' || c == '?' || c == '!')
            periodsOnly = true;
        else if (periodsOnly)
            return goOn(e);
    }
    if (k == n && !m_final)
        return wait();
    const Kind kind = kindBefore(p);
    if (kind == Kind::Wait)
        return wait();
    return kind == Kind::Inner || kind == Kind::Closing ? goOn(e) : endAt(e, e);
}

// What the word before the mark at p is.
SmartSentenceCut::Kind SmartSentenceCut::kindBefore(qsizetype p)
{
    const Kind user = userEntryAt(p);
    if (user != Kind::Plain || s[p] != '.')
        return user;
    const qsizetype lowest = std::max(m_start, p - TokenReach);
    qsizetype j = p;
    while (j > lowest && !isBlank(s[j - 1]))
        --j;
    if (j > m_start && !isBlank(s[j - 1]))
        return Kind::Plain;
    j = skipOpeners(j, p);
    if (j == p)
        return Kind::Plain;
    const std::string_view token(s + j, size_t(p - j));
    // Most words are ASCII letters alone: one lookup tells.
    if (std::all_of(token.begin(), token.end(), isAsciiLetter)) {
        if (token.size() == 1) {
            if (isAsciiLower(token[0]))
                return Kind::Inner;
            return token[0] == 'I' && previousWordIsLower(j, nullptr) ? Kind::Plain : Kind::Inner;
        }
        const int flags = flagsOf(token);
        return (flags & ClosingAbbreviation) ? Kind::Closing
               : (flags & InnerAbbreviation) ? Kind::Inner
                                             : Kind::Plain;
    }
    if (isAsciiDigit(token.back())) {
        const bool digits = std::all_of(token.begin(), token.end(), isAsciiDigit);
        return digits && token.size() <= 3 ? Kind::SmallNumber : Kind::Plain;
    }
    const int flags = flagsOf(token);
    if (flags & ClosingAbbreviation)
        return Kind::Closing;
    if (flags & InnerAbbreviation)
        return Kind::Inner;

    // "U.S.A", "z.B": single letters between periods.
    if (token.find('.') != std::string_view::npos) {
        bool singleLetters = true;
        int segments = 0;
        for (qsizetype k = j; k < p && singleLetters;) {
            const int length = sequenceLength(uchar(s[k]));
            singleLetters = k + length <= p && QChar::isLetter(decode(s + k, length)) &&
                            (k + length == p || s[k + length] == '.');
            k += length + 1;
            ++segments;
        }
        if (singleLetters && segments >= 2)
            return Kind::Inner;
    }

    // The letters at the end of the token.
    qsizetype w = p;
    int letters = 0;
    char32_t last = 0;
    while (w > j) {
        qsizetype k = w - 1;
        while (k > j && (uchar(s[k]) & 0xC0) == 0x80)
            --k;
        const char32_t c = decode(s + k, int(w - k));
        if (!QChar::isLetter(c))
            break;
        if (letters == 0)
            last = c;
        ++letters;
        w = k;
    }
    if (letters == 1) {
        if (QChar::isLower(last))
            return Kind::Inner;
        // "you and I." against "Albert I. Jones"
        if (last == U'I' && w == j && previousWordIsLower(j, nullptr))
            return Kind::Plain;
        return Kind::Inner;
    }
    if (letters > 1 && w > j) {
        const int wordFlags = flagsOf(std::string_view(s + w, size_t(p - w)));
        if (wordFlags & ClosingAbbreviation)
            return Kind::Closing;
        if (wordFlags & InnerAbbreviation)
            return Kind::Inner;
    }
    return Kind::Plain;
}

// Inner when an entry of the user's list, starting at a word start, takes
// in the mark at p (or ends right before that "."); Wait when the bytes to
// tell have not come.
SmartSentenceCut::Kind SmartSentenceCut::userEntryAt(qsizetype p)
{
    if (m_choices.m_forms.empty())
        return Kind::Plain;
    const auto &byBefore = m_choices.m_stops[stopIndex(s[p])];
    for (const int before : {256, p > m_start ? int(uchar(s[p - 1])) : -1}) {
        if (before < 0)
            break;
        for (const SmartSentences::EntryStop &stop : byBefore[size_t(before)]) {
            const SmartSentences::Form &form = m_choices.m_forms[size_t(stop.entry)];
            const qsizetype o = p - stop.at;
            if (o < m_start || s[o] != form.bytes.front())
                continue;
            const qsizetype end = o + qsizetype(form.bytes.size());
            if (end + (form.endsInWord ? 1 : 0) > n) {
                if (!m_final)
                    return Kind::Wait;
                if (end > n)
                    continue;
            }
            if (std::memcmp(s + o, form.bytes.data(), form.bytes.size()) != 0)
                continue;
            if (o > m_start && wordCharBefore(o))
                continue;
            if (form.endsInWord && end < n) {
                const int length = sequenceLength(uchar(s[end]));
                if (end + length > n) {
                    if (!m_final)
                        return Kind::Wait;
                } else if (isWordCodePoint(decode(s + end, length))) {
                    continue;
                }
            }
            return Kind::Inner;
        }
    }
    return Kind::Plain;
}

bool SmartSentenceCut::wordCharBefore(qsizetype j)
{
    qsizetype k = j - 1;
    while (k > m_start && (uchar(s[k]) & 0xC0) == 0x80)
        --k;
    return isWordCodePoint(decode(s + k, int(j - k)));
}

// True when the word before position j (blanks between) starts with a
// lower-case letter; flags, when given, gets the word's flags.
bool SmartSentenceCut::previousWordIsLower(qsizetype j, int *flags)
{
    qsizetype end = j;
    while (end > m_start && isBlank(s[end - 1]))
        --end;
    const qsizetype lowest = std::max(m_start, end - TokenReach);
    qsizetype begin = end;
    while (begin > lowest && !isBlank(s[begin - 1]))
        --begin;
    if (begin == end || (begin > m_start && !isBlank(s[begin - 1])))
        return false;
    if (flags)
        *flags = flagsOf(std::string_view(s + begin, size_t(end - begin)));
    const int length = sequenceLength(uchar(s[begin]));
    return begin + length <= end && QChar::isLower(decode(s + begin, length));
}

// "At 5 a.m.", "Um 7 p.m.": a time phrase of at most four words.
bool SmartSentenceCut::isTimePhrase(qsizetype p)
{
    if (p - m_start > 48)
        return false;
    qsizetype firstEnd = m_start;
    while (firstEnd < p && !isBlank(s[firstEnd]))
        ++firstEnd;
    if (!(flagsOf(std::string_view(s + m_start, size_t(firstEnd - m_start))) & TimePreposition))
        return false;
    int words = 1;
    for (qsizetype k = firstEnd; k < p; ++k) {
        if (isBlank(s[k]) && !isBlank(s[k + 1]))
            ++words;
    }
    return words <= 4;
}

// "Co. KG", "Inc. NYSE": 1 when two to four capitals make a name go on.
int SmartSentenceCut::shortCapitals(qsizetype j)
{
    qsizetype k = j;
    while (k < n && k - j <= 4 && isAsciiUpper(s[k]))
        ++k;
    if (k == n && !m_final)
        return NeedMore;
    const bool wordEnds = k == n || (!isAsciiLetter(s[k]) && uchar(s[k]) < 0x80);
    return k - j >= 2 && k - j <= 4 && wordEnds ? 1 : 0;
}

qsizetype SmartSentenceCut::skipOpeners(qsizetype j, qsizetype end)
{
    while (j < end) {
        if (isAsciiOpener(s[j])) {
            ++j;
            continue;
        }
        const int length = sequenceLength(uchar(s[j]));
        if (length == 1 || j + length > end || markOf(decode(s + j, length)) != Mark::Opener)
            break;
        j += length;
    }
    return j;
}

SmartSentenceCut::Case SmartSentenceCut::caseAt(qsizetype j)
{
    const char c = s[j];
    if (isAsciiLower(c))
        return Case::Lower;
    if (isAsciiUpper(c))
        return Case::Upper;
    const int length = sequenceLength(uchar(c));
    if (length == 1)
        return Case::Other;
    if (j + length > n)
        return m_final ? Case::Other : Case::Wait;
    const char32_t cp = decode(s + j, length);
    if (QChar::isLower(cp))
        return Case::Lower;
    return QChar::isUpper(cp) || QChar::isTitleCase(cp) ? Case::Upper : Case::Other;
}

// The flags of the word at j, after opening quotes and brackets; 0 for a
// single letter with a "." after it (an initial, not "A" or "I").
int SmartSentenceCut::wordFlagsAt(qsizetype j)
{
    qsizetype begin = j;
    for (;;) {
        if (begin - j > 16)
            return 0;
        if (begin >= n)
            return m_final ? 0 : NeedMore;
        if (isAsciiOpener(s[begin])) {
            ++begin;
            continue;
        }
        const int length = sequenceLength(uchar(s[begin]));
        if (length == 1)
            break;
        if (begin + length > n)
            return m_final ? 0 : NeedMore;
        if (markOf(decode(s + begin, length)) != Mark::Opener)
            break;
        begin += length;
    }
    qsizetype k = begin;
    int letters = 0;
    for (;;) {
        if (k - begin > qsizetype(LongestWord))
            return 0;
        if (k >= n) {
            if (!m_final)
                return NeedMore;
            break;
        }
        const int length = sequenceLength(uchar(s[k]));
        if (k + length > n) {
            if (!m_final)
                return NeedMore;
            break;
        }
        const char32_t c = decode(s + k, length);
        if (!isWordCodePoint(c) || (c < 0x80 && isAsciiDigit(char(c))))
            break;
        k += length;
        ++letters;
    }
    if (letters == 1 && k < n && s[k] == '.')
        return 0;
    return flagsOf(std::string_view(s + begin, size_t(k - begin)));
}

// The length of the list marker at q ("1.", "2)", "(c)", "a.", "•", "- ",
// "• 3."), 0 when there is none, NeedMore when the bytes to tell have not
// come. needle, when given, gets what the next marker of the series starts
// with, or nothing. A marker at a line start is never an upper-case letter
// with a "." ("A. Smith").
qsizetype SmartSentenceCut::listMarker(qsizetype q, bool atLineStart, std::string *needle)
{
    constexpr int End = 256;
    const auto at = [this](qsizetype k) -> int {
        if (k < n)
            return uchar(s[k]);
        return m_final ? End : NeedMore;
    };
    const auto blankOrEnd = [](int c) {
        return c == End || c == ' ' || c == '\t' || c == '\r' || c == '\n';
    };
    // Most sentences start with a word.
    if (q + 1 < n && isAsciiLetter(s[q]) && isAsciiLower(s[q + 1]))
        return 0;
    int c = at(q);
    if (c == NeedMore)
        return NeedMore;
    if (c == '-' || c == '*') {
        const int after = at(q + 1);
        if (after == NeedMore)
            return NeedMore;
        return after == ' ' || after == '\t' ? 1 : 0;
    }
    if (c >= 0xE0 && c != End) {
        if (q + 3 > n)
            return m_final ? 0 : NeedMore;
        const Mark mark = markOf(decode(s + q, 3));
        if (mark == Mark::Dash) {
            const int after = at(q + 3);
            if (after == NeedMore)
                return NeedMore;
            return after == ' ' || after == '\t' ? 3 : 0;
        }
        if (mark != Mark::Bullet)
            return 0;
        qsizetype k = q + 3;
        while (k < n && (s[k] == ' ' || s[k] == '\t'))
            ++k;
        if (k == n && !m_final)
            return NeedMore;
        // One numbered marker may follow: "• 3.".
        const bool numberedNext =
            k < n && (isAsciiDigit(s[k]) || isAsciiLetter(s[k]) || s[k] == '(');
        const qsizetype numbered = numberedNext ? listMarker(k, false, nullptr) : 0;
        if (numbered < 0)
            return NeedMore;
        if (needle) {
            needle->assign(1, ' ');
            needle->append(s + q, 3);
        }
        return numbered > 0 ? k + numbered - q : 3;
    }

    qsizetype k = q;
    const bool paren = c == '(';
    if (paren)
        c = at(++k);
    if (c == NeedMore)
        return NeedMore;
    int value = 0;
    int digits = 0;
    char letter = 0;
    if (c != End && isAsciiDigit(char(c))) {
        while (c != End && c != NeedMore && isAsciiDigit(char(c)) && digits <= 3) {
            value = value * 10 + (c - '0');
            ++digits;
            c = at(++k);
        }
        if (digits > 3)
            return 0;
    } else if (c != End && isAsciiLetter(char(c))) {
        letter = char(c);
        c = at(++k);
    } else {
        return 0;
    }
    if (c == NeedMore)
        return NeedMore;
    std::string_view suffix;
    if (paren) {
        if (c != ')')
            return 0;
        suffix = ")";
    } else if (c == '.') {
        suffix = ".";
        const int after = at(k + 1);
        if (after == NeedMore)
            return NeedMore;
        if (after == ')')
            suffix = ".)";
    } else if (c == ')') {
        suffix = ")";
    } else {
        return 0;
    }
    k += qsizetype(suffix.size());
    const int after = at(k);
    if (after == NeedMore)
        return NeedMore;
    if (!blankOrEnd(after))
        return 0;
    const bool capitalDot = letter != 0 && isAsciiUpper(letter) && suffix == ".";
    if (capitalDot && atLineStart)
        return 0;
    if (needle && !capitalDot) {
        char next[8];
        int length = 0;
        if (letter != 0) {
            if (letter != 'z' && letter != 'Z')
                next[length++] = char(letter + 1);
        } else {
            length = std::snprintf(next, sizeof next, "%d", value + 1);
        }
        if (length > 0) {
            needle->assign(paren ? " (" : " ");
            needle->append(next, size_t(length));
            needle->append(suffix);
            needle->push_back(' ');
        }
    }
    return k - q;
}

// Where the next marker of the open sentence's series stands, if before q;
// q when it does not; NeedMore when that cannot be told yet. Markers are
// looked for within ListReach bytes of the sentence's start.
qsizetype SmartSentenceCut::nextListMarker(qsizetype q)
{
    if (m_needle.empty())
        return q;
    const qsizetype reachEnd = m_start + ListReach;
    const qsizetype limit = std::min(q, reachEnd); // starts looked at: [m_needleFrom, limit)
    if (m_needleFrom >= limit)
        return q;
    const qsizetype length = qsizetype(m_needle.size());
    qsizetype bytesEnd = limit - 1 + length;
    if (bytesEnd > n) {
        if (!m_final)
            return NeedMore;
        bytesEnd = n;
    }
    const std::string_view searched(s + m_needleFrom, size_t(std::max<qsizetype>(0, bytesEnd - m_needleFrom)));
    const size_t found = searched.find(m_needle);
    if (found != std::string_view::npos)
        return m_needleFrom + qsizetype(found);
    m_needleFrom = limit;
    if (limit >= reachEnd)
        m_needle.clear();
    return q;
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
                m_stops[kind][before].push_back({index, qsizetype(at)});
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
            decoded.truncate(Detail::decodeKeepingSurrogates(
                row, reinterpret_cast<char16_t *>(decoded.data())));
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
