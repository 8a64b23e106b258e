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

WildcardPattern::WildcardPattern(const QStringList &patterns)
{
    for (const QString &pattern : patterns) {
        Alternative alternative{wildcardExpression(pattern), std::nullopt};
        const bool dotStar = pattern.size() >= 2 && pattern.endsWith(u".*"_s);
        if (dotStar)
            alternative.withoutDotStar = wildcardExpression(pattern.chopped(2));
        m_matchesAll =
            m_matchesAll || onlyStars(pattern) || (dotStar && onlyStars(pattern.chopped(2)));
        m_alternatives.push_back(std::move(alternative));
    }
}

bool WildcardPattern::matches(QStringView name) const
{
    if (m_matchesAll)
        return true;
    for (const Alternative &alternative : m_alternatives) {
        if (alternative.pattern.match(name).hasMatch() ||
            (alternative.withoutDotStar && alternative.withoutDotStar->match(name).hasMatch()))
            return true;
    }
    return false;
}

QStringList extensionPatterns(const QString &answer)
{
    static const QRegularExpression separators(u"[;,]"_s);
    if (!answer.contains(separators))
        return {u"*."_s + answer}; // one extension is taken as typed
    QStringList patterns;
    for (const QString &extension : answer.split(separators, Qt::SkipEmptyParts)) {
        if (const QString trimmed = extension.trimmed(); !trimmed.isEmpty())
            patterns << u"*."_s + trimmed;
    }
    return patterns;
}

QStringList listMatchingFiles(const QString &folder, const QString &pattern)
{
    return listMatchingFiles(folder, WildcardPattern(pattern));
}

QStringList listMatchingFiles(const QString &folder, const WildcardPattern &wildcard,
                              QStringList *links)
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
            if (links && (entry.type == DT_LNK ||
                          (entry.type == DT_UNKNOWN &&
                           fstatat(dir.fd(), entry.cName, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                           S_ISLNK(st.st_mode))))
                links->append(name);
        }
        names.append(name);
    }
    return names;
}

} // namespace Quillfen
