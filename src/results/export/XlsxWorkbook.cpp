#include "XlsxWorkbook.h"

#include "platform/Failure.h"

#include <QFile>
#include <utility>
#include <xlsxwriter.h>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

[[noreturn]] void fail(lxw_error error)
{
    throw Failure(QString::fromUtf8(lxw_strerror(error)));
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The sheet format writes characters XML cannot carry as "_xHHHH_", which
// the library does for control characters. A text that holds such a
// sequence itself keeps it only when its "_" is written as "_x005F_".
QByteArray sheetText(QStringView text)
{
    if (!text.contains(u"_x"))
        return text.toUtf8();
    QString escaped;
    escaped.reserve(text.size() + 14);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' &&
            isHexDigit(text[i + 2]) && isHexDigit(text[i + 3]) && isHexDigit(text[i + 4]) &&
            isHexDigit(text[i + 5]) && text[i + 6] == u'_') {
            escaped += u"_x005F_";
            continue;
        }
        escaped += text[i];
    }
    return escaped.toUtf8();
}

} // namespace

XlsxWorkbook::XlsxWorkbook(const QString &path, const QString &tempFolder)
    : m_path(path), m_tempFolder(QFile::encodeName(tempFolder))
{
    lxw_workbook_options options = {};
    // Rows go to a temporary file as they are finished, so a long list
    // does not have to fit in memory twice; text is stored inline.
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_tempFolder.isEmpty() ? nullptr : m_tempFolder.data();
    m_workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!m_workbook)
        throw Failure(u"Cannot create the workbook %1"_s.arg(path));
}

XlsxWorkbook::~XlsxWorkbook()
{
    if (m_workbook)
        lxw_workbook_free(m_workbook);
}

void XlsxWorkbook::addSheet()
{
    if (!m_workbook)
        throw Failure(u"The workbook is closed"_s);
    m_sheet = workbook_add_worksheet(m_workbook, nullptr);
    if (!m_sheet)
        throw Failure(u"Cannot add a sheet to the workbook %1"_s.arg(m_path));
    // Every cell wraps, so that text longer than its column shows whole
    // instead of running under the next column. Rows are flushed as they are
    // written, before the widths are known, so the cells carry the format
    // rather than the columns.
    m_wrapped = workbook_add_format(m_workbook);
    if (!m_wrapped)
        throw Failure(u"Cannot add a format to the workbook %1"_s.arg(m_path));
    format_set_text_wrap(m_wrapped);
}

bool XlsxWorkbook::writeText(int row, int column, QStringView text)
{
    const bool whole = text.size() <= MaxCellLength;
    if (!whole)
        text.truncate(text[MaxCellLength - 1].isHighSurrogate() ? MaxCellLength - 1
                                                                : MaxCellLength);
    if (!m_sheet)
        throw Failure(u"The workbook has no sheet"_s);
    if (row < 1 || row > MaxRows || column < 1 || column > MaxColumns)
        throw Failure(u"A sheet has no cell at row %1, column %2"_s.arg(row).arg(column));
    // worksheet_write_string stores a string cell whatever the text looks
    // like, so a leading "=" or a number stays text.
    const lxw_error error = worksheet_write_string(
        m_sheet, lxw_row_t(row - 1), lxw_col_t(column - 1), sheetText(text).constData(), m_wrapped);
    if (error != LXW_NO_ERROR)
        fail(error);
    return whole;
}

void XlsxWorkbook::setColumnWidth(int column, double width)
{
    if (!m_sheet)
        throw Failure(u"The workbook has no sheet"_s);
    if (column < 1 || column > MaxColumns)
        throw Failure(u"A sheet has no column %1"_s.arg(column));
    const lxw_col_t col = lxw_col_t(column - 1);
    const lxw_error error = worksheet_set_column(m_sheet, col, col, width, nullptr);
    if (error != LXW_NO_ERROR)
        fail(error);
}

void XlsxWorkbook::close()
{
    if (!m_workbook)
        throw Failure(u"The workbook is closed"_s);
    // workbook_close frees the workbook whatever it returns.
    lxw_workbook *workbook = std::exchange(m_workbook, nullptr);
    m_sheet = nullptr;
    m_wrapped = nullptr;
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        throw Failure(u"Cannot write the workbook %1: %2"_s.arg(
            m_path, QString::fromUtf8(lxw_strerror(error))));
    }
}

} // namespace Quillfen
