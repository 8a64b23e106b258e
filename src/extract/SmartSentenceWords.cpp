// What the words around an ender are: abbreviations, initials, numbers,
// the user's entries, sentence starts.

#include "SmartSentenceCut.h"
#include "SmartWords.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace Quillfen {

using namespace SmartText;
using namespace SmartWords;

// What the word before the mark at p is.
SmartSentenceCut::Kind SmartSentenceCut::kindBefore(qsizetype p)
{
    const Kind user = userEntryAt(p);
    if (user == Kind::Wait)
        return Kind::Wait;
    if (s[p] != '.') {
        if (user != Kind::Plain || s[p] != '!')
            return user;
        // "Yahoo!": a capitalised name of a few letters.
        const qsizetype j = wordStartBefore(p);
        if (p - j < 4 || !isAsciiUpper(s[j]))
            return Kind::Plain;
        return (flagsBefore(p) & ExclaimedName) ? Kind::Inner : Kind::Plain;
    }
    // A listed "etc." still ends sentences as the built-in one does.
    if (user == Kind::Inner)
        return (flagsBefore(p) & ClosingAbbreviation) ? Kind::Closing : Kind::Inner;
    return builtinKindBefore(p);
}

SmartSentenceCut::Kind SmartSentenceCut::builtinKindBefore(qsizetype p)
{
    const qsizetype j = wordStartBefore(p);
    return j == p ? Kind::Plain : kindOfToken(j, p);
}

// Where the word before the mark at p starts, after opening quotes and
// brackets; p when there is none, or it is longer than TokenReach.
qsizetype SmartSentenceCut::wordStartBefore(qsizetype p)
{
    // Asked for again by the rules that decide at one mark.
    if (p == m_wordStartFor && m_start == m_wordStartIn)
        return m_wordStart;
    m_wordStartFor = p;
    m_wordStartIn = m_start;
    m_wordStart = wordStartAfterBlank(p);
    return m_wordStart;
}

qsizetype SmartSentenceCut::wordStartAfterBlank(qsizetype p)
{
    const qsizetype lowest = std::max(m_start, p - TokenReach);
    qsizetype j = p;
    while (j > lowest && !isBlank(s[j - 1]))
        --j;
    if (j > m_start && !isBlank(s[j - 1]))
        return p;
    return skipOpeners(j, p);
}

int SmartSentenceCut::flagsBefore(qsizetype p)
{
    const qsizetype j = wordStartBefore(p);
    return j == p ? 0 : flagsOf(std::string_view(s + j, size_t(p - j)));
}

// What the token [j, p) before a "." is.
SmartSentenceCut::Kind SmartSentenceCut::kindOfToken(qsizetype j, qsizetype p)
{
    const std::string_view token(s + j, size_t(p - j));
    // Most words are ASCII letters alone: one lookup tells.
    if (std::all_of(token.begin(), token.end(), isAsciiLetter)) {
        if (token.size() == 1) {
            if (isAsciiLower(token[0]))
                return isTimeUnit(token[0]) && afterNumber(j) ? Kind::Closing : Kind::Inner;
            if (isDegreeUnit(token[0]) && (afterNumber(j) || isEra(j, token)))
                return Kind::Closing;
            return token[0] == 'I' && previousWordIsLower(j, nullptr) ? Kind::Plain : Kind::Inner;
        }
        const int flags = flagsOf(token);
        if ((flags & InnerAbbreviation) && isEra(j, token))
            return Kind::Closing;
        return (flags & ClosingAbbreviation) ? Kind::Closing
               : (flags & InnerAbbreviation) ? Kind::Inner
                                             : Kind::Plain;
    }
    if (isAsciiDigit(token.back())) {
        const bool digits = std::all_of(token.begin(), token.end(), isAsciiDigit);
        return digits && token.size() <= 3 ? Kind::SmallNumber : Kind::Plain;
    }
    if (isEra(j, token))
        return Kind::Closing;
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

    return kindOfLastLetters(j, p);
}

// What the letters at the end of the token [j, p) are: "I." and "E."
// initials, or an abbreviation after other characters ("(approx.").
SmartSentenceCut::Kind SmartSentenceCut::kindOfLastLetters(qsizetype j, qsizetype p)
{
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
        // "John's", "AT&T", "9A", "mg/h": no initial.
        if (w > j) {
            const char before = s[w - 1];
            if (before == '\'' || before == '&' || before == '/' || isAsciiDigit(before) ||
                (w - 2 >= j && std::memcmp(s + w - 2, "°", 2) == 0) ||
                (w - 3 >= j &&
                 (std::memcmp(s + w - 3, "’", 3) == 0 || std::memcmp(s + w - 3, "–", 3) == 0)))
                return Kind::Plain;
        }
        if (QChar::isLower(last))
            return w == j && last < 0x80 && isTimeUnit(char(last)) && afterNumber(j) ? Kind::Closing
                                                                                     : Kind::Inner;
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

// "3300 a. C.", "a.C.", "avant J.-C.", "v. Chr.": the token [j, p) ends
// the name of an era, which ends many sentences.
bool SmartSentenceCut::isEra(qsizetype j, std::string_view token)
{
    if (token == "a.C" || token == "d.C")
        return true;
    if (token != "C" && token != "Chr" && token != "J.-C" && token != "J-C")
        return false;
    qsizetype end = j;
    while (end > m_start && isBlank(s[end - 1]))
        --end;
    qsizetype begin = end;
    while (begin > m_start && end - begin <= 6 && !isBlank(s[begin - 1]))
        --begin;
    if (end == j || (begin > m_start && !isBlank(s[begin - 1])))
        return false;
    const std::string_view before(s + begin, size_t(end - begin));
    if (token == "C")
        return before == "a." || before == "d.";
    if (token == "Chr")
        return before == "v." || before == "n.";
    return before == "avant" || before == "après" || before == "av." || before == "apr.";
}

// Inner when an entry of the user's list, starting at a word start, takes
// in the mark at p (or ends right before that "."); Wait when the bytes to
// tell have not come.
SmartSentenceCut::Kind SmartSentenceCut::userEntryAt(qsizetype p)
{
    if (m_choices.m_forms.empty())
        return Kind::Plain;
    // Asked for again by the rules that decide at one mark.
    if (p == m_userEntryFor && m_start == m_userEntryIn)
        return m_userEntry;
    const auto &byBefore = m_choices.m_stops[stopIndex(s[p])];
    Kind kind = byBefore[256].empty() ? Kind::Plain : userEntryIn(byBefore[256], p);
    if (kind == Kind::Plain && p > m_start && !byBefore[uchar(s[p - 1])].empty())
        kind = userEntryIn(byBefore[uchar(s[p - 1])], p);
    if (kind != Kind::Wait) {
        m_userEntryFor = p;
        m_userEntryIn = m_start;
        m_userEntry = kind;
    }
    return kind;
}

SmartSentenceCut::Kind
SmartSentenceCut::userEntryIn(const std::vector<SmartSentences::EntryStop> &stops, qsizetype p)
{
    for (const SmartSentences::EntryStop &stop : stops) {
        const qsizetype o = p - stop.at;
        if (o < m_start || s[o] != stop.first)
            continue;
        const SmartSentences::Form &form = m_choices.m_forms[size_t(stop.entry)];
        const qsizetype end = o + qsizetype(form.bytes.size());
        if (end + (form.endsInWord ? 1 : 0) > n) {
            if (!m_final)
                return Kind::Wait;
            if (end > n)
                continue;
        }
        qsizetype k = 0; // most forms are a few bytes: no call to memcmp
        while (k < end - o && s[o + k] == form.bytes[size_t(k)])
            ++k;
        if (k < end - o)
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
    return Kind::Plain;
}

// "72 h.", "30 s.": hours, minutes and seconds after a number.
bool SmartSentenceCut::isTimeUnit(char c)
{
    return c == 'h' || c == 'm' || c == 's';
}

// "25 °C.", "2º C.": Celsius, Fahrenheit and Kelvin after a number.
bool SmartSentenceCut::isDegreeUnit(char c)
{
    return c == 'C' || c == 'F' || c == 'K';
}

// "72 h.", "2º C.": the word before position j (blanks between) is a number, so
// a letter at j is a unit.
bool SmartSentenceCut::afterNumber(qsizetype j)
{
    qsizetype end = j;
    while (end > m_start && isBlank(s[end - 1]))
        --end;
    if (end == j)
        return false;
    // a degree sign after the number: "°" or "º"
    if (end - 2 > m_start && uchar(s[end - 2]) == 0xC2 &&
        (uchar(s[end - 1]) == 0xB0 || uchar(s[end - 1]) == 0xBA))
        end -= 2;
    qsizetype begin = end;
    while (begin > m_start && end - begin < 16 &&
           (isAsciiDigit(s[begin - 1]) || s[begin - 1] == ','))
        --begin;
    return begin < end && (begin == m_start || isBlank(s[begin - 1]));
}

bool SmartSentenceCut::wordCharBefore(qsizetype j)
{
    if (uchar(s[j - 1]) < 0x80)
        return isAsciiLetter(s[j - 1]) || isAsciiDigit(s[j - 1]);
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

bool SmartSentenceCut::characterAt(qsizetype k, char32_t &c, int &length) const
{
    if (k >= n)
        return false;
    length = sequenceLength(uchar(s[k]));
    if (k + length > n)
        return false;
    c = decode(s + k, length);
    return true;
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
    const std::string_view word(s + begin, size_t(k - begin));
    return caseAt(begin) == Case::Lower ? flagsOf(word) | lowerFlagsOf(word) : flagsOf(word);
}

} // namespace Quillfen
