#pragma once

#include <QString>
#include <optional>

namespace Quillfen {

// The per-user store of text values, addressed by application, section, key.
class SettingsArea
{
public:
    virtual ~SettingsArea() = default;
    // The stored text, or nothing when the key was never saved.
    virtual std::optional<QString> value(const QString &application, const QString &section,
                                         const QString &key) = 0;
    // Throws Failure when the value cannot be written.
    virtual void setValue(const QString &application, const QString &section, const QString &key,
                          const QString &value) = 0;
};

// QSettings in INI form: the application is the file
// $XDG_CONFIG_HOME/<application>.conf, the section its group.
class IniSettingsArea final : public SettingsArea
{
public:
    std::optional<QString> value(const QString &application, const QString &section,
                                 const QString &key) override;
    void setValue(const QString &application, const QString &section, const QString &key,
                  const QString &value) override;

    static QString fileFor(const QString &application);
};

} // namespace Quillfen
