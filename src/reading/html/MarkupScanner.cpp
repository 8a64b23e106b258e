#include "MarkupScanner.h"

#include <optional>

namespace Quillfen {

namespace {

bool isAlpha(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lowered(int c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : char(c);
}

bool equalsLowered(QByteArrayView written, QByteArrayView lower)
{
    if (written.size() != lower.size())
        return false;
    for (qsizetype i = 0; i < written.size(); ++i) {
        if (lowered(uchar(written[i])) != lower[i])
            return false;
    }
    return true;
}

bool isHtmlSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

} // namespace

bool MarkupScanner::hasAttribute(QByteArrayView lowerCaseName) const
{
    for (const Attribute &attribute : m_attributes) {
        if (equalsLowered(attribute.name, lowerCaseName))
            return true;
    }
    return false;
}

QByteArrayView MarkupScanner::attributeValue(QByteArrayView lowerCaseName) const
{
    for (const Attribute &attribute : m_attributes) {
        if (equalsLowered(attribute.name, lowerCaseName))
            return attribute.value.isNull() ? QByteArrayView("") : attribute.value;
    }
    return {};
}

void MarkupScanner::enterRawMode(RawMode mode)
{
    m_raw = true;
    m_rawMode = mode;
    m_rawName = m_name;
}

MarkupScanner::Token MarkupScanner::next()
{
    if (m_raw)
        return scanRawText();
    const qsizetype size = m_bytes.size();
    const qsizetype begin = m_pos;
    if (begin >= size)
        return {};
    auto text = [&](qsizetype from) {
        const qsizetype lt = from < size ? m_bytes.indexOf('<', from) : -1;
        m_pos = lt < 0 ? size : lt;
        return Token{Kind::Text, begin, m_pos, {}, false};
    };
    auto upToGreaterThan = [&](qsizetype from, Kind kind) {
        const qsizetype close = m_bytes.indexOf('>', from);
        return markup(begin, close < 0 ? size : close + 1, kind);
    };
    auto bogusComment = [&](qsizetype from) { return upToGreaterThan(from, Kind::Comment); };
    if (m_bytes[begin] != '<')
        return text(begin);

    const int c1 = at(begin + 1);
    if (isAlpha(c1))
        return scanTag(begin, false);
    if (c1 == '/') {
        const int c2 = at(begin + 2);
        if (isAlpha(c2))
            return scanTag(begin, true);
        if (c2 == '>')
            return markup(begin, begin + 3);
        if (c2 < 0)
            return text(begin + 2);
        return bogusComment(begin + 2);
    }
    if (c1 == '!') {
        const QByteArrayView rest = m_bytes.sliced(begin + 2);
        if (rest.startsWith("--"))
            return scanComment(begin);
        if (rest.size() >= 7 && equalsLowered(rest.first(7), "doctype"))
            return upToGreaterThan(begin + 9, Kind::Markup);
        if (m_cdataAllowed && rest.startsWith("[CDATA[")) {
            const qsizetype close = m_bytes.indexOf("]]>", begin + 9);
            return markup(begin, close < 0 ? size : close + 3);
        }
        return bogusComment(begin + 2);
    }
    if (c1 == '?')
        return bogusComment(begin + 2);
    return text(begin + 1);
}

MarkupScanner::Token MarkupScanner::markup(qsizetype begin, qsizetype end, Kind kind)
{
    m_pos = end;
    return {kind, begin, end, {}, false};
}

// A comment ends at "<!-->", "<!--->", or the first "-->" or "--!>" after
// its opening "<!--".
MarkupScanner::Token MarkupScanner::scanComment(qsizetype begin)
{
    const qsizetype body = begin + 4;
    if (at(body) == '>')
        return markup(begin, body + 1, Kind::Comment);
    if (at(body) == '-' && at(body + 1) == '>')
        return markup(begin, body + 2, Kind::Comment);
    qsizetype from = body;
    for (;;) {
        const qsizetype dashes = m_bytes.indexOf("--", from);
        if (dashes < 0)
            return markup(begin, m_bytes.size(), Kind::Comment);
        if (at(dashes + 2) == '>')
            return markup(begin, dashes + 3, Kind::Comment);
        if (at(dashes + 2) == '!' && at(dashes + 3) == '>')
            return markup(begin, dashes + 4, Kind::Comment);
        from = dashes + 1;
    }
}

MarkupScanner::Token MarkupScanner::scanTag(qsizetype begin, bool endTag)
{
    const qsizetype size = m_bytes.size();
    qsizetype i = begin + (endTag ? 2 : 1);
    m_attributes.clear();
    auto cutOff = [&] { return markup(begin, size); };

    const qsizetype nameBegin = i;
    while (i < size && !isHtmlSpace(at(i)) && at(i) != '/' && at(i) != '>')
        ++i;
    m_name.resize(i - nameBegin);
    for (qsizetype k = 0; k < m_name.size(); ++k)
        m_name[k] = lowered(uchar(m_bytes[nameBegin + k]));

    bool selfClosing = false;
    for (;;) {
        // Before an attribute name.
        while (i < size && isHtmlSpace(at(i)))
            ++i;
        if (i >= size)
            return cutOff();
        if (at(i) == '>')
            break;
        if (at(i) == '/') {
            ++i;
            if (at(i) == '>') {
                selfClosing = true;
                break;
            }
            continue;
        }
        // The name; a leading "=" belongs to it.
        const qsizetype attributeBegin = i++;
        while (i < size && !isHtmlSpace(at(i)) && at(i) != '/' && at(i) != '>' && at(i) != '=')
            ++i;
        Attribute attribute{m_bytes.sliced(attributeBegin, i - attributeBegin), {}};
        while (i < size && isHtmlSpace(at(i)))
            ++i;
        if (i >= size)
            return cutOff();
        if (at(i) != '=') {
            m_attributes.push_back(attribute);
            continue;
        }
        ++i;
        while (i < size && isHtmlSpace(at(i)))
            ++i;
        if (i >= size)
            return cutOff();
        const int quote = at(i);
        if (quote == '"' || quote == '\'') {
            const qsizetype close = m_bytes.indexOf(char(quote), i + 1);
            if (close < 0)
                return cutOff();
            attribute.value = m_bytes.sliced(i + 1, close - i - 1);
            i = close + 1;
        } else if (quote != '>') {
            const qsizetype valueBegin = i;
            while (i < size && !isHtmlSpace(at(i)) && at(i) != '>')
                ++i;
            attribute.value = m_bytes.sliced(valueBegin, i - valueBegin);
        }
        m_attributes.push_back(attribute);
    }
    m_pos = i + 1;
    return {endTag ? Kind::EndTag : Kind::StartTag, begin, m_pos, m_name, selfClosing};
}

bool MarkupScanner::isEndTagOfRawElement(qsizetype lessThan) const
{
    if (at(lessThan + 1) != '/')
        return false;
    const qsizetype nameBegin = lessThan + 2;
    const qsizetype nameEnd = nameBegin + m_rawName.size();
    if (nameEnd >= m_bytes.size())
        return false;
    if (!equalsLowered(m_bytes.sliced(nameBegin, m_rawName.size()), m_rawName))
        return false;
    const int after = at(nameEnd);
    return isHtmlSpace(after) || after == '/' || after == '>';
}

MarkupScanner::Token MarkupScanner::scanRawText()
{
    m_raw = false;
    const qsizetype begin = m_pos;
    const qsizetype size = m_bytes.size();
    qsizetype end = size;
    if (m_rawMode == RawMode::ScriptData) {
        end = scriptDataEnd(begin);
    } else if (m_rawMode != RawMode::Plaintext) {
        for (qsizetype from = begin; from < size;) {
            const qsizetype lt = m_bytes.indexOf('<', from);
            if (lt < 0)
                break;
            if (isEndTagOfRawElement(lt)) {
                end = lt;
                break;
            }
            from = lt + 1;
        }
    }
    m_pos = end;
    return {Kind::RawText, begin, end, {}, false};
}

// Where a script's content ends: the tokenizer's script data states, in
// which "</script" inside "<!-- <script> ... -->" does not end it.
qsizetype MarkupScanner::scriptDataEnd(qsizetype from) const
{
    enum class State { Data, Escaped, DoubleEscaped };
    const qsizetype size = m_bytes.size();
    State state = State::Data;
    int dashes = 0; // dashes just read in an escaped state
    qsizetype i = from;

    // Reads an ASCII letter run at i; true when it is "script" followed by
    // a space, "/" or ">", which is then consumed too.
    auto readsScript = [&]() {
        const qsizetype nameBegin = i;
        while (i < size && isAlpha(at(i)))
            ++i;
        const bool script = equalsLowered(m_bytes.sliced(nameBegin, i - nameBegin), "script");
        const int after = at(i);
        if (isHtmlSpace(after) || after == '/' || after == '>') {
            ++i;
            return std::optional<bool>(script);
        }
        return std::optional<bool>();
    };

    while (i < size) {
        if (state == State::Data) {
            const qsizetype lt = m_bytes.indexOf('<', i);
            if (lt < 0)
                return size;
            if (isEndTagOfRawElement(lt))
                return lt;
            i = lt + 1;
            if (at(i) == '!' && at(i + 1) == '-' && at(i + 2) == '-') {
                i += 3;
                state = State::Escaped;
                dashes = 2;
            }
            continue;
        }
        const int c = at(i);
        if (c == '-') {
            ++dashes;
            ++i;
            continue;
        }
        if (c == '>' && dashes >= 2) {
            state = State::Data;
            ++i;
            continue;
        }
        dashes = 0;
        if (c != '<') {
            ++i;
            continue;
        }
        if (state == State::Escaped) {
            if (isEndTagOfRawElement(i))
                return i;
            ++i;
            if (at(i) == '/') {
                ++i;
            } else if (isAlpha(at(i))) {
                if (readsScript().value_or(false))
                    state = State::DoubleEscaped;
            }
        } else {
            ++i;
            if (at(i) == '/') {
                ++i;
                if (readsScript().value_or(false))
                    state = State::Escaped;
            }
        }
    }
    return size;
}

} // namespace Quillfen
