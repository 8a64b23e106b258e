#include "ResultsListData.h"

#include "platform/Failure.h"
#include "results/ResultsModel.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

int ResultsListData::modelRow(int row, int column) const
{
    if (row < 1 || row > m_rows.rowCount() || column != 1)
        throw Failure(u"Index out of bounds"_s);
    return row - 1;
}

QString ResultsListData::headerText(int column) const
{
    if (column != 1)
        throw Failure(u"Index out of bounds"_s);
    return m_rows.headerText();
}

int ResultsListData::rowCount() const
{
    return m_rows.rowCount();
}

QString ResultsListData::cell(int row, int column) const
{
    return m_rows.rowText(modelRow(row, column));
}

bool ResultsListData::checked(int row) const
{
    return m_rows.isChecked(modelRow(row, 1));
}

qsizetype ResultsListData::cellLength(int row, int column) const
{
    return m_rows.rows().utf16Length(modelRow(row, column));
}

void ResultsListData::appendCellUtf8(QByteArray &out, int row, int column) const
{
    const RowStore &rows = m_rows.rows();
    if (rows.keepsSurrogates())
        return ListData::appendCellUtf8(out, row, column);
    out.append(rows.utf8(modelRow(row, column)));
}

} // namespace Quillfen
