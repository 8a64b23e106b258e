#include "PdfLayout.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace Quillfen {

void PdfLineCollector::addWord(const QString &text, const QRectF &box, bool spaceAfter,
                               bool lineEnds)
{
    if (!m_open) {
        m_line = PdfLine{{}, box.left(), box.right(), box.top(), box.bottom(), box.width()};
        m_open = true;
    } else {
        m_line.left = std::min(m_line.left, box.left());
        m_line.right = std::max(m_line.right, box.right());
        m_line.top = std::min(m_line.top, box.top());
        m_line.bottom = std::max(m_line.bottom, box.bottom());
    }
    m_line.text += text;
    if (spaceAfter && !lineEnds)
        m_line.text += u' ';
    if (lineEnds) {
        m_page.lines.push_back(std::move(m_line));
        m_open = false;
    }
}

PdfPageLines PdfLineCollector::take()
{
    if (m_open)
        m_page.lines.push_back(std::move(m_line));
    m_open = false;
    for (PdfLine &line : m_page.lines)
        line.text = line.text.trimmed();
    std::erase_if(m_page.lines, [](const PdfLine &line) { return line.text.isEmpty(); });
    return std::exchange(m_page, PdfPageLines{});
}

namespace {

// Lines nearer than this (in points) count as standing at the same height.
constexpr double SameHeight = 3.0;

// A line's text with its digits as '#', so that "Page 3" and "Page 4" match.
QString repeatKey(const QString &text)
{
    QString key;
    key.reserve(text.size());
    bool inDigits = false;
    for (const QChar c : text) {
        if (c.isDigit()) {
            if (!inDigits)
                key += u'#';
            inDigits = true;
        } else if (!c.isSpace()) {
            key += c.toLower();
            inDigits = false;
        }
    }
    return key;
}

struct Candidate
{
    std::size_t page;
    std::size_t line;
    double height; // of its top, or of its bottom from the page's end
};

// Leaves out the top and bottom lines of pages that repeat on other pages.
void dropRunningLines(std::vector<PdfPageLines> &pages)
{
    if (pages.size() < 2)
        return;
    constexpr std::size_t Band = 2; // lines looked at at each end
    QHash<QString, std::vector<Candidate>> groups;
    std::size_t pagesWithText = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto &lines = pages[p].lines;
        if (lines.empty())
            continue;
        ++pagesWithText;
        std::vector<std::size_t> order(lines.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return lines[a].top < lines[b].top; });
        // Running lines stand apart from the text: a line's height or more
        // beyond the usual gap between lines.
        std::vector<double> gaps;
        for (std::size_t k = 1; k < order.size(); ++k)
            gaps.push_back(lines[order[k]].top - lines[order[k - 1]].bottom);
        double usual = 0;
        if (!gaps.empty()) {
            std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
            usual = gaps[gaps.size() / 2];
        }
        const auto apart = [&](std::size_t upper, std::size_t lower) {
            const PdfLine &a = lines[order[upper]];
            const PdfLine &b = lines[order[lower]];
            return b.top - a.bottom > usual + std::max(a.height(), b.height());
        };
        const std::size_t n = order.size();
        for (std::size_t k = 0; k < n && k < Band; ++k) {
            if (k + 1 < n && !apart(k, k + 1))
                break;
            const std::size_t top = order[k];
            groups[u"t"_s + repeatKey(lines[top].text)].push_back({p, top, lines[top].top});
        }
        for (std::size_t k = 0; k < n && k < Band; ++k) {
            if (k + 1 < n && !apart(n - 2 - k, n - 1 - k))
                break;
            const std::size_t bottom = order[n - 1 - k];
            groups[u"b"_s + repeatKey(lines[bottom].text)].push_back(
                {p, bottom, lines[bottom].bottom});
        }
    }
    std::vector<std::vector<bool>> dropped(pages.size());
    for (std::size_t p = 0; p < pages.size(); ++p)
        dropped[p].assign(pages[p].lines.size(), false);
    for (auto group = groups.cbegin(); group != groups.cend(); ++group) {
        const auto &members = group.value();
        if (members.size() < 2)
            continue;
        std::vector<double> heights;
        for (const Candidate &c : members)
            heights.push_back(c.height);
        std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
        const double median = heights[heights.size() / 2];
        std::vector<const Candidate *> repeated;
        std::size_t lastPage = pages.size();
        std::size_t pageCount = 0;
        for (const Candidate &c : members) {
            if (std::abs(c.height - median) > SameHeight)
                continue;
            repeated.push_back(&c);
            if (c.page != lastPage)
                ++pageCount;
            lastPage = c.page;
        }
        if (pageCount < 2 || pageCount * 3 < pagesWithText)
            continue;
        for (const Candidate *c : repeated)
            dropped[c->page][c->line] = true;
    }
    for (std::size_t p = 0; p < pages.size(); ++p) {
        auto &lines = pages[p].lines;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!dropped[p][i])
                lines[kept++] = std::move(lines[i]);
        }
        lines.resize(kept);
    }
}

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
            const double narrower =
                std::min(line.right - line.left, other.right - other.left);
            if (overlap > 0.5 * narrower) {
                e.left = std::min(e.left, other.left);
                e.right = std::max(e.right, other.right);
            }
        }
        edges[std::size_t(i)] = e;
    }
    return edges;
}

double medianGap(const std::vector<PdfLine> &lines)
{
    std::vector<double> gaps;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].top >= lines[i - 1].top)
            gaps.push_back(lines[i].top - lines[i - 1].bottom);
    }
    if (gaps.empty())
        return 0;
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    return gaps[gaps.size() / 2];
}

// A gap between two lines larger than this sets paragraphs apart.
double gapLimit(double usualGap, const PdfLine &line)
{
    return usualGap + 0.4 * line.height();
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
    return (last == u'-' || last == QChar(0x2010) || last == QChar(0x00AD))
        && paragraph[paragraph.size() - 2].isLetter();
}

class ParagraphJoiner
{
public:
    explicit ParagraphJoiner(bool spacedParagraphs) : m_spacedParagraphs(spacedParagraphs) {}

    void add(const PlacedLine &line, bool samePage, double gapLimit)
    {
        const Step step = m_previous ? stepTo(line, samePage, gapLimit) : Step::NewParagraph;
        if (step == Step::NewParagraph)
            flush();
        if (m_paragraph.isEmpty()) {
            m_paragraph = line.line->text;
        } else if (step == Step::LineBreak) {
            m_paragraph += u"\r\n"_s + line.line->text;
        } else if (splitsWord(m_paragraph, line.line->text)) {
            m_paragraph.chop(1);
            m_paragraph += line.line->text;
        } else {
            m_paragraph += u' ' + line.line->text;
        }
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
        const double height = std::max(before.height(), now.height());
        if (samePage) {
            if (now.top - before.bottom > gapLimit)
                return Step::NewParagraph;
            if (std::abs(now.height() - before.height()) > 0.25 * height)
                return Step::NewParagraph;
        }
        if (line.indented)
            return Step::NewParagraph;
        // The next line's first word would have fitted: the line was ended,
        // by a line break where paragraphs are set apart by space.
        const double room = m_previous->edges.right - before.right;
        if (room > now.firstWordWidth + 0.25 * before.height() + 1.0)
            return m_spacedParagraphs && samePage ? Step::LineBreak : Step::NewParagraph;
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
        double usualGap;
    };
    std::vector<Layout> layouts;
    // Paragraphs set apart by space: then a line ended early without that
    // space was ended by a line break.
    std::size_t pairs = 0;
    std::size_t spaced = 0;
    for (const PdfPageLines &page : pages) {
        const auto &lines = page.lines;
        layouts.push_back({columnEdges(lines), medianGap(lines)});
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (lines[i].top < lines[i - 1].top)
                continue;
            ++pairs;
            if (lines[i].top - lines[i - 1].bottom > gapLimit(layouts.back().usualGap, lines[i]))
                ++spaced;
        }
    }
    ParagraphJoiner joiner(spaced >= 2 && spaced * 20 >= pairs);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto &lines = pages[p].lines;
        const Layout &layout = layouts[p];
        auto indentedAt = [&](std::size_t i) {
            return lines[i].left > layout.edges[i].left + 0.5 * lines[i].height();
        };
        for (std::size_t i = 0; i < lines.size(); ++i) {
            // A first-line indent: this line in from its column, the lines
            // around it not (a hanging indent is not a new paragraph).
            const bool indented = indentedAt(i) && (i == 0 || !indentedAt(i - 1))
                && (i + 1 == lines.size() || !indentedAt(i + 1));
            joiner.add({&lines[i], layout.edges[i], indented}, i > 0,
                       gapLimit(layout.usualGap, lines[i]));
        }
    }
    return joiner.take();
}

} // namespace Quillfen
