#include "AddFolder.h"

#include "FolderListing.h"
#include "PathTests.h"
#include "TreeFiles.h"
#include "core/ReportingProcedure.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

void AddFolderAction::run(const FillerServices &services, InputListTarget &target)
{
    ReportingProcedure proc(services.boxes, Identifier);
    SettingsStore &settings = services.settings;
    QString extension;
    QString lastFolder;
    QString folder;
    FolderList folders;

    proc.step(100, [&] {
        extension = services.dialogs.askText(ExtensionPrompt, applicationTitle(),
                                             settings.get(ExtensionKey, u"txt"_s));
        if (!extension.isEmpty())
            settings.save(ExtensionKey, extension);
    });
    if (proc.test(102, [&] { return extension.isEmpty(); }))
        return;
    proc.step(104, [&] { settings.save(ExtensionKey, extension); });
    proc.step(106, [&] {
        lastFolder = settings.get(LastFolderKey);
        folder = services.dialogs.chooseFolder(FolderPrompt, lastFolder);
    });
    if (proc.test(108, [&] { return folder.isEmpty(); }))
        return;
    proc.step(333, [&] { lastFolder = folder; });
    proc.step(334, [&] { settings.save(LastFolderKey, lastFolder); });
    proc.step(110, [&] { services.pointer.setPointerMode(PointerMode::Busy); });
    proc.step(112, [&] { folders = FolderList{folder + u'/'}; });
    proc.step(114, [&] {
        FolderWalk walk(services.boxes, services.loop, services.yieldInterval);
        walk.GetSubDirectories2016(folders, true);
    });
    const QString pattern = u"*."_s + extension;
    for (const QString &entry : std::as_const(folders)) { // 116
        QString dir;
        QStringList names;
        proc.step(118, [&] { dir = entry.chopped(1); });
        proc.step(120, [&] { names = GetFilesInFolder(dir, pattern); });
        for (const QString &name : std::as_const(names)) { // 122
            if (proc.test(124, [&] { return name.startsWith(u'~'); }))
                continue;
            QString path;
            proc.step(126, [&] { path = dir + u'/' + name; });
            // The listing has just found the name an existing file, with no
            // yield since; testing it again would double the cost of a large
            // add.
            if (proc.test(128, [&] { return !hasHiddenArchiveValue(path, name); }))
                proc.step(128, [&] { target.appendRow(NormalizePath(path)); });
        }
    }
    proc.step(132, [&] { services.pointer.setPointerMode(PointerMode::Default); });
}

} // namespace Quillfen
