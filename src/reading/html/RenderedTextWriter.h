#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace Quillfen {

class TextStandIns;

// Builds a rendered text, in UTF-8 with CR LF line ends, from what a walk
// over the rendered boxes of a page meets in order: text (its white space
// collapsed as CSS "white-space: normal" does, or kept), forced line ends,
// tabs between table cells, and the line ends that blocks require. Runs of
// required line ends become as many line ends as the largest of them asks,
// and none stand at the very start or end.
class RenderedTextWriter
{
public:
    // The stand-ins in the text given from now on, or null for none; they
    // are written as the stretches they stand for.
    void setStandIns(const TextStandIns *standIns) { m_standIns = standIns; }
    // Every block and table row stands apart as a paragraph (an empty line
    // between), not only paragraphs: for books, whose pages often build
    // their paragraphs of divs, list items or rows.
    void setBlocksAsParagraphs(bool on) { m_blocksAsParagraphs = on; }

    void text(QByteArrayView utf8);
    void preservedText(QByteArrayView utf8);
    void lineEnd();
    void tab();
    void requireLineEnds(int count);
    // The end of a table row that is not the table's last.
    void rowEnd();
    // An inline box with nothing to read (an image, a form field).
    void inlineBox();
    // An inline box with text of its own inside (a button, a text area).
    void enterInlineBox();
    void leaveInlineBox();
    void enterCell();
    void leaveCell();

    QByteArray take() { return std::move(m_out); }

private:
    void put(QByteArrayView piece);

    QByteArray m_out;
    const TextStandIns *m_standIns = nullptr;
    QByteArray m_expanded;
    int m_pendingLineEnds = 0;
    bool m_anyText = false;
    bool m_pendingSpace = false;
    bool m_lineStart = true;
    bool m_blocksAsParagraphs = false;
};

} // namespace Quillfen
