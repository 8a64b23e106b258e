// List markers: "1.", "a)", "(2)", "•", "- " start a sentence of their own,
// and the next marker of a series ends the one before.

#include "SmartSentenceCut.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace Quillfen {

using namespace SmartText;

int SmartSentenceCut::byteAt(qsizetype k) const
{
    if (k < n)
        return uchar(s[k]);
    return m_final ? ByteEnd : NeedMore;
}

// The length of the list marker at q ("1.", "2)", "(c)", "a.", "•", "- ",
// "• 3."), 0 when there is none, NeedMore when the bytes to tell have not
// come. needle, when given, gets what the next marker of the series starts
// with, or nothing. A marker at a line start is never an upper-case letter
// with a "." ("A. Smith").
qsizetype SmartSentenceCut::listMarker(qsizetype q, bool atLineStart, std::string *needle)
{
    // Most sentences start with a word.
    if (q + 1 < n && isAsciiLetter(s[q]) && isAsciiLower(s[q + 1]))
        return 0;
    int c = byteAt(q);
    if (c == NeedMore)
        return NeedMore;
    if (c == '-' || c == '*') {
        const int after = byteAt(q + 1);
        if (after == NeedMore)
            return NeedMore;
        return after == ' ' || after == '\t' ? 1 : 0;
    }
    if (c >= 0xE0 && c != ByteEnd)
        return bulletMarker(q, needle);
    return numberedMarker(q, atLineStart, needle);
}

// "•", "• 3." or "– " at q.
qsizetype SmartSentenceCut::bulletMarker(qsizetype q, std::string *needle)
{
    if (q + 3 > n)
        return m_final ? 0 : NeedMore;
    const Mark mark = markOf(decode(s + q, 3));
    if (mark == Mark::Dash) {
        const int after = byteAt(q + 3);
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
    const bool numberedNext = k < n && (isAsciiDigit(s[k]) || isAsciiLetter(s[k]) || s[k] == '(');
    const qsizetype numbered = numberedNext ? listMarker(k, false, nullptr) : 0;
    if (numbered < 0)
        return NeedMore;
    if (needle) {
        needle->assign(1, ' ');
        needle->append(s + q, 3);
    }
    return numbered > 0 ? k + numbered - q : 3;
}

// "1.", "2)", "(c)" or "a." at q.
qsizetype SmartSentenceCut::numberedMarker(qsizetype q, bool atLineStart, std::string *needle)
{
    const auto blankOrEnd = [](int c) {
        return c == ByteEnd || c == ' ' || c == '\t' || c == '\r' || c == '\n';
    };
    qsizetype k = q;
    int c = byteAt(k);
    const bool paren = c == '(';
    if (paren)
        c = byteAt(++k);
    if (c == NeedMore)
        return NeedMore;
    int value = 0;
    int digits = 0;
    char letter = 0;
    if (c != ByteEnd && isAsciiDigit(char(c))) {
        while (c != ByteEnd && c != NeedMore && isAsciiDigit(char(c)) && digits <= 3) {
            value = value * 10 + (c - '0');
            ++digits;
            c = byteAt(++k);
        }
        if (digits > 3)
            return 0;
    } else if (c != ByteEnd && isAsciiLetter(char(c))) {
        letter = char(c);
        c = byteAt(++k);
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
        const int after = byteAt(k + 1);
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
    const int after = byteAt(k);
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
    const std::string_view searched(s + m_needleFrom,
                                    size_t(std::max<qsizetype>(0, bytesEnd - m_needleFrom)));
    const size_t found = searched.find(m_needle);
    if (found != std::string_view::npos)
        return m_needleFrom + qsizetype(found);
    m_needleFrom = limit;
    if (limit >= reachEnd)
        m_needle.clear();
    return q;
}

} // namespace Quillfen
