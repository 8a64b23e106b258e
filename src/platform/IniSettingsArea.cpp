#include "Failure.h"
#include "SettingsArea.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace Quillfen {

QString IniSettingsArea::fileFor(const QString &application)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           application + u".conf";
}

std::optional<QString> IniSettingsArea::value(const QString &application, const QString &section,
                                              const QString &key)
{
    QSettings settings(fileFor(application), QSettings::IniFormat);
    settings.beginGroup(section);
    const QVariant stored = settings.value(key);
    if (!stored.isValid())
        return std::nullopt;
    return stored.toString();
}

void IniSettingsArea::setValue(const QString &application, const QString &section,
                               const QString &key, const QString &value)
{
    QSettings settings(fileFor(application), QSettings::IniFormat);
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    // QSettings writes over a file it could not fully parse, keeping what it
    // could read, yet reports the parse as a FormatError: that save worked.
    if (settings.status() == QSettings::FormatError && QFileInfo(settings.fileName()).isWritable())
        return;
    if (settings.status() != QSettings::NoError)
        throw Failure(u"Could not save the setting \""_s + key + u"\" in "_s + settings.fileName());
}

} // namespace Quillfen
