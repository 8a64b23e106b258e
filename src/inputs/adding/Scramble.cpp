#include "Scramble.h"

#include "platform/PacedYield.h"

namespace Quillfen {

QString ScrambleText(const QString &text, const QString &key, EventLoop *loop)
{
    const QByteArray keyBytes = key.toUtf8();
    const QByteArray bytes = text.toUtf8();
    if (keyBytes.isEmpty())
        return QString::fromLatin1(bytes);
    PacedYield yield(loop);
    QString result(bytes.size(), Qt::Uninitialized);
    qsizetype p = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        yield.point();
        const int c = static_cast<unsigned char>(bytes[i]);
        const int k = static_cast<unsigned char>(keyBytes[p]);
        p = (p + 1) % keyBytes.size();
        int v = c == 0 ? 0 : c + k;
        if (v >= 256)
            v -= 255;
        result[i] = QChar(char16_t(v));
    }
    return result;
}

QString UnscrambleText(const QString &text, const QString &key, EventLoop *loop)
{
    const QByteArray keyBytes = key.toUtf8();
    const QByteArray bytes = text.toLatin1();
    if (keyBytes.isEmpty())
        return QString::fromUtf8(bytes);
    PacedYield yield(loop);
    QByteArray result(bytes.size(), Qt::Uninitialized);
    qsizetype p = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        yield.point();
        const int c = static_cast<unsigned char>(bytes[i]);
        const int k = static_cast<unsigned char>(keyBytes[p]);
        p = (p + 1) % keyBytes.size();
        int v = c == 0 ? 0 : c - k;
        if (c != 0 && v <= 0)
            v += 255;
        result[i] = char(v);
    }
    return QString::fromUtf8(result);
}

} // namespace Quillfen
