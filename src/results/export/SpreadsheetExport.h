#pragma once

#include "ExportServices.h"
#include "ListData.h"

#include <QDateTime>
#include <QString>

namespace Quillfen {

// Where new workbooks are written: the user's cache folder + "/quillfen".
QString defaultWorkbookFolder();

// Removes the workbooks of earlier exports (Results-*.xlsx) in folder last
// written more than a day before now; returns how many.
int removeOldWorkbooks(const QString &folder, const QDateTime &now);

// "Save Results To Excel File": writes the header of the columns that row 1
// fills and the checked rows, in list order without gaps, every value a
// text cell, and fits the column widths. When a spreadsheet program can
// show it, the workbook is a new file in workbookFolder (whose workbooks
// older than a day are removed first) that the desktop opens as a new
// workbook; otherwise a save dialog asks where to save it (and, for an
// existing file, whether to overwrite it). A row longer than a cell holds
// is written cut, and one message afterwards says how many were.
void saveResultsToSpreadsheet(const ExportServices &services, const ListData &list,
                              const QString &workbookFolder = defaultWorkbookFolder());

// The message after an export that cut rows.
QString rowsCutMessage(int rows);

} // namespace Quillfen
