#pragma once

#include "ExportServices.h"
#include "ListData.h"

#include <QString>

namespace Quillfen {

inline const QString SpreadsheetMissingMessage =
    QStringLiteral("Excel is not installed on this computer. You need to have it installed to "
                   "use this software without error.");
inline const QString SpreadsheetFeatureMessage =
    QStringLiteral("Excel is not installed on this computer. You need to have it installed to "
                   "use this feature.");

// Whether a spreadsheet application can show a workbook; when not, says
// so (the first of the two messages). Never fails.
bool SaveResultsAsExcelFileIsExcelInstalled(MessageBoxes &boxes, Desktop &desktop);

// Where new workbooks are written: the user's cache folder + "/quillfen".
QString defaultWorkbookFolder();

// "Save Results To Excel File": writes the header of the columns that row 1
// fills and the checked rows, in list order without gaps, into a new .xlsx
// workbook in workbookFolder, every value a text cell, fits the column
// widths and has the desktop open it as a new workbook. A row longer than a
// cell holds is written cut, and one message afterwards says how many were.
void saveResultsToSpreadsheet(const ExportServices &services, const ListData &list,
                              const QString &workbookFolder = defaultWorkbookFolder());

// The message after an export that cut rows.
QString rowsCutMessage(int rows);

} // namespace Quillfen
