#include "XmlSlices.h"

namespace Quillfen {

namespace {

bool isNameEnd(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

// Whether the bytes are in an encoding whose markup is ASCII (UTF-8 and the
// legacy ones), which the slicer can read byte by byte.
bool isAsciiCompatible(const QByteArray &bytes)
{
    const QByteArrayView head = QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 4));
    return !head.startsWith("\xFE\xFF") && !head.startsWith("\xFF\xFE") && !head.contains('\0');
}

} // namespace

XmlSlicer::XmlSlicer(const QByteArray &bytes, qsizetype sliceBytes)
    : m_bytes(bytes), m_sliceBytes(std::max<qsizetype>(sliceBytes, 1))
{
    m_whole = bytes.size() <= sliceBytes || !isAsciiCompatible(bytes);
    if (m_whole)
        return;
    // The prolog: declarations, comments and the document type before the
    // document element, given again before every slice.
    qsizetype at = 0;
    for (;;) {
        at = m_bytes.indexOf('<', at);
        if (at < 0 || at + 1 >= m_bytes.size()) {
            m_whole = true; // no element: let the parser say so
            return;
        }
        const char c = m_bytes[at + 1];
        if (c != '?' && c != '!')
            break;
        at = skipMarkup(at);
        if (at < 0) {
            m_whole = true;
            return;
        }
    }
    m_prologEnd = at;
    m_pos = at;
    // Where a document type declaration ends is read the parser's way: the
    // parser must see the document element start where the slices do.
    if (QByteArrayView(m_bytes).first(m_prologEnd).contains("<!D") && !parserAgreesOnProlog())
        m_whole = true;
}

bool XmlSlicer::parserAgreesOnProlog() const
{
    const qsizetype tagEnd = m_bytes.indexOf('>', m_prologEnd);
    if (tagEnd < 0)
        return false;
    qsizetype nameEnd = m_prologEnd + 1;
    while (nameEnd < tagEnd && !isNameEnd(m_bytes[nameEnd]))
        ++nameEnd;
    // The prolog and an empty document element of the same name.
    QByteArray probe = m_bytes.first(nameEnd);
    probe.append("/>");
    pugi::xml_document tree;
    const pugi::xml_parse_result result =
        tree.load_buffer_inplace(probe.data(), size_t(probe.size()), XmlParseOptions);
    return result && tree.document_element() &&
           tree.document_element().offset_debug() == m_prologEnd + 1;
}

// Past the comment, CDATA section, processing instruction or declaration
// at at; -1 when it does not end.
qsizetype XmlSlicer::skipMarkup(qsizetype at) const
{
    const QByteArrayView rest = QByteArrayView(m_bytes).sliced(at);
    const auto past = [&](QByteArrayView end) {
        const qsizetype found = m_bytes.indexOf(end, at + 2);
        return found < 0 ? -1 : found + end.size();
    };
    if (rest.startsWith("<!--"))
        return past("-->");
    if (rest.startsWith("<![CDATA["))
        return past("]]>");
    if (rest.startsWith("<?"))
        return past("?>");
    // A document type declaration, whose internal subset may hold ">".
    int brackets = 0;
    char quote = 0;
    for (qsizetype i = at + 2; i < m_bytes.size(); ++i) {
        const char c = m_bytes[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']') {
            --brackets;
        } else if (c == '>' && brackets <= 0) {
            return i + 1;
        }
    }
    return -1;
}

bool XmlSlicer::next(Slice &slice)
{
    if (m_done)
        return false;
    if (m_whole) {
        m_done = true;
        slice = Slice{};
        slice.whole = true;
        return true;
    }
    const qsizetype from = m_pos;
    const std::vector<Open> openAtStart = m_open;
    qsizetype cut = -1;
    qsizetype at = m_pos;
    while (cut < 0) {
        at = m_bytes.indexOf('<', at);
        if (at < 0 || at + 1 >= m_bytes.size())
            break;
        const char c = m_bytes[at + 1];
        if (c == '!' || c == '?') {
            at = skipMarkup(at);
            if (at < 0)
                break;
            continue;
        }
        // A start or end tag: to its ">", outside quoted values.
        char quote = 0;
        qsizetype end = at + 1;
        for (; end < m_bytes.size(); ++end) {
            const char d = m_bytes[end];
            if (quote) {
                if (d == quote)
                    quote = 0;
            } else if (d == '"' || d == '\'') {
                quote = d;
            } else if (d == '>') {
                break;
            }
        }
        if (end >= m_bytes.size())
            break;
        bool closed = false;
        if (c == '/') {
            if (!m_open.empty())
                m_open.pop_back();
            closed = true;
        } else if (m_bytes[end - 1] == '/') {
            closed = true;
        } else {
            m_open.push_back({at, end + 1});
        }
        at = end + 1;
        if (m_open.empty()) {
            at = -1; // the document element ended: the rest goes with this slice
            break;
        }
        if (closed && at - from >= m_sliceBytes)
            cut = at;
    }
    if (cut < 0) {
        // The rest, as it stands.
        m_done = true;
        cut = m_bytes.size();
    }
    m_pos = cut;

    QByteArray xml;
    const QByteArrayView prolog = QByteArrayView(m_bytes).first(m_prologEnd);
    qsizetype prefix = prolog.size();
    for (const Open &open : openAtStart)
        prefix += open.end - open.start;
    xml.reserve(prefix + (cut - from) + 64 * qsizetype(m_open.size()));
    xml.append(prolog);
    for (const Open &open : openAtStart)
        xml.append(QByteArrayView(m_bytes).sliced(open.start, open.end - open.start));
    xml.append(QByteArrayView(m_bytes).sliced(from, cut - from));
    const int stillOpen = m_done ? 0 : int(m_open.size());
    for (int i = stillOpen; i-- > 0;) {
        const Open &open = m_open[size_t(i)];
        qsizetype nameEnd = open.start + 1;
        while (nameEnd < open.end && !isNameEnd(m_bytes[nameEnd]))
            ++nameEnd;
        xml.append("</");
        xml.append(QByteArrayView(m_bytes).sliced(open.start + 1, nameEnd - open.start - 1));
        xml.append('>');
    }
    slice = Slice{std::move(xml), int(openAtStart.size()), stillOpen, from, prefix, false};
    return true;
}

} // namespace Quillfen
