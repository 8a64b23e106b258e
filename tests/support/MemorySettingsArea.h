#pragma once

#include "platform/SettingsArea.h"

#include <QHash>
#include <QStringList>

namespace Quillfen::Testing {

// Settings kept in memory, for tests; writes can be made to fail.
class MemorySettingsArea final : public SettingsArea
{
public:
    std::optional<QString> value(const QString &application, const QString &section,
                                 const QString &key) override;
    void setValue(const QString &application, const QString &section, const QString &key,
                  const QString &value) override;

    void failWrites(bool fail) { m_failWrites = fail; }
    int writeCount() const { return m_writes; }
    // Keys in the order of their saves, as "key=value".
    QStringList saveLog() const { return m_log; }
    // Forgets the writes so far (the values stay).
    void clearLog()
    {
        m_log.clear();
        m_writes = 0;
    }

private:
    QHash<QString, QString> m_values;
    QStringList m_log;
    bool m_failWrites = false;
    int m_writes = 0;
};

} // namespace Quillfen::Testing
