#include "FolderListing.h"

#include "DirectoryReader.h"
#include "PathTests.h"

#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

QRegularExpression wildcardExpression(QString pattern)
{
    pattern.replace(u"["_s, u"[[]"_s); // no character classes
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                              QRegularExpression::CaseInsensitiveOption);
}

bool onlyStars(QStringView pattern)
{
    return !pattern.isEmpty() && pattern.count(u'*') == pattern.size();
}

} // namespace

WildcardPattern::WildcardPattern(const QString &pattern) : m_pattern(wildcardExpression(pattern))
{
    const bool hasAlternative = pattern.size() >= 2 && pattern.endsWith(u".*"_s);
    if (hasAlternative)
        m_withoutDotStar = wildcardExpression(pattern.chopped(2));
    m_matchesAll = onlyStars(pattern) || (hasAlternative && onlyStars(pattern.chopped(2)));
}

bool WildcardPattern::matches(QStringView name) const
{
    if (m_matchesAll)
        return true;
    return m_pattern.match(name).hasMatch() ||
           (m_withoutDotStar && m_withoutDotStar->match(name).hasMatch());
}

QStringList GetFilesInFolder(const QString &folder, const QString &pattern)
{
    return GetFilesInFolder(folder, WildcardPattern(pattern));
}

QStringList GetFilesInFolder(const QString &folder, const WildcardPattern &wildcard)
{
    QString prefix = folder;
    if (!prefix.endsWith(u'/'))
        prefix.append(u'/');
    const QByteArray folderBytes = encodePath(prefix);
    DirectoryReader dir(folderBytes);
    QStringList names;
    for (const DirectoryReader::Entry &entry : dir.entries()) {
        if (entry.type == DT_DIR)
            continue;
        if (!isValidUtf8Name(entry.name) || folderBytes.size() + entry.name.size() >= PATH_MAX)
            continue;
        const QString name = decodeName(entry.name);
        if (!wildcard.matches(name))
            continue;
        // A regular file needs no further look; links and unknown types are
        // followed to see whether they name an existing file.
        if (entry.type != DT_REG) {
            struct stat st;
            if (fstatat(dir.fd(), entry.cName, &st, 0) != 0 || S_ISDIR(st.st_mode))
                continue;
        }
        names.append(name);
    }
    return names;
}

} // namespace Quillfen
