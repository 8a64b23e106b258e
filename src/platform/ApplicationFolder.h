#pragma once

#include <QString>
#include <QStringList>

namespace Quillfen {

// The data folder: the executable's folder when a Samples folder stands
// beside it (build tree, portable copy), else the installed share folder.
// No trailing separator. Needs a QCoreApplication.
QString ApplicationFolder();

// The lookup behind ApplicationFolder(), for given places: the executable's
// folder if it holds Samples/, else the first of the share folders that
// exists, else the last of them.
QString locateApplicationFolder(const QString &executableFolder, const QStringList &shareFolders);

// True when the file or folder can be looked up (stat succeeds). Never
// fails.
bool pathExists(const QString &path);

} // namespace Quillfen
