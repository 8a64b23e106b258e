#include "FileReading.h"

#include "Failure.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace Quillfen {

QByteArray readWholeFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw Failure(u"Cannot read \""_s + path + u"\": it is a folder"_s);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString reason = info.exists() ? file.errorString() : u"File not found"_s;
        throw Failure(u"Cannot read \""_s + path + u"\": "_s + reason);
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(u"Cannot read \""_s + path + u"\": "_s + file.errorString());
    return bytes;
}

} // namespace Quillfen
