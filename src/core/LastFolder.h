#pragma once

#include "SettingsStore.h"
#include "platform/Failure.h"

#include <QString>

namespace Quillfen {

// Keeps the folder of path under key, so that the next dialog opens there.
// A store that cannot be written only costs the user that convenience: the
// failure is not worth a report.
inline void rememberFolderOf(SettingsArea *settings, const QString &key, const QString &path)
{
    if (!settings)
        return;
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return;
    try {
        SettingsStore(*settings).save(key, slash == 0 ? QStringLiteral("/") : path.left(slash));
    } catch (const Failure &) {
    }
}

} // namespace Quillfen
