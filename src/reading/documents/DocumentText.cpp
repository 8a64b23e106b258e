#include "DocumentText.h"

namespace Quillfen {

void DocumentText::begin()
{
    m_paragraphStart = m_text.size();
    if (m_paragraphStart > 0)
        m_text.append("\r\n\r\n");
    m_begun = true;
}

void DocumentText::append(std::string_view utf8)
{
    if (utf8.empty())
        return;
    if (!m_begun)
        begin();
    if (m_breakPending) {
        m_text.append("\r\n");
        m_breakPending = false;
    }
    const qsizetype from = m_text.size();
    m_text.append(utf8.data(), qsizetype(utf8.size()));
    for (qsizetype i = from; i < m_text.size(); ++i) {
        if (m_text[i] == '\r' || m_text[i] == '\n')
            m_text[i] = ' ';
    }
}

void DocumentText::appendSpaces(int count)
{
    if (count <= 0)
        return;
    append(" ");
    if (count > 1)
        m_text.append(qsizetype(count - 1), ' ');
}

void DocumentText::lineBreak()
{
    m_breakPending = m_begun;
}

void DocumentText::endParagraph()
{
    if (!m_begun)
        return;
    const qsizetype contentStart = m_paragraphStart == 0 ? 0 : m_paragraphStart + 4;
    // Spaces and control characters alone make no paragraph.
    auto isBlank = [](char c) { return uchar(c) <= 0x20; };
    qsizetype end = m_text.size();
    while (end > contentStart && isBlank(m_text[end - 1]))
        --end;
    const bool blank = end == contentStart;
    m_text.truncate(blank ? m_paragraphStart : end);
    m_begun = false;
    m_breakPending = false;
}

QString DocumentText::take()
{
    endParagraph();
    QString text = QString::fromUtf8(m_text);
    m_text = QByteArray();
    m_paragraphStart = 0;
    return text;
}

} // namespace Quillfen
