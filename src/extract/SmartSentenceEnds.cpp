// What follows an ender decides whether the sentence ends there.

#include "SmartSentenceCut.h"
#include "SmartWords.h"

#include <algorithm>

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
    m_lineEndInside = true;
    return goOn(j);
}

SmartSentenceCut::Decision SmartSentenceCut::atTerminator(qsizetype p)
{
    EnderRun run;
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
        return i + 1;
    }
    if (c == ' ') {
        if (i + 1 >= n)
            return m_final ? RunEnds : RunWaits;
        // ". . ." is one ellipsis
        if (s[i + 1] == '.' && run.closersAt < 0 && run.dots > 0 && !run.strong && !run.wide)
            return i + 1;
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
    // Right after the run an opening quote closes too: German „…“.
    if (mark == Mark::Closer || (k == i && (cp == U'“' || cp == U'‘'))) {
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

// The run at p is read: what comes after it decides.
SmartSentenceCut::Decision SmartSentenceCut::afterRun(qsizetype p, const EnderRun &run)
{
    const qsizetype e = run.end;
    // "[...]" marks words left out.
    if (!run.strong && !run.wide && run.dots >= 2 && p > m_start && s[p - 1] == '[' &&
        run.closersAt < n && s[run.closersAt] == ']')
        return goOn(e);
    if (e >= n)
        return endAt(e, e);
    if (!isBlank(s[e])) {
        if (run.wide)
            return endAt(e, e);
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
    const Case next = isAsciiUpper(s[j]) ? Case::Upper : caseAt(j);
    if (next == Case::Wait)
        return wait();
    if (next == Case::Lower || s[j] == ',' || s[j] == ';' || s[j] == ':')
        return goOn(e);
    if (!run.strong && run.dots >= 2) {
        const bool apart = p == m_start || isBlank(s[p - 1]);
        return apart && run.dots <= 3 ? goOn(e) : endAt(e, e);
    }
    if (run.marks > 1)
        return endAt(e, e);
    return byWordBefore(p, e, j);
}

// A single mark at p, blanks, then the word at j: the word before the mark
// decides with the word after it.
SmartSentenceCut::Decision SmartSentenceCut::byWordBefore(qsizetype p, qsizetype e, qsizetype j)
{
    switch (kindBefore(p)) {
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

} // namespace Quillfen
