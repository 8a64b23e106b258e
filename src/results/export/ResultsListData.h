#pragma once

#include "ListData.h"

namespace Quillfen {

class ResultsModel;

// The results list as the exports read it: column 1, "Results", the rows'
// texts with their check boxes; with files, column 2, "File", each row's
// file path. Every row of the list is read, whatever the find box shows.
class ResultsListData final : public ListData
{
public:
    explicit ResultsListData(const ResultsModel &rows, bool withFiles = false)
        : m_rows(rows), m_withFiles(withFiles)
    {}

    int columnCount() const override { return m_withFiles ? 2 : 1; }
    QString headerText(int column) const override;
    int rowCount() const override;
    QString cell(int row, int column) const override;
    bool checked(int row) const override;
    // Read in place, without copying the text.
    qsizetype cellLength(int row, int column) const override;
    void appendCellUtf8(QByteArray &out, int row, int column) const override;
    bool keepsColumn(int column) const override { return column == 2; }

private:
    // The list's row (from 0) for a row and column numbered from 1;
    // throws Failure when there is no such cell (any more).
    int listRow(int row, int column) const;

    const ResultsModel &m_rows;
    bool m_withFiles;
};

} // namespace Quillfen
