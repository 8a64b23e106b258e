#pragma once

#include <QCursor>
#include <QString>
#include <optional>

namespace Quillfen {

// A pointer made from an image file in any format Qt can read, the format
// told by the content. A Windows cursor file gives its own hot spot; other
// images point with their centre. Nothing when the file is missing or
// unreadable.
std::optional<QCursor> pointerFromFile(const QString &path);

} // namespace Quillfen
