#include "TreeFiles.h"

#include "FolderListing.h"
#include "PathTests.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

bool hasHiddenArchiveValue(const QString &path, QStringView name)
{
    return name.startsWith(u'.') && FileAttributes(path) == HiddenArchiveFile;
}

void addFolderTree(const QString &folder, const WildcardPattern &wildcard, InputListTarget &target,
                   FolderWalk &walk)
{
    FolderList folders{folder + u'/'};
    walk.collectSubfolders(folders, true);
    for (const QString &entry : std::as_const(folders)) {
        const QString dir = entry.chopped(1);
        const QStringList names = walk.filesInFolder(dir, wildcard);
        for (const QString &name : names) {
            if (name.startsWith(u'~'))
                continue;
            // listMatchingFiles returns existing files only.
            const QString path = dir + u'/' + name;
            bool skip = false;
            try {
                skip = hasHiddenArchiveValue(path, name);
            } catch (const Failure &) {
                // Unreadable attributes do not keep an existing file out.
            }
            if (!skip)
                target.appendRow(collapseSlashes(path));
        }
    }
}

void addPathsInOrder(const QStringList &paths, InputListTarget &target, FolderWalk &walk,
                     const QStringList &patterns)
{
    const WildcardPattern wildcard(patterns);
    for (const QString &path : paths) {
        if (isFolder(path))
            addFolderTree(path, wildcard, target, walk);
        else
            target.appendRow(path);
    }
}

} // namespace Quillfen
