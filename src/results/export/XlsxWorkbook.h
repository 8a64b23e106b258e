#pragma once

#include <QString>
#include <QStringView>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace Quillfen {

// A new .xlsx workbook with one sheet, written by libxlsxwriter when it is
// closed. Rows must be written in ascending order (the sheet keeps only
// the current row in memory). Every value is a text cell. Failures throw
// Failure with the library's description.
class XlsxWorkbook
{
public:
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;
    // Characters (UTF-16 units) a cell holds.
    static constexpr qsizetype MaxCellLength = 32767;

    // The file is written at close(); tempFolder holds the sheet data until then.
    XlsxWorkbook(const QString &path, const QString &tempFolder);
    // Without close() nothing is written.
    ~XlsxWorkbook();
    Q_DISABLE_COPY_MOVE(XlsxWorkbook)

    void addSheet();
    // Row and column from 1. A text longer than a cell holds is written up
    // to MaxCellLength, a surrogate pair never split; returns false then.
    bool writeText(int row, int column, QStringView text);
    // Width in characters of the default font.
    void setColumnWidth(int column, double width);
    void close();

    const QString &path() const { return m_path; }

private:
    QString m_path;
    QByteArray m_tempFolder;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_wrapped = nullptr; // owned by the workbook
};

} // namespace Quillfen
