#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <optional>

namespace Quillfen {

// A file-name wildcard: "*" matches any run of characters, "?" one
// character, "[" itself, letters match without regard to case. A pattern
// ending in ".*" also matches the names its part before ".*" matches, so
// "*.*" matches every name, including names without a dot.
class WildcardPattern
{
public:
    explicit WildcardPattern(const QString &pattern);
    bool matches(QStringView name) const;

private:
    QRegularExpression m_pattern;
    std::optional<QRegularExpression> m_withoutDotStar;
    bool m_matchesAll = false;
};

// The names (without the folder) of the entries of folder that match
// pattern and are existing files (IsExistingFile holds at listing time), hidden names included, in
// the order the file system lists them; folders are never returned, nor names that are not valid
// UTF-8 (they could not be found again by the decoded name). A folder that cannot be listed gives
// no names.
// Each WildcardPattern compiles its expression once: a walk makes one for all its folders.
QStringList GetFilesInFolder(const QString &folder, const WildcardPattern &pattern);
QStringList GetFilesInFolder(const QString &folder, const QString &pattern);

} // namespace Quillfen
