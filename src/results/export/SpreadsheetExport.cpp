#include "SpreadsheetExport.h"

#include "ColumnFit.h"
#include "SavePathChoice.h"
#include "XlsxWorkbook.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "platform/Failure.h"
#include "platform/PacedYield.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
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
            if (m_list.keepsColumn(k)) {
                m_proc.step(Site::WriteHeader, [&] { write(1, k, m_list.headerText(k)); });
                continue;
            }
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
            if (filled && m_list.keepsColumn(k)) {
                m_proc.step(Site::WriteCell, [&] { write(r, k, value); });
            } else if (filled) {
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

QString defaultWorkbookFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/quillfen"_s;
}

int removeOldWorkbooks(const QString &folder, const QDateTime &now)
{
    int removed = 0;
    const QDateTime before = now.addDays(-1);
    const QFileInfoList workbooks =
        QDir(folder).entryInfoList({u"Results-*.xlsx"_s}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &workbook : workbooks) {
        if (workbook.lastModified() < before && QFile::remove(workbook.filePath()))
            ++removed;
    }
    return removed;
}

void saveResultsToSpreadsheet(const ExportServices &services, const ListData &list,
                              const QString &workbookFolder)
{
    ReportingProcedure proc(services.boxes, Site::Identifier);
    bool shown = false;
    try {
        shown = services.desktop.spreadsheetApplicationAvailable();
    } catch (...) {
        shown = false;
    }
    if (proc.test(Site::CountRows, [&] { return list.rowCount() == 0; }))
        return;

    // Without a program that shows it, the workbook is saved where the
    // user says, as the text file is.
    QString savePath;
    if (!shown) {
        savePath =
            chooseSavePath(services, proc, u"Excel Workbook (*.xlsx)|*.xlsx|All Files (*.*)|*.*|"_s,
                           {Site::ChooseFile, Site::AskOverwrite});
        if (savePath.isEmpty())
            return;
    } else {
        proc.step(Site::RemoveOldWorkbooks,
                  [&] { removeOldWorkbooks(workbookFolder, QDateTime::currentDateTime()); });
    }

    services.pointer.setPointerMode(PointerMode::Busy);
    // Written next to the chosen file and put in its place once whole, so
    // that a failure leaves an existing file as it was.
    const QFileInfo target(savePath);
    const QString folder = shown ? workbookFolder : target.absolutePath();
    const QString writtenPath = shown ? QString()
                                      : folder + u"/."_s + target.fileName() + u'.' +
                                            QString::number(QCoreApplication::applicationPid()) +
                                            u".part"_s;
    // Without a workbook and its sheet nothing below can work: one report
    // is enough.
    std::optional<XlsxWorkbook> workbook;
    const bool ready = proc.step(Site::CreateWorkbook, [&] {
        if (!QDir().mkpath(folder))
            throw Failure(u"Cannot create the folder %1"_s.arg(folder));
        workbook.emplace(shown ? newWorkbookPath(folder) : writtenPath, folder);
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
        proc.step(shown ? Site::OpenWorkbook : Site::SaveWorkbook, [&] {
            const QString path = workbook->path();
            try {
                workbook->close();
            } catch (...) {
                QFile::remove(path);
                throw;
            }
            if (!shown) {
                if (std::rename(QFile::encodeName(path).constData(),
                                QFile::encodeName(savePath).constData()) != 0) {
                    const int error = errno;
                    QFile::remove(path);
                    throw Failure(u"Cannot write %1: %2"_s.arg(
                        savePath, QString::fromLocal8Bit(std::strerror(error))));
                }
            } else if (!services.desktop.openWorkbook(path)) {
                throw Failure(u"No application could open the workbook %1"_s.arg(path));
            }
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
