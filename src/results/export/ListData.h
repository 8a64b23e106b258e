#pragma once

#include "reading/Utf8Encoding.h"

#include <QByteArray>
#include <QString>

namespace Quillfen {

// A list control as the exports read it: columns and rows numbered from 1.
// Column 1 holds the row's text, column k > 1 its (k-1)-th sub-item. The
// exports yield to the event loop while they read, so the list may change
// between two calls; reading a row that no longer exists throws Failure.
class ListData
{
public:
    virtual ~ListData() = default;

    virtual int columnCount() const = 0;
    virtual QString headerText(int column) const = 0;
    virtual int rowCount() const = 0;
    virtual QString cell(int row, int column) const = 0;
    virtual bool checked(int row) const = 0;

    // The length of cell(row, column) in UTF-16 units; a list that holds
    // its texts in one buffer can answer without copying.
    virtual qsizetype cellLength(int row, int column) const { return cell(row, column).size(); }
    // Appends cell(row, column) to out as UTF-8 (an unpaired surrogate as
    // U+FFFD); a list that holds UTF-8 copies its bytes.
    virtual void appendCellUtf8(QByteArray &out, int row, int column) const
    {
        appendUtf8(out, cell(row, column));
    }
    // A column whose cells the spreadsheet keeps in their own sheet column,
    // under its header, exactly as they are (a file's path): sub-items in
    // general move left past empty cells and lose their "=".
    virtual bool keepsColumn(int column) const
    {
        Q_UNUSED(column)
        return false;
    }
};

} // namespace Quillfen
