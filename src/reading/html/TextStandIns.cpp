#include "TextStandIns.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace Quillfen {

namespace {

enum class CharClass { Content, Space, Breaker };

// The class of the character at p and its length in bytes. Malformed
// UTF-8, which the parser would replace, breaks like a control.
CharClass classify(const uchar *p, const uchar *end, int &length)
{
    const uchar b = *p;
    length = 1;
    if (b < 0x80) {
        if (b == ' ' || b == '\t' || b == '\n' || b == '\f')
            return CharClass::Space;
        if (b < 0x20 || b == 0x7F || b == '&' || b == '<')
            return CharClass::Breaker;
        return CharClass::Content;
    }
    char32_t code = 0;
    char32_t least = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        code = b & 0x1F;
        least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        code = b & 0x0F;
        least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        code = b & 0x07;
        least = 0x10000;
    } else {
        return CharClass::Breaker;
    }
    if (end - p < length) {
        length = 1;
        return CharClass::Breaker;
    }
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            length = 1;
            return CharClass::Breaker;
        }
        code = (code << 6) | (p[i] & 0x3F);
    }
    const bool malformed = code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
    const bool reported = (code >= 0x80 && code <= 0x9F) || (code >= 0xFDD0 && code <= 0xFDEF) ||
                          (code & 0xFFFE) == 0xFFFE;
    return malformed || reported ? CharClass::Breaker : CharClass::Content;
}

constexpr char Digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::size_t Base = 62;

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 36;
    return -1;
}

} // namespace

TextStandIns::TextStandIns(QByteArrayView page, qsizetype minimumBytes)
    : m_page(page), m_minimum(minimumBytes)
{
    // Every stretch takes at least minimumBytes of the page.
    const std::size_t most = std::size_t(page.size() / std::max<qsizetype>(1, minimumBytes)) + 1;
    for (std::size_t reach = Base; reach < most; reach *= Base)
        ++m_digits;
}

bool TextStandIns::usableOn(QByteArrayView page)
{
    if (page.contains(Lead))
        return false;
    static constexpr char Frameset[] = "frameset";
    const char *p = page.data();
    const char *const end = p + page.size();
    // An empty page has no data at all, which memchr must not be given.
    while (p < end && (p = static_cast<const char *>(std::memchr(p, '<', std::size_t(end - p))))) {
        ++p;
        if (end - p < 8)
            break;
        int i = 0;
        while (i < 8 && (p[i] | 0x20) == Frameset[i])
            ++i;
        if (i == 8)
            return false;
    }
    return true;
}

void TextStandIns::appendText(QByteArray &out, qsizetype begin, qsizetype end)
{
    const auto *const base = reinterpret_cast<const uchar *>(m_page.data());
    const uchar *const stop = base + end;
    const uchar *p = base + begin;
    const uchar *literal = p; // not yet appended
    while (p < stop) {
        // One run between breakers; its stretch is the run without the
        // white space at its ends.
        const uchar *first = nullptr;
        const uchar *last = nullptr; // just after the last content character
        int length = 0;
        CharClass kind = CharClass::Content;
        for (; p < stop; p += length) {
            kind = classify(p, stop, length);
            if (kind == CharClass::Breaker)
                break;
            if (kind == CharClass::Content) {
                if (!first)
                    first = p;
                last = p + length;
            }
        }
        if (first && last - first >= m_minimum) {
            out.append(reinterpret_cast<const char *>(literal), first - literal);
            out.append(Lead);
            char digits[16];
            std::size_t number = m_stretches.size();
            for (int i = m_digits - 1; i >= 0; --i, number /= Base)
                digits[i] = Digits[number % Base];
            out.append(digits, m_digits);
            m_stretches.emplace_back(first - base, last - first);
            literal = last;
        }
        if (p < stop && *p == '&') {
            // A character reference stays whole, whatever it turns out to be.
            ++p;
            while (p < stop && (std::isalnum(*p) || *p == '#'))
                ++p;
            if (p < stop && *p == ';')
                ++p;
        } else if (p < stop) {
            p += length; // the breaker
        }
    }
    out.append(reinterpret_cast<const char *>(literal), stop - literal);
}

bool TextStandIns::expand(QByteArrayView utf8, QByteArray &expanded) const
{
    qsizetype lead = m_stretches.empty() ? -1 : utf8.indexOf(Lead);
    if (lead < 0)
        return false;
    expanded.clear();
    qsizetype from = 0;
    while (lead >= 0) {
        expanded.append(utf8.sliced(from, lead - from));
        qsizetype digits = lead + Lead.size();
        const qsizetype digitsEnd = std::min(utf8.size(), digits + m_digits);
        std::size_t number = 0;
        for (int value = 0; digits < digitsEnd && (value = digitValue(utf8[digits])) >= 0; ++digits)
            number = number * Base + std::size_t(value);
        if (digits == lead + Lead.size() + m_digits && number < m_stretches.size()) {
            const auto [begin, size] = m_stretches[number];
            expanded.append(m_page.sliced(begin, size));
        } else {
            expanded.append(utf8.sliced(lead, digits - lead));
        }
        from = digits;
        lead = utf8.indexOf(Lead, from);
    }
    expanded.append(utf8.sliced(from));
    return true;
}

} // namespace Quillfen
