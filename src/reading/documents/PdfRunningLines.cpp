#include "PdfRunningLines.h"

#include <QHash>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// Lines nearer than this (in points) count as standing at the same height.
constexpr double SameHeight = 3.0;
// The top and bottom bands: this share of the height the pages' text spans.
constexpr double BandShare = 0.12;
// Lines looked at at each end of a page.
constexpr std::size_t LinesAtEachEnd = 2;

bool isRomanNumeral(const QString &text)
{
    static const QString Numerals = u"ivxlcdm"_s;
    return !text.isEmpty() && std::all_of(text.begin(), text.end(),
                                          [](QChar c) { return Numerals.contains(c.toLower()); });
}

// A line's text with its numbers as '#', so that "Page 3" and "Page 4", or
// "iv" and "v", match.
QString repeatKey(const QString &text)
{
    if (isRomanNumeral(text))
        return u"#"_s;
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
    double height; // of its top, or of its bottom
};

std::vector<std::size_t> topDown(const std::vector<PdfLine> &lines)
{
    std::vector<std::size_t> order(lines.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return lines[a].top < lines[b].top; });
    return order;
}

// The usual gap between the lines of a paragraph: low in the distribution
// of the gaps narrower than a line and a half, over all pages.
double usualLineGap(const std::vector<PdfPageLines> &pages)
{
    std::vector<double> gaps;
    for (const PdfPageLines &page : pages) {
        const std::vector<std::size_t> order = topDown(page.lines);
        for (std::size_t k = 1; k < order.size(); ++k) {
            const PdfLine &upper = page.lines[order[k - 1]];
            const PdfLine &lower = page.lines[order[k]];
            const double gap = lower.top - upper.bottom;
            if (gap < 1.5 * std::max(upper.size, lower.size))
                gaps.push_back(gap);
        }
    }
    if (gaps.empty())
        return 0;
    const auto quarter = gaps.begin() + std::ptrdiff_t((gaps.size() - 1) / 4);
    std::nth_element(gaps.begin(), quarter, gaps.end());
    return std::max(0.0, *quarter);
}

} // namespace

void dropRunningLines(std::vector<PdfPageLines> &pages)
{
    if (pages.size() < 2)
        return;
    double textTop = 0;
    double textBottom = 0;
    bool anyText = false;
    for (const PdfPageLines &page : pages) {
        for (const PdfLine &line : page.lines) {
            textTop = anyText ? std::min(textTop, line.top) : line.top;
            textBottom = anyText ? std::max(textBottom, line.bottom) : line.bottom;
            anyText = true;
        }
    }
    const double band = BandShare * (textBottom - textTop);
    const double usual = usualLineGap(pages);

    QHash<QString, std::vector<Candidate>> groups;
    std::size_t pagesWithText = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto &lines = pages[p].lines;
        if (lines.empty())
            continue;
        ++pagesWithText;
        const std::vector<std::size_t> order = topDown(lines);
        const std::size_t n = order.size();
        // Running lines stand apart from the text: more than the usual gap
        // between lines to the nearest line below a header (above a
        // footer). Lines beside each other at one height are one row.
        const auto apart = [&](const PdfLine &upper, const PdfLine &lower) {
            return lower.top - upper.bottom > usual + 0.3 * std::max(upper.size, lower.size);
        };
        std::size_t rows = 0;
        double rowHeight = 0;
        for (std::size_t k = 0; k < n; ++k) {
            const PdfLine &line = lines[order[k]];
            if (line.top > textTop + band)
                break;
            if (rows == 0 || std::abs(line.top - rowHeight) > SameHeight) {
                if (++rows > LinesAtEachEnd)
                    break;
                rowHeight = line.top;
            }
            std::size_t below = k + 1;
            while (below < n && lines[order[below]].top < line.bottom - SameHeight)
                ++below;
            if (below < n && !apart(line, lines[order[below]]))
                break;
            groups[u"t"_s + repeatKey(line.text)].push_back({p, order[k], line.top});
        }
        rows = 0;
        for (std::size_t k = n; k-- > 0;) {
            const PdfLine &line = lines[order[k]];
            if (line.bottom < textBottom - band)
                break;
            if (rows == 0 || std::abs(line.bottom - rowHeight) > SameHeight) {
                if (++rows > LinesAtEachEnd)
                    break;
                rowHeight = line.bottom;
            }
            std::size_t above = k;
            while (above > 0 && lines[order[above - 1]].bottom > line.top + SameHeight)
                --above;
            if (above > 0 && !apart(lines[order[above - 1]], line))
                break;
            groups[u"b"_s + repeatKey(line.text)].push_back({p, order[k], line.bottom});
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
        std::nth_element(heights.begin(), heights.begin() + std::ptrdiff_t(heights.size() / 2),
                         heights.end());
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
        // What repeats on every page may be all that a page holds: then it
        // is the text.
        if (std::all_of(dropped[p].begin(), dropped[p].end(), [](bool d) { return d; }))
            continue;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!dropped[p][i])
                lines[kept++] = std::move(lines[i]);
        }
        lines.resize(kept);
    }
}

} // namespace Quillfen
