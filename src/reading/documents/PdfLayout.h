#pragma once

#include <QRectF>
#include <QString>

#include <vector>

namespace Quillfen {

// One line of a PDF page as poppler's reading order gives it, in points
// from the page's top left.
struct PdfLine
{
    QString text;
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
    double firstWordWidth = 0;

    double height() const { return bottom - top; }
};

struct PdfPageLines
{
    std::vector<PdfLine> lines;
};

// Collects a page's words, as poppler gives them, into lines.
class PdfLineCollector
{
public:
    void addWord(const QString &text, const QRectF &box, bool spaceAfter, bool lineEnds);
    PdfPageLines take();

private:
    PdfPageLines m_page;
    PdfLine m_line;
    bool m_open = false;
};

// The text of a document's pages with its paragraphs rebuilt from the
// layout: a larger gap, an indented first line or a change of size ends a
// paragraph, and so does a line that the next line's first word would have
// fitted after, unless the document sets its paragraphs apart by space:
// then such a line ended with a line break (CR LF). The other lines of a
// paragraph are joined with a space, or without their hyphen when it
// splits a word, also across a page break.
// Lines at a page's top or bottom that repeat, their digits aside, at the
// same height on other pages (running headers and footers, page numbers)
// are left out. Paragraphs are separated by one empty line, CR LF.
QString pdfTextFromLines(std::vector<PdfPageLines> pages);

} // namespace Quillfen
