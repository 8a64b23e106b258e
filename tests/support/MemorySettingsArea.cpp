#include "MemorySettingsArea.h"

#include "platform/Failure.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace Quillfen::Testing {

static QString address(const QString &application, const QString &section, const QString &key)
{
    return application + u'\x1f' + section + u'\x1f' + key;
}

std::optional<QString> MemorySettingsArea::value(const QString &application, const QString &section,
                                                 const QString &key)
{
    const auto it = m_values.constFind(address(application, section, key));
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

void MemorySettingsArea::setValue(const QString &application, const QString &section,
                                  const QString &key, const QString &value)
{
    if (m_failWrites)
        throw Failure(u"The settings cannot be written"_s);
    ++m_writes;
    m_values.insert(address(application, section, key), value);
    m_log << key + u'=' + value;
}

} // namespace Quillfen::Testing
