#pragma once

#include "ListData.h"

namespace Quillfen {

class ResultsModel;

// The results list as the exports read it: one column, "Results", and the
// rows the views show, with their check boxes.
class ResultsListData final : public ListData
{
public:
    explicit ResultsListData(const ResultsModel &rows) : m_rows(rows) {}

    int columnCount() const override { return 1; }
    QString headerText(int column) const override;
    int rowCount() const override;
    QString cell(int row, int column) const override;
    bool checked(int row) const override;
    // Read in place, without copying the text.
    qsizetype cellLength(int row, int column) const override;
    void appendCellUtf8(QByteArray &out, int row, int column) const override;

private:
    // The model's row (from 0) for a row and column numbered from 1;
    // throws Failure when there is no such cell (any more).
    int modelRow(int row, int column) const;

    const ResultsModel &m_rows;
};

} // namespace Quillfen
