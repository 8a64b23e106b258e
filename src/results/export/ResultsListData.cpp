#include "ResultsListData.h"

#include "platform/Failure.h"
#include "results/ResultsModel.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

int ResultsListData::listRow(int row, int column) const
{
    if (row < 1 || row > m_rows.listRowCount() || column < 1 || column > columnCount())
        throw Failure(u"Index out of bounds"_s);
    return row - 1;
}

QString ResultsListData::headerText(int column) const
{
    if (column < 1 || column > columnCount())
        throw Failure(u"Index out of bounds"_s);
    return column == 1 ? m_rows.headerText() : u"File"_s;
}

int ResultsListData::rowCount() const
{
    return m_rows.listRowCount();
}

QString ResultsListData::cell(int row, int column) const
{
    const int at = listRow(row, column);
    return column == 1 ? m_rows.rows().text(at) : m_rows.listFilePath(at);
}

bool ResultsListData::checked(int row) const
{
    return m_rows.rows().isChecked(listRow(row, 1));
}

qsizetype ResultsListData::cellLength(int row, int column) const
{
    const int at = listRow(row, column);
    return column == 1 ? m_rows.rows().utf16Length(at) : m_rows.listFilePath(at).size();
}

void ResultsListData::appendCellUtf8(QByteArray &out, int row, int column) const
{
    const RowStore &rows = m_rows.rows();
    if (column != 1 || rows.keepsSurrogates())
        return ListData::appendCellUtf8(out, row, column);
    out.append(rows.utf8(listRow(row, column)));
}

} // namespace Quillfen
