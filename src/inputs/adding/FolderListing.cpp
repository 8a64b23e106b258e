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

// The case-folded code point at i; advances i past it.
char32_t foldedAt(QStringView s, qsizetype &i)
{
    char32_t c = s[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
        c = QChar::surrogateToUcs4(s[i], s[i + 1]);
        i += 2;
    } else {
        ++i;
    }
    return QChar::toCaseFolded(c);
}

std::u32string foldedPattern(QStringView pattern)
{
    std::u32string folded;
    for (qsizetype i = 0; i < pattern.size();)
        folded.push_back(foldedAt(pattern, i));
    return folded;
}

bool onlyStars(const std::u32string &pattern)
{
    return !pattern.empty() && pattern.find_first_not_of(U'*') == std::u32string::npos;
}

} // namespace

WildcardPattern::WildcardPattern(const QString &pattern) : m_pattern(foldedPattern(pattern))
{
    if (m_pattern.size() >= 2 && m_pattern.ends_with(U".*")) {
        m_hasAlternative = true;
        m_withoutDotStar = m_pattern.substr(0, m_pattern.size() - 2);
    }
    m_matchesAll = onlyStars(m_pattern) || (m_hasAlternative && onlyStars(m_withoutDotStar));
}

bool WildcardPattern::matches(QStringView name) const
{
    if (m_matchesAll)
        return true;
    return glob(m_pattern, name) || (m_hasAlternative && glob(m_withoutDotStar, name));
}

// Greedy matching that backtracks only to the last "*", which is enough
// because a later "*" can absorb whatever an earlier one would have.
bool WildcardPattern::glob(const std::u32string &pattern, QStringView name)
{
    size_t p = 0;
    qsizetype n = 0;
    size_t starP = std::u32string::npos;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            starP = ++p;
            starN = n;
            continue;
        }
        if (p < pattern.size()) {
            qsizetype next = n;
            const char32_t c = foldedAt(name, next);
            if (pattern[p] == U'?' || pattern[p] == c) {
                ++p;
                n = next;
                continue;
            }
        }
        if (starP == std::u32string::npos)
            return false;
        p = starP;
        foldedAt(name, starN);
        n = starN;
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

QStringList GetFilesInFolder(const QString &folder, const QString &pattern)
{
    QString prefix = folder;
    if (!prefix.endsWith(u'/'))
        prefix.append(u'/');
    const QByteArray folderBytes = encodePath(prefix);
    DirectoryReader dir(folderBytes);
    const WildcardPattern wildcard(pattern);
    QStringList names;
    DirectoryReader::Entry entry;
    while (dir.next(entry)) {
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
