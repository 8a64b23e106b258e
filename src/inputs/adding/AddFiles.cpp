#include "AddFiles.h"

#include "PathTests.h"
#include "core/LastFolder.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "core/SettingsStore.h"
#include "reading/documents/DocumentFormats.h"

namespace Quillfen {

QString AddFilesAction::filters()
{
    const QStringList patterns = addFilesPatterns();
    return addFilesFilter() + u'|' + patterns.join(u';') + QStringLiteral("|All Files (*.*)|*.*|");
}

void AddFilesAction::run(Dialogs &dialogs, MessageBoxes &boxes, InputListTarget &target,
                         SettingsArea *settings)
{
    namespace Site = ReportSites::AddFiles;
    ReportingProcedure proc(boxes, Site::Identifier);
    const QString lastFolder = settings ? SettingsStore(*settings).get(LastFolderKey) : QString();
    QStringList paths;
    proc.step(Site::ChooseFiles,
              [&] { paths = dialogs.openFiles(Title, parseFileFilters(filters()), lastFolder); });
    if (!paths.isEmpty())
        rememberFolderOf(settings, LastFolderKey, paths.first());
    if (paths.size() == 1) {
        proc.step(Site::AppendOneFile, [&] { target.appendRow(paths.first()); });
        return;
    }
    for (const QString &path : std::as_const(paths))
        proc.step(Site::AppendEachFile, [&] { target.appendRow(collapseSlashes(path)); });
}

} // namespace Quillfen
