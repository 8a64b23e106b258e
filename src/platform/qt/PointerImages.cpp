#include "PointerImages.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>

namespace Quillfen {

namespace {

// A .cur file: a 6-byte header of type 2, then directory entries whose
// bytes 4..7 hold the hot spot of each image.
std::optional<QPoint> cursorFileHotSpot(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(14);
    if (head.size() < 14 || head[0] != 0 || head[1] != 0 || head[2] != 2 || head[3] != 0)
        return std::nullopt;
    auto word = [&](int at) { return int(quint8(head[at])) | int(quint8(head[at + 1])) << 8; };
    return QPoint(word(10), word(12));
}

} // namespace

std::optional<QCursor> pointerFromFile(const QString &path)
{
    if (!QFile::exists(path))
        return std::nullopt;
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    const QPoint hotSpot = cursorFileHotSpot(path).value_or(QPoint(-1, -1));
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}

} // namespace Quillfen
