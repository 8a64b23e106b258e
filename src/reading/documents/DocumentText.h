#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

namespace Quillfen {

// A document's text as its readers build it: paragraphs separated by one
// empty line, a line break inside a paragraph as CR LF, all CR LF. Empty
// paragraphs leave no trace, and neither do breaks at a paragraph's start
// or end or several breaks in a row, so that a document paragraph stays
// one paragraph of the text. Kept as UTF-8 until taken.
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

    QByteArray m_text;
    qsizetype m_paragraphStart = 0; // before its separator
    bool m_begun = false;
    bool m_breakPending = false;
};

} // namespace Quillfen
