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

XmlSource xmlSourceOf(QByteArray bytes, qsizetype pieceBytes)
{
    if (pieceBytes <= 0)
        pieceBytes = std::max<qsizetype>(bytes.size(), 1);
    return [bytes = std::move(bytes), pieceBytes, at = qsizetype(0)](QByteArray &buffer) mutable {
        if (at >= bytes.size())
            return false;
        const qsizetype piece = std::min(pieceBytes, bytes.size() - at);
        if (buffer.isEmpty() && piece == bytes.size())
            buffer = std::move(bytes); // all at once: no copy
        else
            buffer.append(QByteArrayView(bytes).sliced(at, piece));
        at += piece;
        return true;
    };
}

XmlSlicer::XmlSlicer(XmlSource source, qsizetype sliceBytes)
    : m_source(std::move(source)), m_sliceBytes(std::max<qsizetype>(sliceBytes, 1))
{
    while ((m_buffer.size() <= m_sliceBytes || m_buffer.size() < 4) && pull()) {
    }
    m_whole = m_buffer.size() <= m_sliceBytes || !isAsciiCompatible(m_buffer);
    // The prolog: declarations, comments and the document type before the
    // document element, given again before every slice.
    qsizetype at = 0;
    while (!m_whole) {
        at = find('<', at);
        if (at < 0 || !have(at + 1)) {
            m_whole = true; // no element: let the parser say so
            break;
        }
        const char c = byteAt(at + 1);
        if (c != '?' && c != '!')
            break;
        at = skipMarkup(at);
        if (at < 0)
            m_whole = true;
    }
    if (!m_whole) {
        m_prolog = m_buffer.first(at);
        m_pos = at;
        // Where a document type declaration ends is read the parser's way:
        // the parser must see the document element start where the slices do.
        m_whole = m_prolog.contains("<!D") && !parserAgreesOnProlog();
    }
    if (m_whole) {
        while (pull()) {
        }
    }
}

bool XmlSlicer::pull()
{
    while (!m_ended) {
        const qsizetype before = m_buffer.size();
        if (!m_source(m_buffer))
            m_ended = true;
        if (m_buffer.size() > before)
            return true;
    }
    return false;
}

bool XmlSlicer::pullUntil(qsizetype at)
{
    while (at >= m_buffer.size()) {
        if (!pull())
            return false;
    }
    return true;
}

qsizetype XmlSlicer::find(char c, qsizetype from)
{
    for (;;) {
        const qsizetype found = m_buffer.indexOf(c, from);
        if (found >= 0)
            return found;
        from = std::max(from, m_buffer.size());
        if (!pull())
            return -1;
    }
}

qsizetype XmlSlicer::find(QByteArrayView text, qsizetype from)
{
    for (;;) {
        const qsizetype found = m_buffer.indexOf(text, from);
        if (found >= 0)
            return found;
        from = std::max(from, m_buffer.size() - text.size() + 1);
        if (!pull())
            return -1;
    }
}

bool XmlSlicer::parserAgreesOnProlog()
{
    const qsizetype prologEnd = m_prolog.size();
    const qsizetype tagEnd = find('>', prologEnd);
    if (tagEnd < 0)
        return false;
    qsizetype nameEnd = prologEnd + 1;
    while (nameEnd < tagEnd && !isNameEnd(byteAt(nameEnd)))
        ++nameEnd;
    // The prolog and an empty document element of the same name.
    QByteArray probe = m_buffer.first(nameEnd);
    probe.append("/>");
    pugi::xml_document tree;
    const pugi::xml_parse_result result =
        tree.load_buffer_inplace(probe.data(), size_t(probe.size()), XmlParseOptions);
    return result && tree.document_element() &&
           tree.document_element().offset_debug() == prologEnd + 1;
}

// Past the comment, CDATA section, processing instruction or declaration
// at at; -1 when it does not end.
qsizetype XmlSlicer::skipMarkup(qsizetype at)
{
    have(at + 9); // as much as the longest opening ("<![CDATA[") needs
    const QByteArrayView rest = QByteArrayView(m_buffer).sliced(at);
    const auto past = [&](QByteArrayView end) {
        const qsizetype found = find(end, at + 2);
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
    for (qsizetype i = at + 2; have(i); ++i) {
        const char c = byteAt(i);
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

// The ">" that ends the tag going on at from, outside quoted values; -1
// when the XML ends first.
qsizetype XmlSlicer::tagEnd(qsizetype from)
{
    char quote = 0;
    for (qsizetype end = from; have(end);) {
        const char *data = m_buffer.constData();
        for (const qsizetype size = m_buffer.size(); end < size; ++end) {
            const char d = data[end];
            if (quote) {
                if (d == quote)
                    quote = 0;
            } else if (d == '"' || d == '\'') {
                quote = d;
            } else if (d == '>') {
                return end;
            }
        }
    }
    return -1;
}

QByteArrayView XmlSlicer::startTag(const Open &open) const
{
    return QByteArrayView(open.kept ? m_kept : m_buffer).sliced(open.start, open.end - open.start);
}

// Lets go of the bytes sliced so far, keeping the start tags of the
// elements still open.
void XmlSlicer::dropSliced()
{
    if (m_pos == 0)
        return;
    QByteArray kept;
    for (Open &open : m_open) {
        const QByteArrayView tag = startTag(open);
        open = {kept.size(), kept.size() + tag.size(), true};
        kept.append(tag);
    }
    m_kept = std::move(kept);
    const qsizetype left = m_buffer.size() - m_pos;
    if (left > m_sliceBytes) {
        m_buffer.remove(0, m_pos); // XML given whole: no copy, nothing to free
    } else {
        QByteArray rest;
        rest.reserve(m_sliceBytes + left);
        rest.append(QByteArrayView(m_buffer).sliced(m_pos));
        m_buffer = std::move(rest);
    }
    m_base += m_pos;
    m_pos = 0;
}

bool XmlSlicer::next(Slice &slice)
{
    if (m_done)
        return false;
    if (m_whole) {
        m_done = true;
        slice = Slice{};
        slice.xml = std::move(m_buffer); // parsed in place
        return true;
    }
    dropSliced();
    const qsizetype from = m_pos;
    const std::vector<Open> openAtStart = m_open;
    qsizetype cut = -1;
    qsizetype at = m_pos;
    while (cut < 0) {
        at = find('<', at);
        if (at < 0 || !have(at + 1))
            break;
        const char c = byteAt(at + 1);
        if (c == '!' || c == '?') {
            at = skipMarkup(at);
            if (at < 0)
                break;
            continue;
        }
        const qsizetype end = tagEnd(at + 1);
        if (end < 0)
            break;
        bool closed = false;
        if (c == '/') {
            if (!m_open.empty())
                m_open.pop_back();
            closed = true;
        } else if (byteAt(end - 1) == '/') {
            closed = true;
        } else {
            m_open.push_back({at, end + 1, false});
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
        while (pull()) {
        }
        m_done = true;
        cut = m_buffer.size();
    }
    m_pos = cut;

    QByteArray xml;
    qsizetype prefix = m_prolog.size();
    for (const Open &open : openAtStart)
        prefix += open.end - open.start;
    xml.reserve(prefix + (cut - from) + 64 * qsizetype(m_open.size()));
    xml.append(m_prolog);
    for (const Open &open : openAtStart)
        xml.append(startTag(open));
    xml.append(QByteArrayView(m_buffer).sliced(from, cut - from));
    const int stillOpen = m_done ? 0 : int(m_open.size());
    for (int i = stillOpen; i-- > 0;) {
        const QByteArrayView tag = startTag(m_open[size_t(i)]);
        qsizetype nameEnd = 1;
        while (nameEnd < tag.size() && !isNameEnd(tag[nameEnd]))
            ++nameEnd;
        xml.append("</");
        xml.append(tag.sliced(1, nameEnd - 1));
        xml.append('>');
    }
    slice = Slice{std::move(xml), int(openAtStart.size()), stillOpen, m_base + from, prefix};
    return true;
}

} // namespace Quillfen
