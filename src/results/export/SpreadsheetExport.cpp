#include "SpreadsheetExport.h"

#include "ColumnFit.h"
#include "XlsxWorkbook.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "platform/Failure.h"
#include "platform/PacedYield.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <optional>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// A name no earlier export used, so that a workbook still open elsewhere
// is never overwritten.
QString newWorkbookPath(const QString &folder)
{
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyy-MM-dd-HHmmss"_s);
    QString path = folder + u"/Results-"_s + stamp + u".xlsx"_s;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder + u"/Results-"_s + stamp + u'-' + QString::number(n) + u".xlsx"_s;
    return path;
}

QString withoutEquals(QString text)
{
    return text.remove(u'=');
}

namespace Site = ReportSites::SaveExcelFile;

// Writes the header row and the rows into the sheet.
class SheetWriter
{
public:
    SheetWriter(ReportingProcedure &proc, const ExportServices &services, const ListData &list,
                XlsxWorkbook &workbook)
        : m_proc(proc), m_list(list), m_workbook(workbook),
          m_pacer(services.loop, services.yieldInterval)
    {}

    void writeHeader()
    {
        int c = 1;
        const int columns = m_list.columnCount();
        for (int k = 1; k <= columns; ++k) {
            m_pacer.point();
            if (m_proc.test(Site::ReadHeaderCell, [&] { return !m_list.cell(1, k).isEmpty(); })) {
                m_proc.step(k == 1 ? Site::WriteFirstHeader : Site::WriteHeader,
                            [&] { write(1, c, m_list.headerText(k)); });
                ++c;
            }
        }
    }

    void writeRows()
    {
        int r = 2;
        const int rows = m_list.rowCount();
        for (int m = 1; m <= rows; ++m) {
            m_pacer.point();
            // Rows vanish only when the list is cleared meanwhile, and then
            // every later row is gone too: one report ends the rows.
            const int failures = m_proc.failureCount();
            const bool checked = m_proc.test(Site::ReadChecked, [&] { return m_list.checked(m); });
            if (m_proc.failureCount() > failures)
                return;
            if (checked) {
                if (r > XlsxWorkbook::MaxRows) {
                    m_proc.report(u"A sheet holds at most %1 rows; list row %2 and the rows "
                                  "after it were left out"_s.arg(XlsxWorkbook::MaxRows)
                                      .arg(m));
                    return;
                }
                if (!writeRow(m, r))
                    return;
                ++r; // the checked rows only, without gaps
            }
        }
    }

    const ColumnFit &fit() const { return m_fit; }
    // Rows longer than a cell holds, written cut.
    int rowsCut() const { return m_rowsCut; }

private:
    // False when the row could not be read.
    bool writeRow(int m, int r)
    {
        int c = 1;
        const int columns = m_list.columnCount();
        for (int k = 1; k <= columns; ++k) {
            m_pacer.point();
            QString value;
            bool read = false;
            const bool filled = m_proc.test(Site::ReadCell, [&] {
                value = m_list.cell(m, k);
                read = true;
                return !value.isEmpty();
            });
            if (!read)
                return false;
            if (filled) {
                const bool first = k == 1;
                m_proc.step(first ? Site::WriteFirstCell : Site::WriteCell,
                            [&] { write(r, c, first ? value : withoutEquals(value)); });
                ++c;
            }
        }
        return true;
    }

    void write(int row, int column, const QString &text)
    {
        if (!m_workbook.writeText(row, column, text) && row != m_lastRowCut) {
            ++m_rowsCut;
            m_lastRowCut = row;
        }
        m_fit.note(column, text);
    }

    ReportingProcedure &m_proc;
    const ListData &m_list;
    XlsxWorkbook &m_workbook;
    PacedYield m_pacer;
    ColumnFit m_fit;
    int m_rowsCut = 0;
    int m_lastRowCut = 0;
};

} // namespace

bool SaveResultsAsExcelFileIsExcelInstalled(MessageBoxes &boxes, Desktop &desktop)
{
    bool result = true;
    bool available = false;
    try {
        available = desktop.spreadsheetApplicationAvailable();
    } catch (...) {
        available = false;
    }
    if (!available) {
        try {
            showMessage(boxes, SpreadsheetMissingMessage);
        } catch (...) {
        }
        result = false;
    }
    return result;
}

QString defaultWorkbookFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/quillfen"_s;
}

void saveResultsToSpreadsheet(const ExportServices &services, const ListData &list,
                              const QString &workbookFolder)
{
    ReportingProcedure proc(services.boxes, Site::Identifier);
    if (!SaveResultsAsExcelFileIsExcelInstalled(services.boxes, services.desktop)) {
        proc.step(Site::FeatureMessage,
                  [&] { showMessage(services.boxes, SpreadsheetFeatureMessage); });
        return;
    }
    if (proc.test(Site::CountRows, [&] { return list.rowCount() == 0; }))
        return;

    services.pointer.setPointerMode(PointerMode::Busy);
    // Without a workbook and its sheet nothing below can work: one report
    // is enough.
    std::optional<XlsxWorkbook> workbook;
    const bool ready = proc.step(Site::CreateWorkbook, [&] {
        if (!QDir().mkpath(workbookFolder))
            throw Failure(u"Cannot create the folder %1"_s.arg(workbookFolder));
        workbook.emplace(newWorkbookPath(workbookFolder), workbookFolder);
    }) && proc.step(Site::AddSheet, [&] { workbook->addSheet(); });
    int rowsCut = 0;
    if (ready) {
        SheetWriter writer(proc, services, list, *workbook);
        writer.writeHeader();
        writer.writeRows();
        proc.step(Site::FitColumns, [&] {
            for (int c = 1; c <= writer.fit().columnCount(); ++c) {
                if (const double width = writer.fit().width(c); width > 0)
                    workbook->setColumnWidth(c, width);
            }
        });
        proc.step(Site::OpenWorkbook, [&] {
            const QString path = workbook->path();
            try {
                workbook->close();
            } catch (...) {
                QFile::remove(path);
                throw;
            }
            if (!services.desktop.openWorkbook(path))
                throw Failure(u"No application could open the workbook %1"_s.arg(path));
        });
        rowsCut = writer.rowsCut();
    }
    services.pointer.setPointerMode(PointerMode::Default);
    if (rowsCut > 0)
        showMessage(services.boxes, rowsCutMessage(rowsCut));
}

QString rowsCutMessage(int rows)
{
    const QString limit = QLocale(QLocale::English).toString(XlsxWorkbook::MaxCellLength);
    return rows == 1 ? u"1 row was longer than a spreadsheet cell holds: only its first %1 "
                       "characters were written."_s.arg(limit)
                     : u"%1 rows were longer than a spreadsheet cell holds: only their first %2 "
                       "characters were written."_s.arg(rows)
                           .arg(limit);
}

} // namespace Quillfen
