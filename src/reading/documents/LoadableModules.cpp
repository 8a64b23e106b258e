#include "LoadableModules.h"

#include <QFileInfo>
#include <QLibrary>

using namespace Qt::StringLiterals;

namespace Quillfen {

QString loadableModulePath(const QString &fileName, const char *environmentVariable)
{
    const QString fromEnvironment = qEnvironmentVariable(environmentVariable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString program = QFileInfo(u"/proc/self/exe"_s).canonicalFilePath();
    const QString programFolder = QFileInfo(program).absolutePath();
    const QString besideProgram = programFolder + u'/' + fileName;
    if (QFileInfo::exists(besideProgram))
        return besideProgram;
    // An installation moved or staged elsewhere keeps its layout.
    const QString installedBelow =
        programFolder + u'/' + QStringLiteral(QUILLFEN_MODULE_DIR_FROM_PROGRAMS) + u'/' + fileName;
    if (QFileInfo::exists(installedBelow))
        return installedBelow;
    return QStringLiteral(QUILLFEN_MODULE_DIR) + u'/' + fileName;
}

QString loadModule(const QString &fileName, const char *environmentVariable, const QString &what,
                   std::initializer_list<std::pair<const char *, QFunctionPointer *>> functions)
{
    // Never unloaded: the functions are called until the process ends.
    QLibrary library(loadableModulePath(fileName, environmentVariable));
    if (!library.load())
        return what + u" is not installed: "_s + library.errorString();
    for (const auto &[name, function] : functions) {
        *function = library.resolve(name);
        if (!*function) {
            for (const auto &[other, resolved] : functions)
                *resolved = nullptr;
            return u"the module "_s + library.fileName() + u" is not this version's"_s;
        }
    }
    return {};
}

} // namespace Quillfen
