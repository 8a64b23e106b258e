#include "LoadableModules.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace Quillfen {

QString loadableModulePath(const QString &fileName, const char *environmentVariable)
{
    const QString fromEnvironment = qEnvironmentVariable(environmentVariable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString program = QFileInfo(u"/proc/self/exe"_s).canonicalFilePath();
    const QString besideProgram = QFileInfo(program).absolutePath() + u'/' + fileName;
    if (QFileInfo::exists(besideProgram))
        return besideProgram;
    return QStringLiteral(QUILLFEN_MODULE_DIR) + u'/' + fileName;
}

} // namespace Quillfen
