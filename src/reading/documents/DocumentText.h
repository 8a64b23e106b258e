#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>
#include <vector>

namespace Quillfen {

// A document's text as its readers build it: paragraphs separated by one
// empty line, a line break inside a paragraph as CR LF, all CR LF. Empty
// paragraphs leave no trace, and neither do breaks at a paragraph's start
// or end or several breaks in a row, so that a document paragraph stays
// one paragraph of the text. Kept as UTF-8 until taken, in blocks of
// whole paragraphs that take() decodes and lets go one by one, so that the
// text is never held whole twice.
class DocumentText
{
public:
    // Text of the current paragraph, UTF-8; line ends in it become spaces.
    void append(std::string_view utf8);
    void appendSpaces(int count);
    void lineBreak();
    void endParagraph();

    // Ends the paragraph and hands the whole text over.
    QString take();

private:
    void begin();

    std::vector<QByteArray> m_blocks; // finished, each about BlockBytes
    qsizetype m_blockBytes = 0;       // in m_blocks
    QByteArray m_text;                // the last block, growing
    qsizetype m_paragraphStart = 0;   // before its separator
    bool m_separated = false;         // the paragraph begun has a separator
    bool m_begun = false;
    bool m_breakPending = false;
};

} // namespace Quillfen
