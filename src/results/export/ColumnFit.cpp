#include "ColumnFit.h"

#include <algorithm>

namespace Quillfen {

namespace {

// Wider, a column of long rows pushes the next one off the screen; the
// sheet wraps what is longer.
constexpr double MaxWidth = 100;
constexpr double Margin = 1;

bool isWide(char32_t cp)
{
    return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF && cp != 0x303F) ||
           (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
           (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1FAFF) ||
           (cp >= 0x20000 && cp <= 0x3FFFD);
}

} // namespace

qsizetype ColumnFit::displayLength(QStringView line)
{
    qsizetype longest = 0;
    qsizetype current = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        char32_t cp = line[i].unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < line.size() && line[i + 1].isLowSurrogate())
            cp = QChar::surrogateToUcs4(char16_t(cp), line[++i].unicode());
        if (cp == U'\r' || cp == U'\n') {
            current = 0;
            continue;
        }
        current += isWide(cp) ? 2 : 1;
        longest = std::max(longest, current);
    }
    return longest;
}

void ColumnFit::note(int column, QStringView text)
{
    if (column < 1)
        return;
    if (m_longest.size() < column)
        m_longest.resize(column, 0);
    qsizetype &longest = m_longest[column - 1];
    // No character counts more than twice, so a short text cannot widen
    // the column and need not be measured.
    if (longest < MaxWidth && 2 * text.size() > longest)
        longest = std::max(longest, displayLength(text));
}

double ColumnFit::width(int column) const
{
    if (column < 1 || column > m_longest.size() || m_longest[column - 1] == 0)
        return 0;
    return std::min(MaxWidth, double(m_longest[column - 1]) + Margin);
}

} // namespace Quillfen
