#include "SpreadsheetExport.h"

#include "ColumnFit.h"
#include "XlsxWorkbook.h"
#include "core/ReportingProcedure.h"
#include "platform/Failure.h"
#include "platform/PacedYield.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Writes the header row and the rows into the sheet, statements 116 to 170.
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
        int c = 0;
        m_proc.step(116, [&] { c = 1; });
        const int columns = m_list.columnCount();
        for (int k = 1; k <= columns; ++k) {
            m_proc.step(120, [&] { m_pacer.point(); });
            if (m_proc.test(122, [&] { return !m_list.cell(1, k).isEmpty(); })) {
                const bool first = k == 1;
                m_proc.step(first ? 126 : 132, [&] { write(1, c, m_list.headerText(k)); });
                m_proc.step(first ? 128 : 134, [&] { ++c; });
            }
        }
    }

    void writeRows()
    {
        int r = 0;
        m_proc.step(138, [&] { r = 2; });
        const int rows = m_list.rowCount();
        for (int m = 1; m <= rows; ++m) {
            m_proc.step(142, [&] { m_pacer.point(); });
            // Rows vanish only when the list is cleared meanwhile, and then
            // every later row is gone too: one report ends the rows.
            const int failures = m_proc.failureCount();
            const bool checked = m_proc.test(144, [&] { return m_list.checked(m); });
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
            }
            m_proc.step(168, [&] { ++r; });
        }
    }

    const ColumnFit &fit() const { return m_fit; }

private:
    // False when the row could not be read.
    bool writeRow(int m, int r)
    {
        int c = 0;
        m_proc.step(146, [&] { c = 1; });
        const int columns = m_list.columnCount();
        for (int k = 1; k <= columns; ++k) {
            m_proc.step(150, [&] { m_pacer.point(); });
            QString value;
            bool read = false;
            const bool filled = m_proc.test(152, [&] {
                value = m_list.cell(m, k);
                read = true;
                return !value.isEmpty();
            });
            if (!read)
                return false;
            if (filled) {
                const bool first = k == 1;
                m_proc.step(first ? 156 : 162,
                            [&] { write(r, c, first ? value : withoutEquals(value)); });
                m_proc.step(first ? 158 : 164, [&] { ++c; });
            }
        }
        return true;
    }

    void write(int row, int column, const QString &text)
    {
        m_workbook.writeText(row, column, text);
        m_fit.note(column, text);
    }

    ReportingProcedure &m_proc;
    const ListData &m_list;
    XlsxWorkbook &m_workbook;
    PacedYield m_pacer;
    ColumnFit m_fit;
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
    ReportingProcedure proc(services.boxes, SaveSpreadsheetIdentifier);
    if (proc.test(100, [&] {
            return !SaveResultsAsExcelFileIsExcelInstalled(services.boxes, services.desktop);
        })) {
        proc.step(178, [&] { showMessage(services.boxes, SpreadsheetFeatureMessage); });
        return;
    }
    if (proc.test(108, [&] { return list.rowCount() == 0; }))
        return;

    proc.step(110, [&] { services.pointer.setPointerMode(PointerMode::Busy); });
    // Without a workbook and its sheet nothing below can work: one report
    // is enough.
    std::optional<XlsxWorkbook> workbook;
    const bool ready = proc.step(112, [&] {
        if (!QDir().mkpath(workbookFolder))
            throw Failure(u"Cannot create the folder %1"_s.arg(workbookFolder));
        workbook.emplace(newWorkbookPath(workbookFolder), workbookFolder);
    }) && proc.step(114, [&] { workbook->addSheet(); });
    if (ready) {
        SheetWriter writer(proc, services, list, *workbook);
        writer.writeHeader();
        writer.writeRows();
        proc.step(172, [&] {
            for (int c = 1; c <= writer.fit().columnCount(); ++c) {
                if (const double width = writer.fit().width(c); width > 0)
                    workbook->setColumnWidth(c, width);
            }
        });
        proc.step(174, [&] {
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
    }
    proc.step(176, [&] { services.pointer.setPointerMode(PointerMode::Default); });
}

} // namespace Quillfen
