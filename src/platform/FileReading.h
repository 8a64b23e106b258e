#pragma once

#include <QByteArray>
#include <QString>

namespace Quillfen {

// The whole content of a file. Throws Failure, naming the path and the
// reason, when it cannot be opened or read (missing, a folder, no access).
QByteArray readWholeFile(const QString &path);

} // namespace Quillfen
