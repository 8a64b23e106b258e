#include "DocumentText.h"

#include <QStringDecoder>
#include <utility>

namespace Quillfen {

namespace {

constexpr qsizetype BlockBytes = 4 << 20;

} // namespace

void DocumentText::begin()
{
    m_paragraphStart = m_text.size();
    m_separated = m_paragraphStart > 0 || m_blockBytes > 0;
    if (m_separated)
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
    const qsizetype contentStart = m_paragraphStart + (m_separated ? 4 : 0);
    // Spaces and control characters alone make no paragraph.
    auto isBlank = [](char c) { return uchar(c) <= 0x20; };
    qsizetype end = m_text.size();
    while (end > contentStart && isBlank(m_text[end - 1]))
        --end;
    const bool blank = end == contentStart;
    m_text.truncate(blank ? m_paragraphStart : end);
    m_begun = false;
    m_breakPending = false;
    if (m_text.size() >= BlockBytes) {
        m_blockBytes += m_text.size();
        m_blocks.push_back(std::exchange(m_text, QByteArray()));
    }
}

QString DocumentText::take()
{
    endParagraph();
    m_blockBytes += m_text.size();
    m_blocks.push_back(std::exchange(m_text, QByteArray()));
    // UTF-16 never takes more units than UTF-8 takes bytes; the room not
    // written is never touched.
    QString text(m_blockBytes, Qt::Uninitialized);
    // Blocks end where paragraphs end, before the next one's separator, so
    // each decodes on its own as the whole would; stateless, so that bytes
    // left incomplete at the very end still become U+FFFD, not nothing.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QChar *end = text.data();
    for (QByteArray &block : m_blocks) {
        end = decoder.appendToBuffer(end, block);
        block = QByteArray();
    }
    text.truncate(end - text.constData());
    text.squeeze();
    m_blocks.clear();
    m_blockBytes = 0;
    m_paragraphStart = 0;
    m_separated = false;
    return text;
}

} // namespace Quillfen
