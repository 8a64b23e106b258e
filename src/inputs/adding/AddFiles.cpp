#include "AddFiles.h"

#include "PathTests.h"
#include "core/ReportingProcedure.h"

namespace Quillfen {

void AddFilesAction::run(Dialogs &dialogs, MessageBoxes &boxes, InputListTarget &target)
{
    ReportingProcedure proc(boxes, Identifier);
    QString title;
    QList<FileFilter> filters;
    QStringList paths;
    proc.step(100, [&] { title = Title; });
    proc.step(102, [&] { filters = parseFileFilters(Filters); });
    proc.step(108, [&] { paths = dialogs.openFiles(title, filters); });
    if (proc.test(110, [&] { return paths.isEmpty(); }))
        return;
    if (proc.test(114, [&] { return paths.size() == 1; })) {
        proc.step(116, [&] { target.appendRow(paths.first()); });
        return;
    }
    for (const QString &path : std::as_const(paths)) // 120
        proc.step(122, [&] { target.appendRow(NormalizePath(path)); });
}

} // namespace Quillfen
