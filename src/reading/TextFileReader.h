#pragma once

#include <QString>
#include <QStringList>

namespace Quillfen {

// The text list of a file that is not an HTML page: exactly one text, the
// whole file decoded (an empty file gives one empty text). Throws Failure
// when the file cannot be read.
QStringList ReadTextFile(const QString &path);

} // namespace Quillfen
