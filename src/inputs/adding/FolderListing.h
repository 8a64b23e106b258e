#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace Quillfen {

// A file-name wildcard: "*" matches any run of characters, "?" one
// character, "[" itself, letters match without regard to case. A pattern
// ending in ".*" also matches the names its part before ".*" matches, so
// "*.*" matches every name, including names without a dot. Several
// patterns match a name that any of them matches.
class WildcardPattern
{
public:
    explicit WildcardPattern(const QString &pattern) : WildcardPattern(QStringList{pattern}) {}
    explicit WildcardPattern(const QStringList &patterns);
    bool matches(QStringView name) const;

private:
    struct Alternative
    {
        QRegularExpression pattern;
        std::optional<QRegularExpression> withoutDotStar;
    };
    std::vector<Alternative> m_alternatives;
    bool m_matchesAll = false;
};

// The patterns of an answer naming one or several extensions: "txt" gives
// "*.txt"; "txt;docx, pdf" gives one pattern each ("," and ";" separate,
// blanks around an extension go); "*" gives "*.*".
QStringList extensionPatterns(const QString &answer);

// The names (without the folder) of the entries of folder that match
// pattern and are existing files (isExistingFile holds at listing time), hidden names included, in
// the order the file system lists them; folders are never returned, nor names that are not valid
// UTF-8 (they could not be found again by the decoded name). A folder that cannot be listed gives
// no names.
// Each WildcardPattern compiles its expression once: a walk makes one for all its folders.
// links, when given, receives those of the names that are symbolic links.
QStringList listMatchingFiles(const QString &folder, const WildcardPattern &pattern,
                              QStringList *links = nullptr);
QStringList listMatchingFiles(const QString &folder, const QString &pattern);

} // namespace Quillfen
