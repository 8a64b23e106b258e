#pragma once

#include <QIcon>
#include <QString>

namespace Quillfen {

// The program's icon: quillfen.png from the data folder when present, else
// one drawn here.
QIcon applicationIcon(const QString &applicationFolder);

} // namespace Quillfen
