#include "ApplicationIcon.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// A page with lines of text and a quill across it.
QPixmap drawnIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    painter.setPen(QPen(QColor(0x2b, 0x4a, 0x6f), 2));
    painter.setBrush(QColor(0xf7, 0xf4, 0xea));
    painter.drawRoundedRect(QRectF(8, 4, 40, 54), 4, 4);
    painter.setPen(QPen(QColor(0x7a, 0x8c, 0xa3), 3, Qt::SolidLine, Qt::RoundCap));
    for (int y : {16, 25, 34, 43})
        painter.drawLine(QPointF(15, y), QPointF(y == 43 ? 30 : 41, y));

    QPainterPath quill;
    quill.moveTo(26, 56);
    quill.cubicTo(34, 40, 46, 20, 60, 6);
    quill.cubicTo(56, 22, 46, 38, 26, 56);
    painter.setPen(QPen(QColor(0x8a, 0x3b, 0x12), 1.5));
    painter.setBrush(QColor(0xd9, 0x77, 0x2b));
    painter.drawPath(quill);
    return pixmap;
}

} // namespace

QIcon applicationIcon(const QString &applicationFolder)
{
    const QString file = applicationFolder + u"/quillfen.png"_s;
    if (QFileInfo(file).isFile()) {
        QIcon icon(file);
        if (!icon.isNull())
            return icon;
    }
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(drawnIcon(size));
    return icon;
}

} // namespace Quillfen
