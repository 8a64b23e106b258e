#pragma once

#include "platform/SettingsArea.h"

#include <QString>

namespace Quillfen {

// The program's settings: every key lives under the application "Tarnwick"
// and the section "Quillfen". Values are text; callers convert.
class SettingsStore
{
public:
    static inline const QString Application = QStringLiteral("Tarnwick");
    static inline const QString Section = QStringLiteral("Quillfen");

    explicit SettingsStore(SettingsArea &area) : m_area(area) {}

    // The stored text, or the default when the key was never saved.
    QString get(const QString &key, const QString &defaultValue = {}) const;
    // Throws Failure when the store cannot be written.
    void save(const QString &key, const QString &value);

    // Reads a Boolean: "True"/"False" in any letter case, or a number
    // (zero is false). Anything else throws Failure ("Type mismatch").
    bool getBoolean(const QString &key, bool defaultValue) const;
    void saveBoolean(const QString &key, bool value);

    static bool toBoolean(const QString &text);
    static QString booleanText(bool value);

private:
    SettingsArea &m_area;
};

} // namespace Quillfen
