// What follows an ender decides whether the sentence ends there.

#include "SmartSentenceCut.h"
#include "SmartWords.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace Quillfen {

using namespace SmartText;
using namespace SmartWords;

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
    const int item = lines == 1 ? listLineEnds(q, j) : 0;
    if (item == NeedMore)
        return wait();
    if (item)
        return endAt(q, j);
    m_lineEndInside = true;
    return goOn(j);
}

SmartSentenceCut::Decision SmartSentenceCut::atTerminator(qsizetype p)
{
    if (uchar(s[p]) < 0x80 && p + 1 < n && isBlank(s[p + 1]) && endsBeforeCapital(p))
        return endAt(p + 1, p + 1);
    EnderRun run;
    // Most runs are one mark and a space before a word.
    if (p + 2 < n && s[p + 1] == ' ' && uchar(s[p + 2]) < 0x80 && s[p + 2] != '.' &&
        s[p + 2] != '"' && s[p + 2] != ')') {
        run.end = p + 1;
        run.closersAt = p + 1;
        run.marks = 1;
        run.dots = s[p] == '.' ? 1 : 0;
        run.strong = s[p] != '.';
        return afterRun(p, run);
    }
    qsizetype i = p;
    for (;;) {
        const qsizetype next = runStep(i, run);
        if (next == RunWaits)
            return wait();
        if (next == RunEnds)
            break;
        i = next;
    }
    run.end = i;
    if (run.closersAt < 0)
        run.closersAt = i;
    return afterRun(p, run);
}

// Most sentences end with ".", "?" or "!" at p, blanks and a capital.
// True when afterRun and byWordBefore would end the sentence there, found
// at less cost: after a blank line; after "?" that no entry of the user's
// takes in; after "." or "!" and a word of letters that no list knows.
// False where they must decide.
bool SmartSentenceCut::endsBeforeCapital(qsizetype p)
{
    qsizetype j = p + 1;
    int lines = 0;
    for (; j < n && isBlank(s[j]); ++j) {
        if (s[j] == '\n' || (s[j] == '\r' && (j + 1 == n || s[j + 1] != '\n')))
            ++lines;
    }
    if (j == n || !isAsciiUpper(s[j]))
        return false;
    const char mark = s[p];
    if (mark != '.' && p > m_start && s[p - 1] == ':')
        return false; // "Dial:?"
    if (lines >= 2)
        return true;
    if (mark == '?')
        return userEntryAt(p) == Kind::Plain;
    // The word before: letters from a blank on.
    const qsizetype lowest = std::max(m_start, p - TokenReach);
    qsizetype w = p;
    int letters = 0;
    while (w > lowest) {
        if (uchar(s[w - 1]) < 0x80) {
            if (!isAsciiLetter(s[w - 1]))
                break;
            --w;
        } else {
            qsizetype k = w - 1;
            while (k > lowest && (uchar(s[k]) & 0xC0) == 0x80)
                --k;
            if (!QChar::isLetter(decode(s + k, int(w - k))))
                break;
            w = k;
        }
        ++letters;
    }
    if (letters < 2 || (w > m_start && !isBlank(s[w - 1])))
        return false;
    if (mark == '!')
        return (p - w < 4 || !isAsciiUpper(s[w])) && userEntryAt(p) == Kind::Plain;
    return userEntryAt(p) == Kind::Plain && !(flagsOf(std::string_view(s + w, size_t(p - w))) &
                                              (InnerAbbreviation | ClosingAbbreviation));
}

// One step along the run at i: where the run goes on, RunEnds or RunWaits.
qsizetype SmartSentenceCut::runStep(qsizetype i, EnderRun &run)
{
    if (i >= n)
        return m_final ? RunEnds : RunWaits;
    const char c = s[i];
    if (c == '.' || c == '?' || c == '!') {
        if (c == '.')
            ++run.dots;
        else
            run.strong = true;
        ++run.marks;
        return i + 1;
    }
    if (isAsciiCloser(c)) {
        if (run.closersAt < 0)
            run.closersAt = i;
        run.closed = true;
        return i + 1;
    }
    if (c == '[') {
        const qsizetype end = referenceMark(i);
        if (end == RunWaits || end == RunEnds)
            return end;
        if (run.closersAt < 0)
            run.closersAt = i;
        return end;
    }
    if (c == ' ') {
        if (i + 1 >= n)
            return m_final ? RunEnds : RunWaits;
        // ". . ." is one ellipsis
        if (s[i + 1] == '.' && run.closersAt < 0 && run.dots > 0 && !run.strong && !run.wide)
            return i + 1;
        if (s[i + 1] == '"' || s[i + 1] == ')') {
            const int closer = spacedCloser(i + 1);
            if (closer == NeedMore)
                return RunWaits;
            if (closer) {
                if (run.closersAt < 0)
                    run.closersAt = i;
                run.closed = true;
                return i + 2;
            }
        }
        if (uchar(s[i + 1]) < 0x80)
            return RunEnds; // only "»" and "›" close after a space
    } else if (uchar(c) < 0x80) {
        return RunEnds;
    }
    return wideRunStep(i, run);
}

// A closer or ender of two or three bytes at i, or "»" after a space.
qsizetype SmartSentenceCut::wideRunStep(qsizetype i, EnderRun &run)
{
    qsizetype k = s[i] == ' ' ? i + 1 : i;
    char32_t cp = 0;
    int length = 0;
    if (!characterAt(k, cp, length))
        return m_final ? RunEnds : RunWaits;
    Mark mark = markOf(cp);
    if (mark == Mark::NoBreakSpace && k == i) {
        k += length;
        if (!characterAt(k, cp, length))
            return m_final ? RunEnds : RunWaits;
        mark = markOf(cp);
    }
    if (k > i && cp != U'»' && cp != U'›')
        return RunEnds; // only these closers stand after a space
    // German quotes open with "»": "lautet. »Ein"
    if (k > i) {
        char32_t after = 0;
        int afterLength = 0;
        if (characterAt(k + length, after, afterLength)) {
            if (isWordCodePoint(after))
                return RunEnds;
        } else if (!m_final) {
            return RunWaits;
        }
    }
    // Right after the run an opening quote closes too: German „…“.
    if (mark == Mark::Closer || (k == i && (cp == U'“' || cp == U'‘'))) {
        if (run.closersAt < 0)
            run.closersAt = i;
        run.closed = true;
        return k + length;
    }
    // A footnote mark: "new.²"
    if (k == i && mark == Mark::Superscript) {
        if (run.closersAt < 0)
            run.closersAt = i;
        return k + length;
    }
    if (k == i && (mark == Mark::Ellipsis || mark == Mark::Strong || mark == Mark::Wide)) {
        if (mark == Mark::Ellipsis)
            run.dots += 3;
        run.strong = run.strong || mark == Mark::Strong;
        run.wide = run.wide || mark == Mark::Wide;
        ++run.marks;
        return i + length;
    }
    return RunEnds;
}

// "[17]" or "[a]" at i: where it ends, RunEnds when it is none.
qsizetype SmartSentenceCut::referenceMark(qsizetype i)
{
    qsizetype k = i + 1;
    while (k < n && k - i <= 3 && isAsciiDigit(s[k]))
        ++k;
    if (k == i + 1 && k < n && isAsciiLower(s[k]))
        ++k;
    if (k >= n)
        return m_final ? RunEnds : RunWaits;
    return k > i + 1 && k - i <= 4 && s[k] == ']' ? k + 1 : RunEnds;
}

// A '"' or ')' at k, a space before it and a blank or the end after it,
// closes the sentence when the sentence has opened one; NeedMore when the
// byte after has not come.
int SmartSentenceCut::spacedCloser(qsizetype k)
{
    if (k + 1 >= n) {
        if (!m_final)
            return NeedMore;
    } else if (!isBlank(s[k + 1])) {
        return 0;
    }
    int quotes = 0;
    int opened = 0;
    for (qsizetype i = m_start; i < k; ++i) {
        quotes += s[i] == '"';
        opened += s[i] == '(' ? 1 : s[i] == ')' ? -1 : 0;
    }
    return s[k] == '"' ? quotes % 2 : opened > 0;
}

// Whether the sentence has opened a quotation that is still open at p:
// an odd count of straight quotes, of curly ones („“ and “” alike) or of
// guillemets (« » and » « alike).
bool SmartSentenceCut::inQuotation(qsizetype p) const
{
    int straight = 0;
    int curly = 0;
    int guillemets = 0;
    for (qsizetype i = m_start; i < p; ++i) {
        const uchar c = uchar(s[i]);
        if (c == '"') {
            ++straight;
        } else if (c == 0xE2 && i + 2 < p && uchar(s[i + 1]) == 0x80) {
            const uchar last = uchar(s[i + 2]);
            curly += last == 0x9C || last == 0x9D || last == 0x9E;
        } else if (c == 0xC2 && i + 1 < p) {
            const uchar last = uchar(s[i + 1]);
            guillemets += last == 0xAB || last == 0xBB;
        }
    }
    return straight % 2 || curly % 2 || guillemets % 2;
}

bool SmartSentenceCut::isSpanishQuestion(qsizetype p) const
{
    for (qsizetype i = m_start; i + 1 < p; ++i) {
        if (uchar(s[i]) == 0xC2 && (uchar(s[i + 1]) == 0xBF || uchar(s[i + 1]) == 0xA1))
            return true;
    }
    return false;
}

// The run at p is read: what comes after it decides.
SmartSentenceCut::Decision SmartSentenceCut::afterRun(qsizetype p, const EnderRun &run)
{
    const qsizetype e = run.end;
    // "[...]" marks words left out.
    if (!run.strong && !run.wide && run.dots >= 2 && p > m_start && s[p - 1] == '[' &&
        run.closersAt < n && s[run.closersAt] == ']')
        return goOn(e);
    // "Dial:?" is a form's blank, not a question.
    if (run.strong && p > m_start && s[p - 1] == ':')
        return goOn(e);
    if (e >= n)
        return endAt(e, e);
    if (!isBlank(s[e])) {
        if (run.wide)
            return isAsciiDigit(s[e]) ? goOn(e) : endAt(e, e);
        if (s[e] == ',' || s[e] == ';' || s[e] == ':')
            return goOn(e);
        if (run.marks == 1 && run.dots <= 1)
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
    if (lines >= 2 || run.wide)
        return endAt(e, e);
    // ":)" or an emoji after the mark goes with the sentence.
    const uchar first = uchar(s[j]);
    const bool mayBeFace =
        first == ':' || first == ';' || first == '<' || first == 0xE2 || first == 0xF0;
    const qsizetype faces = lines == 0 && mayBeFace ? facesAt(j) : 0;
    if (faces == NeedMore)
        return wait();
    if (faces > 0) {
        EnderRun withFaces = run;
        withFaces.end = faces;
        return afterRun(p, withFaces);
    }
    const Case next = isAsciiUpper(s[j]) ? Case::Upper : caseAt(j);
    if (next == Case::Wait)
        return wait();
    if (next == Case::Lower)
        return beforeLowerCase(p, run, j);
    if (s[j] == ',' || s[j] == ';' || s[j] == ':')
        return goOn(e);
    if (!run.strong && run.dots >= 2) {
        if (isAsciiDigit(s[j]))
            return goOn(e);
        const bool apart = p == m_start || isBlank(s[p - 1]);
        if (!apart || run.dots > 3 || run.closed)
            return endAt(e, e);
        // "is ... I" goes on, "her ... In Hong Kong" does not, but in an
        // open quotation ("“More people are turning to credit … While").
        const int flags = wordFlagsAt(j);
        if (flags == NeedMore)
            return wait();
        const bool starts = (flags & SentenceStart) && !(flags & MidSentenceCapital);
        return starts && !inQuotation(p) ? endAt(e, e) : goOn(e);
    }
    if (run.marks > 1)
        return endAt(e, e);
    return byWordBefore(p, e, j);
}

// A lower-case word at j: a quotation's mark, an ellipsis, a Spanish
// question and an abbreviation go on; other question and exclamation
// marks end the sentence, and a period does on evidence.
SmartSentenceCut::Decision SmartSentenceCut::beforeLowerCase(qsizetype p, const EnderRun &run,
                                                             qsizetype j)
{
    const qsizetype e = run.end;
    if (run.closed || run.wide)
        return goOn(e);
    if (!run.strong)
        return run.marks == 1 && run.dots == 1 ? periodBeforeLowerCase(p, e, j) : goOn(e);
    if (isSpanishQuestion(p))
        return goOn(e);
    const int speech = startsSpeechTag(j);
    if (speech == NeedMore)
        return wait();
    if (speech == 0)
        return goOn(e);
    const Kind kind = kindBefore(p);
    if (kind == Kind::Wait)
        return wait();
    return kind == Kind::Plain ? endAt(e, e) : goOn(e);
}

// After "?" or "!": 1 when the lower-case word at j starts a sentence,
// 0 when it does not or begins a speech tag ("said Harry", "he asked"),
// NeedMore.
int SmartSentenceCut::startsSpeechTag(qsizetype j)
{
    const int flags = wordFlagsAt(j);
    if (flags == NeedMore)
        return NeedMore;
    if ((flags & SpeechVerb) || !(flags & LowerStart))
        return 0;
    if (!(flags & SpeakerPronoun))
        return 1;
    qsizetype k = j;
    while (k < n && isAsciiLetter(s[k]))
        ++k;
    if (k + 1 >= n)
        return m_final ? 1 : NeedMore;
    if (s[k] != ' ')
        return 1;
    const int verb = wordFlagsAt(k + 1);
    if (verb == NeedMore)
        return NeedMore;
    return (verb & SpeechVerb) ? 0 : 1;
}

// "the end. i think": a word of letters that is no abbreviation, a period
// and a lower-case word end a sentence when that word often starts one, or
// when the word before is long.
SmartSentenceCut::Decision SmartSentenceCut::periodBeforeLowerCase(qsizetype p, qsizetype e,
                                                                   qsizetype j)
{
    // The user's entries are no sentence ends before a lower-case word.
    const Kind user = userEntryAt(p);
    if (user != Kind::Plain)
        return user == Kind::Wait ? wait() : goOn(e);
    // "after 2003. sa mise": a year before a common start.
    const qsizetype t = wordStartBefore(p);
    if (p - t >= 4 && p - t <= 6 && std::all_of(s + t, s + p, isAsciiDigit)) {
        const int nextFlags = wordFlagsAt(j);
        if (nextFlags == NeedMore)
            return wait();
        return (nextFlags & LowerStart) ? endAt(e, e) : goOn(e);
    }
    qsizetype letters = 0;
    qsizetype wordEnd = 0;
    const qsizetype w = lastLettersBefore(p, &letters, &wordEnd);
    if (w < 0 || letters < 2)
        return goOn(e);
    // Roman numerals: "Paul VI. die"
    if (std::all_of(s + w, s + wordEnd, [](char c) {
            return std::string_view("IVXLCDM").find(c) != std::string_view::npos;
        }))
        return goOn(e);
    if (letters < LongWord) {
        const int nextFlags = wordFlagsAt(j);
        if (nextFlags == NeedMore)
            return wait();
        if (!(nextFlags & LowerStart))
            return goOn(e);
    }
    return builtinKindBefore(p) == Kind::Plain ? endAt(e, e) : goOn(e);
}

// The start of the letters that end the word before the mark at p, past
// closing brackets and quotes ("l'Afrique", "(ci-après)."), with their
// count; -1 when the word is no word of letters.
qsizetype SmartSentenceCut::lastLettersBefore(qsizetype p, qsizetype *letters, qsizetype *wordEnd)
{
    const qsizetype w = wordStartBefore(p);
    // The character before k: its start, and the character in c.
    const auto before = [this, w](qsizetype k, char32_t &c) {
        if (uchar(s[k - 1]) < 0x80) {
            c = char32_t(uchar(s[k - 1]));
            return k - 1;
        }
        qsizetype start = k - 1;
        while (start > w && (uchar(s[start]) & 0xC0) == 0x80)
            --start;
        c = decode(s + start, int(k - start));
        return start;
    };
    qsizetype end = p;
    char32_t c = 0;
    while (end > w) {
        const qsizetype start = before(end, c);
        if (!(c < 0x80 ? isAsciiCloser(char(c)) : markOf(c) == Mark::Closer))
            break;
        end = start;
    }
    qsizetype begin = end;
    *letters = 0;
    while (begin > w) {
        const qsizetype start = before(begin, c);
        if (!(c < 0x80 ? isAsciiLetter(char(c)) : QChar::isLetter(c)))
            break;
        begin = start;
        ++*letters;
    }
    *wordEnd = end;
    if (begin == end)
        return -1;
    if (begin > w && s[begin - 1] != '\'' && s[begin - 1] != '-' &&
        !(begin - 3 >= w && std::memcmp(s + begin - 3, "’", 3) == 0))
        return -1;
    return begin;
}

// A single mark at p, blanks, then the word at j: the word before the mark
// decides with the word after it.
SmartSentenceCut::Decision SmartSentenceCut::byWordBefore(qsizetype p, qsizetype e, qsizetype j)
{
    switch (kindBefore(p)) {
    case Kind::Wait:
        return wait();
    case Kind::Plain: {
        // A number at the start of the next line is a list item's, not a
        // footnote's.
        if (isAsciiDigit(s[j]) && !holdsLineEnd(e, j)) {
            if (s[p] == '.' && (flagsBefore(p) & NumberAbbreviation))
                return goOn(e);
            const qsizetype footnote = footnoteNumberAt(j);
            if (footnote == NeedMore)
                return wait();
            if (footnote > 0)
                return endAt(footnote, footnote);
        }
        return endAt(e, e);
    }
    case Kind::SmallNumber: {
        const int nextFlags = wordFlagsAt(j);
        if (nextFlags == NeedMore)
            return wait();
        if (nextFlags & (Month | OrdinalNoun))
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
        return (nextFlags & SentenceStart) && !(flagsBefore(p) & NeverEnds) ? endAt(e, e) : goOn(e);
    }
    case Kind::Closing: {
        if (isAsciiDigit(s[j]) || s[j] == '(' || isTimePhrase(p))
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
    // "Newsfeed.Com" names a site.
    qsizetype wordEnd = e;
    while (wordEnd < k && isAsciiLetter(s[wordEnd]))
        ++wordEnd;
    std::string word(s + e, size_t(wordEnd - e));
    std::transform(word.begin(), word.end(), word.begin(), [](char c) { return char(c | 0x20); });
    if (word == "com" || word == "net" || word == "org" || word == "edu" || word == "gov")
        return goOn(e);
    const Kind kind = kindBefore(p);
    if (kind == Kind::Wait)
        return wait();
    return kind == Kind::Inner || kind == Kind::Closing ? goOn(e) : endAt(e, e);
}

// The end of the emoticons (":)", ";-)") or emoji at j when a blank or
// the text's end follows them; 0 when there are none; NeedMore.
qsizetype SmartSentenceCut::facesAt(qsizetype j)
{
    qsizetype k = emoticonAt(j);
    if (k == NeedMore)
        return NeedMore;
    if (k == 0) {
        k = j;
        while (k < n) {
            const int length = sequenceLength(uchar(s[k]));
            if (k + length > n) {
                if (!m_final)
                    return NeedMore;
                break;
            }
            if (!isEmoji(decode(s + k, length)))
                break;
            k += length;
        }
        if (k == j)
            return 0;
    }
    if (k == n)
        return m_final ? k : NeedMore;
    return isBlank(s[k]) ? k : 0;
}

qsizetype SmartSentenceCut::emoticonAt(qsizetype k)
{
    static constexpr std::string_view Faces[] = {":)",  ":-)", ";)",  ";-)", ":(", ":-(", ":D",
                                                 ":-D", ":P",  ":-P", ":p",  ";P", ";p",  "<3"};
    if (s[k] != ':' && s[k] != ';' && s[k] != '<')
        return 0;
    for (const std::string_view face : Faces) {
        const qsizetype have = std::min<qsizetype>(qsizetype(face.size()), n - k);
        if (std::string_view(s + k, size_t(have)) != face.substr(0, size_t(have)))
            continue;
        if (have < qsizetype(face.size()))
            return m_final ? 0 : NeedMore;
        return k + have;
    }
    return 0;
}

// "rights. 4 Even though": a number of up to three digits between a
// sentence's end and a sentence start is that sentence's footnote mark.
// Where it ends, 0 when it is none, NeedMore.
qsizetype SmartSentenceCut::footnoteNumberAt(qsizetype j)
{
    qsizetype k = j;
    while (k < n && k - j <= 3 && isAsciiDigit(s[k]))
        ++k;
    if (k + 1 >= n)
        return m_final ? 0 : NeedMore;
    if (k - j > 3 || s[k] != ' ' || !isAsciiUpper(s[k + 1]))
        return 0;
    const int flags = wordFlagsAt(k + 1);
    if (flags == NeedMore)
        return NeedMore;
    return (flags & SentenceStart) ? k : 0;
}

// "Flour\nSugar": a short line without an end mark, then a short
// capitalised one without one, are items of a list, a sentence each.
int SmartSentenceCut::listLineEnds(qsizetype q, qsizetype j)
{
    constexpr qsizetype ShortLine = 40;
    const auto wordLike = [](char c) {
        return isAsciiLetter(c) || isAsciiDigit(c) || uchar(c) >= 0x80 || c == ')';
    };
    if (!isAsciiUpper(s[j]))
        return 0;
    qsizetype b = q;
    while (b > m_start && s[b - 1] != '\n' && s[b - 1] != '\r') {
        if (q - b > ShortLine)
            return 0;
        --b;
    }
    qsizetype last = q;
    while (last > b && isBlank(s[last - 1]))
        --last;
    if (last == b || !wordLike(s[last - 1]))
        return 0;
    qsizetype k = j;
    while (k < n && s[k] != '\n' && s[k] != '\r') {
        if (k - j > ShortLine)
            return 0;
        ++k;
    }
    if (k == n && !m_final)
        return NeedMore;
    while (k > j && isBlank(s[k - 1]))
        --k;
    return wordLike(s[k - 1]) ? 1 : 0;
}

} // namespace Quillfen
