#include "ApplicationFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

QString withoutTrailingSeparator(QString folder)
{
    folder = QDir::cleanPath(folder);
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

} // namespace

QString locateApplicationFolder(const QString &executableFolder, const QStringList &shareFolders)
{
    if (QFileInfo(executableFolder + u"/Samples"_s).isDir())
        return withoutTrailingSeparator(executableFolder);
    for (const QString &folder : shareFolders) {
        if (QFileInfo(folder).isDir())
            return withoutTrailingSeparator(folder);
    }
    return withoutTrailingSeparator(shareFolders.isEmpty() ? executableFolder
                                                           : shareFolders.last());
}

QString ApplicationFolder()
{
    const QString executableFolder = QCoreApplication::applicationDirPath();
    // Relative to the executable first, so that a moved installation still
    // finds its data; then the folder it was built to be installed in.
    return locateApplicationFolder(executableFolder, {executableFolder + u"/../share/quillfen"_s,
                                                      QStringLiteral(QUILLFEN_INSTALLED_DATA_DIR)});
}

bool pathExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace Quillfen
