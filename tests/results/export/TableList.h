#pragma once

// A list of rows and columns held in plain containers, for driving the
// exports without a window.

#include "platform/Failure.h"
#include "results/export/ListData.h"

#include <QList>
#include <QStringList>

namespace Quillfen::Testing {

class TableList final : public ListData
{
public:
    QStringList headers{QStringLiteral("Results")};
    QList<QStringList> rows; // cells of each row; missing cells are empty
    QList<bool> checks;

    void add(const QStringList &cells, bool isChecked = true)
    {
        rows << cells;
        checks << isChecked;
    }
    void addTexts(const QStringList &texts)
    {
        for (const QString &text : texts)
            add({text});
    }
    void clear()
    {
        rows.clear();
        checks.clear();
    }

    int columnCount() const override { return int(headers.size()); }
    QString headerText(int column) const override { return headers.value(column - 1); }
    int rowCount() const override { return int(rows.size()); }
    QString cell(int row, int column) const override
    {
        requireRow(row);
        return rows[row - 1].value(column - 1);
    }
    bool checked(int row) const override
    {
        requireRow(row);
        return checks[row - 1];
    }

private:
    void requireRow(int row) const
    {
        if (row < 1 || row > rows.size())
            throw Failure(QStringLiteral("Index out of bounds"));
    }
};

} // namespace Quillfen::Testing
