#include "FileDrop.h"

#include <QMimeData>
#include <QUrl>

namespace Quillfen {

QStringList droppedFilePaths(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            return {};
        const QString path = url.toLocalFile();
        if (path.isEmpty())
            return {};
        paths << path;
    }
    return paths;
}

} // namespace Quillfen
