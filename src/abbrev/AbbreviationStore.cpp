#include "AbbreviationStore.h"

#include "core/SettingsStore.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

QStringList defaultAbbreviations()
{
    return {u"etc."_s, u"vs."_s, u"i.e."_s, u"et al."_s, u"e.g."_s,
            u"Mr."_s,  u"Jr."_s, u"Mrs."_s, u"Ms."_s,    u"Inc."_s};
}

QString encodeAbbreviations(const QStringList &entries)
{
    QString value;
    for (const QString &entry : entries)
        value += entry + AbbreviationSeparator;
    return value;
}

QStringList decodeAbbreviations(const QString &value)
{
    return value.split(AbbreviationSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QStringList editorAbbreviations(const QString &storedValue)
{
    if (storedValue.isEmpty())
        return {};
    QStringList entries;
    for (const QString &piece : decodeAbbreviations(storedValue)) {
        if (!piece.isEmpty())
            entries << piece;
    }
    return entries;
}

QStringList extractionAbbreviations(const QString &storedValue)
{
    if (storedValue.isEmpty())
        return {};
    return decodeAbbreviations(storedValue);
}

QString storedAbbreviations(const SettingsStore &store)
{
    return store.get(AbbreviationsKey, encodeAbbreviations(defaultAbbreviations()));
}

} // namespace Quillfen
