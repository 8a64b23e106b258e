#include "SettingsStore.h"

#include "platform/Failure.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace Quillfen {

QString SettingsStore::get(const QString &key, const QString &defaultValue) const
{
    return m_area.value(Application, Section, key).value_or(defaultValue);
}

void SettingsStore::save(const QString &key, const QString &value)
{
    m_area.setValue(Application, Section, key, value);
}

bool SettingsStore::getBoolean(const QString &key, bool defaultValue) const
{
    // Integer defaults reach the store as their decimal text, as "1" and "0".
    return toBoolean(get(key, defaultValue ? u"1"_s : u"0"_s));
}

void SettingsStore::saveBoolean(const QString &key, bool value)
{
    save(key, booleanText(value));
}

bool SettingsStore::toBoolean(const QString &text)
{
    if (text.compare(u"True"_s, Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False"_s, Qt::CaseInsensitive) == 0)
        return false;
    static const QRegularExpression number(
        u"^ *[+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)? *$"_s);
    if (number.match(text).hasMatch()) {
        const QString digits = text.trimmed();
        // Zero in any spelling ("0", "-0.00", "0e5") is false.
        for (const QChar c : digits) {
            if (c == u'e' || c == u'E')
                break;
            if (c >= u'1' && c <= u'9')
                return true;
        }
        return false;
    }
    throw Failure(u"Type mismatch"_s);
}

QString SettingsStore::booleanText(bool value)
{
    return value ? u"True"_s : u"False"_s;
}

} // namespace Quillfen
