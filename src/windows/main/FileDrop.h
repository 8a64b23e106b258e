#pragma once

#include <QStringList>

class QMimeData;

namespace Quillfen {

// The paths a file manager's drag carries (text/uri-list), in its order;
// empty when the data is not a list of local files only, which the input
// list refuses.
QStringList droppedFilePaths(const QMimeData *data);

} // namespace Quillfen
