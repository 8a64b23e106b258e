#include "Dialogs.h"

namespace Quillfen {

QList<FileFilter> parseFileFilters(const QString &pairs)
{
    const QStringList parts = pairs.split(u'|');
    QList<FileFilter> filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i].isEmpty() || !parts[i + 1].isEmpty())
            filters.append({parts[i], parts[i + 1]});
    }
    return filters;
}

} // namespace Quillfen
