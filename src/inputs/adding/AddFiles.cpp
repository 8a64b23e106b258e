#include "AddFiles.h"

#include "PathTests.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"

namespace Quillfen {

void AddFilesAction::run(Dialogs &dialogs, MessageBoxes &boxes, InputListTarget &target)
{
    namespace Site = ReportSites::AddFiles;
    ReportingProcedure proc(boxes, Site::Identifier);
    QStringList paths;
    proc.step(Site::ChooseFiles,
              [&] { paths = dialogs.openFiles(Title, parseFileFilters(Filters)); });
    if (paths.size() == 1) {
        proc.step(Site::AppendOneFile, [&] { target.appendRow(paths.first()); });
        return;
    }
    for (const QString &path : std::as_const(paths))
        proc.step(Site::AppendEachFile, [&] { target.appendRow(NormalizePath(path)); });
}

} // namespace Quillfen
