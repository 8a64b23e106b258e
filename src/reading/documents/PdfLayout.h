#pragma once

#include <QRectF>
#include <QString>
#include <vector>

namespace Quillfen {

// One line of a PDF page, its text in reading order, in points from the
// page's top left.
struct PdfLine
{
    QString text;
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
    // The height of most of its words: the size of its type; and the
    // middle of most of them, which a superscript does not move.
    double size = 0;
    double middle = 0;
    // The width of the word it starts with in reading order.
    double firstWordWidth = 0;
    bool rightToLeft = false;

    double height() const { return bottom - top; }
};

struct PdfPageLines
{
    std::vector<PdfLine> lines;
};

// Collects a page's words, in the order and with the boxes that poppler
// (or OCR) gives them, into lines: the words of a line as drawn, left to
// right; lineEnds after its last one. take() gives the page's lines with
// their text in reading order (right-to-left lines reordered by the
// bidirectional algorithm) and presentation forms (ligatures such as
// "ﬁ") as their letters.
class PdfLineCollector
{
public:
    void addWord(const QString &text, const QRectF &box, bool spaceAfter, bool lineEnds);
    PdfPageLines take();

private:
    struct Word
    {
        double width;
        double height;
        double middle;
    };
    void endLine();

    PdfPageLines m_page;
    PdfLine m_line;
    std::vector<Word> m_words;
    std::vector<double> m_lastWordWidths;
};

// The text of a document's pages with its paragraphs rebuilt from the
// layout. A gap between lines larger than the page's usual line gap (told
// from paragraph gaps by their two clusters), an indented first line, a
// change of type size, a list item's bullet or number, and a line that the
// next line's first word would have fitted after end a paragraph, save
// that where a document sets its paragraphs apart by space, such a line
// ended with a line break (CR LF) inside the paragraph. The other lines of
// a paragraph are joined with a space (none between two CJK characters),
// or without their hyphen when it splits a word, also across a page or
// column break while the sentence runs on. Running headers, footers and
// page numbers are left out (PdfRunningLines.h). Paragraphs are separated
// by one empty line, CR LF.
QString pdfTextFromLines(std::vector<PdfPageLines> pages);

} // namespace Quillfen
