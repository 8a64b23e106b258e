#pragma once

#include "ExportServices.h"
#include "core/ReportingProcedure.h"

#include <QString>

namespace Quillfen {

// The report statements of the two steps, which differ per export.
struct SaveSteps
{
    int chooseFile;
    int askOverwrite;
};

// The folder the save dialogs open in: the last one saved to.
inline const QString LastSaveFolderKey = QStringLiteral("LastSaveFolder");

// Asks where to save with the filters of filterText ("Name (*.x)|*.x|...");
// a name without an extension gets the chosen filter's. When that file
// exists, asks whether to overwrite it. The path, or an empty
// one when the user cancelled or did not say Yes: a failing question counts
// as No, so that nothing is overwritten unasked. chosenFilter, when given,
// gets the index of the filter the user chose.
QString chooseSavePath(const ExportServices &services, ReportingProcedure &proc,
                       const QString &filterText, SaveSteps steps, int *chosenFilter = nullptr);

} // namespace Quillfen
