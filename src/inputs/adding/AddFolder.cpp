#include "AddFolder.h"

#include "FolderListing.h"
#include "PathTests.h"
#include "TreeFiles.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

void AddFolderAction::run(const FillerServices &services, InputListTarget &target)
{
    namespace Site = ReportSites::AddFolder;
    ReportingProcedure proc(services.boxes, Site::Identifier);
    SettingsStore &settings = services.settings;
    QString extension;
    QString folder;

    proc.step(Site::AskExtension, [&] {
        extension = services.dialogs.askText(ExtensionPrompt, applicationTitle(),
                                             settings.get(ExtensionKey, u"txt"_s));
        if (!extension.isEmpty())
            settings.save(ExtensionKey, extension);
    });
    if (extension.isEmpty())
        return;
    proc.step(Site::SaveExtension, [&] { settings.save(ExtensionKey, extension); });
    proc.step(Site::ChooseFolder, [&] {
        folder = services.dialogs.chooseFolder(FolderPrompt, settings.get(LastFolderKey));
    });
    if (folder.isEmpty())
        return;
    proc.step(Site::SaveLastFolder, [&] { settings.save(LastFolderKey, folder); });
    services.pointer.setPointerMode(PointerMode::Busy);
    FolderList folders{folder + u'/'};
    FolderWalk walk(services.boxes, services.loop, services.yieldInterval);
    walk.setFollowLinks(services.followLinks);
    proc.step(Site::WalkFolders, [&] { walk.collectSubfolders(folders, true); });
    const WildcardPattern pattern(extensionPatterns(extension));
    for (const QString &entry : std::as_const(folders)) {
        const QString dir = entry.chopped(1);
        QStringList names;
        proc.step(Site::ListFiles, [&] { names = walk.filesInFolder(dir, pattern); });
        for (const QString &name : std::as_const(names)) {
            if (name.startsWith(u'~'))
                continue;
            const QString path = dir + u'/' + name;
            // The listing has just found the name an existing file, with no
            // yield since; testing it again would double the cost of a large
            // add.
            if (proc.test(Site::AppendFile, [&] { return !hasHiddenArchiveValue(path, name); }))
                proc.step(Site::AppendFile, [&] { target.appendRow(collapseSlashes(path)); });
        }
    }
    services.pointer.setPointerMode(PointerMode::Default);
    if (!walk.linksNotFollowed().isEmpty())
        showMessage(services.boxes, linksNotFollowedReport(walk.linksNotFollowed()));
}

} // namespace Quillfen
