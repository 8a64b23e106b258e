#pragma once

#include <QList>
#include <QStringView>

namespace Quillfen {

// The width each sheet column needs for its longest text, in characters of
// the sheet's default font: the longest line of any cell, East Asian wide
// characters counting twice, plus a little margin; at most 100, wide enough
// to read and narrow enough to leave the next column on the screen.
class ColumnFit
{
public:
    // Column from 1.
    void note(int column, QStringView text);
    // 0 for a column that got no text.
    double width(int column) const;
    int columnCount() const { return int(m_longest.size()); }

    static qsizetype displayLength(QStringView line);

private:
    QList<qsizetype> m_longest;
};

} // namespace Quillfen
