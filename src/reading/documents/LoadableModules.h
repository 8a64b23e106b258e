#pragma once

#include <QString>

namespace Quillfen {

// Where a module of the program (quillfen-pdf.so, quillfen-ocr.so) is: the
// file the environment variable names (tests), else beside the program (as
// built), else where it is installed.
QString loadableModulePath(const QString &fileName, const char *environmentVariable);

} // namespace Quillfen
