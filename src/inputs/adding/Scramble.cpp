#include "Scramble.h"

#include "platform/PacedYield.h"

namespace Quillfen {

namespace {

// Shifts every byte code (1 to 255) by the key's codes in turn, forward
// or back, wrapping within 1 to 255. A NUL stays NUL, so every text
// comes back; a shifted byte is never 0.
QByteArray shiftBytes(const QByteArray &bytes, const QByteArray &key, int direction,
                      EventLoop *loop)
{
    PacedYield yield(loop);
    QByteArray result(bytes.size(), Qt::Uninitialized);
    qsizetype p = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        yield.point();
        const int c = static_cast<unsigned char>(bytes[i]);
        const int k = static_cast<unsigned char>(key[p]);
        p = (p + 1) % key.size();
        int v = c == 0 ? 0 : c + direction * k;
        if (v >= 256)
            v -= 255;
        else if (c != 0 && v <= 0)
            v += 255;
        result[i] = char(v);
    }
    return result;
}

} // namespace

QString scrambleText(const QString &text, const QString &key, EventLoop *loop)
{
    const QByteArray keyBytes = key.toUtf8();
    const QByteArray bytes = text.toUtf8();
    if (keyBytes.isEmpty())
        return QString::fromLatin1(bytes);
    return QString::fromLatin1(shiftBytes(bytes, keyBytes, +1, loop));
}

QString unscrambleText(const QString &text, const QString &key, EventLoop *loop)
{
    const QByteArray keyBytes = key.toUtf8();
    const QByteArray bytes = text.toLatin1();
    if (keyBytes.isEmpty())
        return QString::fromUtf8(bytes);
    return QString::fromUtf8(shiftBytes(bytes, keyBytes, -1, loop));
}

} // namespace Quillfen
