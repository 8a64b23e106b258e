#include "RenderedTextWriter.h"

#include "TextStandIns.h"

#include <algorithm>

namespace Quillfen {

namespace {

// CSS collapses these; form feed and no-break space are not among them.
bool isCollapsible(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

void RenderedTextWriter::put(QByteArrayView piece)
{
    if (m_pendingLineEnds > 0 && m_anyText) {
        for (int i = 0; i < m_pendingLineEnds; ++i)
            m_out.append("\r\n", 2);
    }
    m_pendingLineEnds = 0;
    m_out.append(piece);
    m_anyText = true;
}

void RenderedTextWriter::text(QByteArrayView utf8)
{
    if (m_standIns && m_standIns->expand(utf8, m_expanded))
        utf8 = m_expanded;
    const char *p = utf8.data();
    const char *const end = p + utf8.size();
    while (p < end) {
        const char *word = p;
        while (word < end && isCollapsible(*word))
            ++word;
        if (word > p && !m_lineStart)
            m_pendingSpace = true;
        if (word == end)
            break;
        // Words parted by single spaces go out as they stand, in one piece.
        const char *stretchEnd = word;
        for (const char *q = word; q < end;) {
            if (!isCollapsible(*q))
                stretchEnd = ++q;
            else if (*q == ' ' && q + 1 < end && !isCollapsible(q[1]))
                ++q;
            else
                break;
        }
        if (m_pendingSpace) {
            put(" ");
            m_pendingSpace = false;
        }
        put(QByteArrayView(word, stretchEnd - word));
        m_lineStart = false;
        p = stretchEnd;
    }
}

// A carriage return that a character reference put there ends no line;
// it shows as a space, unless a line feed follows it.
void RenderedTextWriter::preservedText(QByteArrayView utf8)
{
    if (m_standIns && m_standIns->expand(utf8, m_expanded))
        utf8 = m_expanded;
    m_pendingSpace = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c != '\n' && c != '\r')
            continue;
        if (i > start)
            put(utf8.sliced(start, i - start));
        if (c == '\r' && (i + 1 == utf8.size() || utf8[i + 1] != '\n'))
            put(" ");
        else if (c == '\n')
            put("\r\n");
        start = i + 1;
    }
    if (start < utf8.size())
        put(utf8.sliced(start));
    if (!utf8.isEmpty())
        m_lineStart = utf8.back() == '\n';
}

void RenderedTextWriter::lineEnd()
{
    put("\r\n");
    m_pendingSpace = false;
    m_lineStart = true;
}

void RenderedTextWriter::rowEnd()
{
    if (m_blocksAsParagraphs)
        requireLineEnds(2);
    else
        lineEnd();
}

void RenderedTextWriter::tab()
{
    put("\t");
    m_pendingSpace = false;
    m_lineStart = true;
}

void RenderedTextWriter::requireLineEnds(int count)
{
    if (m_blocksAsParagraphs && count > 0)
        count = std::max(count, 2);
    m_pendingLineEnds = std::max(m_pendingLineEnds, count);
    m_pendingSpace = false;
    m_lineStart = true;
}

// The space before an inline box stays: it is not at the end of a line.
void RenderedTextWriter::inlineBox()
{
    if (m_pendingSpace) {
        put(" ");
        m_pendingSpace = false;
    }
    m_lineStart = false;
}

void RenderedTextWriter::enterInlineBox()
{
    inlineBox();
    m_lineStart = true;
}

void RenderedTextWriter::leaveInlineBox()
{
    m_pendingSpace = false;
    m_lineStart = false;
}

void RenderedTextWriter::enterCell()
{
    m_pendingSpace = false;
    m_lineStart = true;
}

void RenderedTextWriter::leaveCell()
{
    m_pendingSpace = false;
}

} // namespace Quillfen
