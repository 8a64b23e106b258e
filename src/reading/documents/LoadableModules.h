#pragma once

#include <QString>
#include <initializer_list>
#include <utility>

namespace Quillfen {

// Where a module of the program (quillfen-pdf.so, quillfen-ocr.so) is: the
// file the environment variable names (tests), else beside the program (as
// built), else where the installed layout puts it from the program's folder
// (an installation moved or staged), else where it was installed.
QString loadableModulePath(const QString &fileName, const char *environmentVariable);

// Loads a module found as loadableModulePath says and resolves the
// functions the program calls in it; when one is missing, the others are
// left null too and failure says why ("OCR is not installed: ...").
QString loadModule(const QString &fileName, const char *environmentVariable, const QString &what,
                   std::initializer_list<std::pair<const char *, QFunctionPointer *>> functions);

} // namespace Quillfen
