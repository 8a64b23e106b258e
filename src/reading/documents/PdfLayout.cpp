#include "PdfLayout.h"

#include "PdfLineText.h"
#include "PdfRunningLines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace Quillfen {

void PdfLineCollector::addWord(const QString &text, const QRectF &box, bool spaceAfter,
                               bool lineEnds)
{
    if (m_words.empty()) {
        m_line = PdfLine{{}, box.left(), box.right(), box.top(), box.bottom()};
    } else {
        m_line.left = std::min(m_line.left, box.left());
        m_line.right = std::max(m_line.right, box.right());
        m_line.top = std::min(m_line.top, box.top());
        m_line.bottom = std::max(m_line.bottom, box.bottom());
    }
    m_words.push_back({box.width(), box.height(), box.center().y()});
    m_line.text += text;
    if (spaceAfter && !lineEnds)
        m_line.text += u' ';
    if (lineEnds)
        endLine();
}

void PdfLineCollector::endLine()
{
    if (m_words.empty())
        return;
    const auto median = [&](double Word::*field) {
        std::vector<double> values;
        values.reserve(m_words.size());
        for (const Word &word : m_words)
            values.push_back(word.*field);
        const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
        std::nth_element(values.begin(), middle, values.end());
        return *middle;
    };
    m_line.size = median(&Word::height);
    m_line.middle = median(&Word::middle);
    // The first word as drawn starts a left-to-right line, the last one a
    // right-to-left line: take() tells which it is.
    m_line.firstWordWidth = m_words.front().width;
    m_line.rightToLeft = false;
    m_lastWordWidths.push_back(m_words.back().width);
    m_page.lines.push_back(std::move(m_line));
    m_words.clear();
}

PdfPageLines PdfLineCollector::take()
{
    endLine();
    std::vector<double> lastWordWidths = std::exchange(m_lastWordWidths, {});
    PdfPageLines page = std::exchange(m_page, PdfPageLines{});
    // The page's way: most of its lines that hold right-to-left letters
    // run right to left.
    std::vector<bool> hasRightToLeft(page.lines.size());
    qsizetype rightToLeftLines = 0;
    qsizetype leftToRightLines = 0;
    for (std::size_t i = 0; i < page.lines.size(); ++i) {
        hasRightToLeft[i] = hasRightToLeftLetters(page.lines[i].text);
        if (hasRightToLeft[i])
            ++(runsRightToLeft(page.lines[i].text, false) ? rightToLeftLines : leftToRightLines);
    }
    const bool pageRunsRightToLeft = rightToLeftLines > leftToRightLines;
    for (std::size_t i = 0; i < page.lines.size(); ++i) {
        PdfLine &line = page.lines[i];
        if (hasRightToLeft[i]) {
            line.rightToLeft = runsRightToLeft(line.text, pageRunsRightToLeft);
            if (line.rightToLeft)
                line.firstWordWidth = lastWordWidths[i];
            line.text = readingOrder(line.text, line.rightToLeft);
        }
        line.text = presentationFormsAsLetters(line.text).trimmed();
    }
    std::erase_if(page.lines, [](const PdfLine &line) { return line.text.isEmpty(); });
    return page;
}

namespace {

// The left and right edges of the column a line stands in: the extent of
// the lines near it in reading order that share most of its width.
struct Edges
{
    double left;
    double right;
};

std::vector<Edges> columnEdges(const std::vector<PdfLine> &lines)
{
    constexpr std::ptrdiff_t Reach = 6;
    const auto n = std::ptrdiff_t(lines.size());
    std::vector<Edges> edges(lines.size());
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        const PdfLine &line = lines[std::size_t(i)];
        Edges e{line.left, line.right};
        for (std::ptrdiff_t j = std::max<std::ptrdiff_t>(0, i - Reach);
             j < std::min(n, i + Reach + 1); ++j) {
            const PdfLine &other = lines[std::size_t(j)];
            const double overlap =
                std::min(line.right, other.right) - std::max(line.left, other.left);
            const double narrower = std::min(line.right - line.left, other.right - other.left);
            if (overlap > 0.5 * narrower) {
                e.left = std::min(e.left, other.left);
                e.right = std::max(e.right, other.right);
            }
        }
        edges[std::size_t(i)] = e;
    }
    return edges;
}

bool similarSize(const PdfLine &a, const PdfLine &b)
{
    return std::abs(a.size - b.size) <= 0.25 * std::max(a.size, b.size);
}

// Whether the line after another one follows it down the same column.
bool followsBelow(const PdfLine &before, const PdfLine &now)
{
    return now.top >= before.top + 0.5 * before.size &&
           std::min(before.right, now.right) > std::max(before.left, now.left);
}

// The gap between two lines in units of their type size, between the
// boxes of most of their words.
double gapRatio(const PdfLine &before, const PdfLine &now)
{
    const double gap = now.middle - before.middle - (before.size + now.size) / 2;
    return gap / std::max(1.0, std::max(before.size, now.size));
}

// Gaps between the lines of a page that follow each other down a column
// at one type size, in units of that size.
std::vector<double> lineGaps(const std::vector<PdfLine> &lines)
{
    std::vector<double> gaps;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (followsBelow(lines[i - 1], lines[i]) && similarSize(lines[i - 1], lines[i]))
            gaps.push_back(gapRatio(lines[i - 1], lines[i]));
    }
    return gaps;
}

// The gap (in type sizes) above which lines are apart, from the gaps'
// distribution: the lowest cluster of gaps is the gap between the lines
// of a paragraph, however many paragraphs are a single line; the limit
// is the emptiest place between it and the next cluster, or a little above
// it when there is none.
double gapLimitOfClusters(const std::vector<double> &gaps)
{
    constexpr double BinWidth = 0.05;
    constexpr double Lowest = -0.5;
    constexpr std::size_t Bins = 120;
    constexpr double Above = 0.4;
    std::array<double, Bins> counts{};
    std::size_t counted = 0;
    for (const double gap : gaps) {
        if (gap < Lowest)
            continue;
        counts[std::min(Bins - 1, std::size_t((gap - Lowest) / BinWidth))] += 1;
        ++counted;
    }
    if (counted == 0)
        return Above;
    std::array<double, Bins> smooth{};
    for (std::size_t b = 0; b < Bins; ++b)
        smooth[b] =
            2 * counts[b] + (b > 0 ? counts[b - 1] : 0) + (b + 1 < Bins ? counts[b + 1] : 0);
    // A cluster counts when it holds a tenth of the gaps (or one gap of a
    // few).
    const double enough = std::max(1.0, double(counted) / 10.0);
    const auto clusterAt = [&](std::size_t from) -> std::optional<std::size_t> {
        for (std::size_t b = from; b < Bins; ++b) {
            // The top of a rise in the smoothed counts, holding enough.
            std::size_t end = b;
            while (end + 1 < Bins && smooth[end + 1] == smooth[b])
                ++end;
            const bool peak = (b == 0 || smooth[b - 1] < smooth[b]) &&
                              (end + 1 == Bins || smooth[end + 1] < smooth[b]);
            double mass = 0;
            for (std::size_t k = b > 2 ? b - 2 : 0; k <= std::min(Bins - 1, end + 2); ++k)
                mass += counts[k];
            if (peak && mass >= enough)
                return (b + end) / 2;
            b = end;
        }
        return std::nullopt;
    };
    const std::optional<std::size_t> lines = clusterAt(0);
    if (!lines)
        return Above;
    const double lineGap = Lowest + (double(*lines) + 0.5) * BinWidth;
    // Paragraph gaps are a good part of a line wider than line gaps; gaps
    // nearer than that differ by a superscript or a taller glyph.
    const std::size_t clear = *lines + std::size_t(0.35 / BinWidth);
    const std::optional<std::size_t> paragraphs = clusterAt(clear);
    if (!paragraphs)
        return lineGap + Above;
    // The emptiest bin between the two, its middle if several.
    std::size_t first = *lines + 1;
    std::size_t last = first;
    for (std::size_t b = *lines + 1; b < *paragraphs; ++b) {
        if (smooth[b] < smooth[first]) {
            first = b;
            last = b;
        } else if (smooth[b] == smooth[first] && last + 1 == b) {
            last = b;
        }
    }
    return Lowest + (double(first + last) / 2.0 + 0.5) * BinWidth;
}

// The same, save that a gap of a line and a half always sets lines apart.
double paragraphGapLimit(const std::vector<double> &gaps)
{
    return std::min(1.5, gapLimitOfClusters(gaps));
}

struct PlacedLine
{
    const PdfLine *line;
    Edges edges;
    bool indented;
};

bool splitsWord(const QString &paragraph, const QString &next)
{
    if (paragraph.size() < 2 || next.isEmpty() || !next.front().isLower())
        return false;
    const QChar last = paragraph.back();
    return (last == u'-' || last == QChar(0x2010) || last == QChar(0x00AD)) &&
           paragraph[paragraph.size() - 2].isLetter();
}

// A list item's start: a bullet, or a number or letter then "." or ")".
bool startsListItem(const QString &text)
{
    static const QString Bullets = u"•◦▪▫■□●○‣⁃∙·–—*-"_s;
    if (text.size() >= 2 && Bullets.contains(text[0]) && text[1].isSpace())
        return true;
    qsizetype i = text.startsWith(u'(') ? 1 : 0;
    const qsizetype start = i;
    while (i < text.size() && i - start < 3 && text[i].isDigit())
        ++i;
    if (i == start && i < text.size() && text[i].isLetter() && text[i].isLower())
        ++i;
    return i > start && i + 1 < text.size() && (text[i] == u'.' || text[i] == u')') &&
           text[i + 1].isSpace();
}

bool endsSentence(const QString &text)
{
    static const QString Ends = u".!?:;。！？"_s;
    QString trimmed = text;
    while (!trimmed.isEmpty() && u"\"'”’)]»"_s.contains(trimmed.back()))
        trimmed.chop(1);
    return !trimmed.isEmpty() && Ends.contains(trimmed.back());
}

class ParagraphJoiner
{
public:
    // How the document marks its paragraphs: by space between them, or by
    // a first-line indent.
    ParagraphJoiner(bool spacedParagraphs, bool indentedParagraphs)
        : m_spacedParagraphs(spacedParagraphs), m_indentedParagraphs(indentedParagraphs)
    {}

    void add(const PlacedLine &line, bool samePage, double gapLimit)
    {
        const Step step = m_previous ? stepTo(line, samePage, gapLimit) : Step::NewParagraph;
        if (step == Step::NewParagraph)
            flush();
        const QString &text = line.line->text;
        if (m_paragraph.isEmpty()) {
            m_paragraph = text;
        } else if (step == Step::LineBreak) {
            m_paragraph += u"\r\n"_s + text;
        } else if (splitsWord(m_paragraph, text)) {
            m_paragraph.chop(1);
            m_paragraph += text;
        } else if (joinsWithoutSpace(m_paragraph, text)) {
            m_paragraph += text;
        } else {
            m_paragraph += u' ' + text;
        }
        m_inList = startsListItem(text) || (m_inList && step != Step::NewParagraph);
        m_previous = line;
    }

    QString take()
    {
        flush();
        return std::move(m_text);
    }

private:
    enum class Step { Join, LineBreak, NewParagraph };

    Step stepTo(const PlacedLine &line, bool samePage, double gapLimit) const
    {
        const PdfLine &before = *m_previous->line;
        const PdfLine &now = *line.line;
        // On to the next page or column: the paragraph runs on while its
        // sentence does.
        const bool broken = !samePage || !followsBelow(before, now);
        if (!broken && gapRatio(before, now) > gapLimit)
            return Step::NewParagraph;
        if (!similarSize(before, now))
            return Step::NewParagraph;
        if (line.indented)
            return Step::NewParagraph;
        if (startsListItem(now.text) && (m_inList || endsSentence(before.text)))
            return Step::NewParagraph;
        // The next line's first word would have fitted: the line was ended,
        // by a line break where paragraphs are set apart by space.
        const double room = before.rightToLeft ? before.left - m_previous->edges.left
                                               : m_previous->edges.right - before.right;
        if (room > now.firstWordWidth + 0.25 * before.size + 1.0)
            return m_spacedParagraphs && !broken ? Step::LineBreak : Step::NewParagraph;
        // Across a break, where no indent tells, a paragraph ends with its
        // sentence.
        if (broken && !m_indentedParagraphs && endsSentence(before.text) &&
            !now.text.front().isLower())
            return Step::NewParagraph;
        return Step::Join;
    }

    void flush()
    {
        if (m_paragraph.isEmpty())
            return;
        if (!m_text.isEmpty())
            m_text += u"\r\n\r\n"_s;
        m_text += m_paragraph;
        m_paragraph.clear();
    }

    bool m_spacedParagraphs;
    bool m_indentedParagraphs;
    bool m_inList = false;
    QString m_text;
    QString m_paragraph;
    std::optional<PlacedLine> m_previous;
};

} // namespace

QString pdfTextFromLines(std::vector<PdfPageLines> pages)
{
    dropRunningLines(pages);
    struct Layout
    {
        std::vector<Edges> edges;
        double gapLimit;
    };
    std::vector<Layout> layouts;
    // A page with few gaps of its own is read with the document's.
    std::vector<double> allGaps;
    std::vector<std::vector<double>> pageGaps;
    for (const PdfPageLines &page : pages) {
        pageGaps.push_back(lineGaps(page.lines));
        allGaps.insert(allGaps.end(), pageGaps.back().begin(), pageGaps.back().end());
    }
    const double documentLimit = paragraphGapLimit(allGaps);
    // Paragraphs set apart by space: then a line ended early without that
    // space was ended by a line break.
    std::size_t spaced = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        constexpr std::size_t FewGaps = 6;
        const double limit =
            pageGaps[p].size() < FewGaps ? documentLimit : paragraphGapLimit(pageGaps[p]);
        layouts.push_back({columnEdges(pages[p].lines), limit});
        spaced += std::size_t(std::count_if(pageGaps[p].begin(), pageGaps[p].end(),
                                            [&](double gap) { return gap > limit; }));
    }
    std::vector<std::vector<bool>> indents;
    std::size_t indented = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto &lines = pages[p].lines;
        const Layout &layout = layouts[p];
        auto inFromColumn = [&](std::size_t i) {
            return lines[i].rightToLeft
                       ? lines[i].right < layout.edges[i].right - 0.5 * lines[i].size
                       : lines[i].left > layout.edges[i].left + 0.5 * lines[i].size;
        };
        // A first-line indent: this line in from its column, the lines
        // around it not (a hanging indent is not a new paragraph).
        indents.emplace_back(lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            indents[p][i] = inFromColumn(i) && (i == 0 || !inFromColumn(i - 1)) &&
                            (i + 1 == lines.size() || !inFromColumn(i + 1));
            indented += indents[p][i] ? 1 : 0;
        }
    }
    const bool spacedParagraphs = spaced >= 2 && spaced * 20 >= allGaps.size();
    ParagraphJoiner joiner(spacedParagraphs, !spacedParagraphs && indented >= 2);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto &lines = pages[p].lines;
        for (std::size_t i = 0; i < lines.size(); ++i)
            joiner.add({&lines[i], layouts[p].edges[i], indents[p][i]}, i > 0, layouts[p].gapLimit);
    }
    return joiner.take();
}

} // namespace Quillfen
