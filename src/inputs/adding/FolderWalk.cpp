#include "FolderWalk.h"

#include "DirectoryReader.h"
#include "PathTests.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "platform/EscapedText.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

constexpr int HiddenSystemFolder = 22;
constexpr int HiddenSystemLinkedFolder = 1046;

bool isRoot(const QString &folder)
{
    return !folder.isEmpty() && folder.count(u'/') == folder.size();
}

// Root folders are walked whatever their attributes.
bool mayWalk(const QString &folder)
{
    if (isRoot(folder))
        return true;
    const int attributes = FileAttributes(folder);
    return attributes != HiddenSystemLinkedFolder && attributes != HiddenSystemFolder;
}

bool isLink(int folder, const DirectoryReader::Entry &entry)
{
    if (entry.type != DT_UNKNOWN)
        return entry.type == DT_LNK;
    struct stat st;
    return fstatat(folder, entry.cName, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// Permission denied and path not found drop the folder from the list.
bool dropsFolder(int error)
{
    return error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR;
}

// The real path of path, ending in "/"; empty when it cannot be resolved.
QString realFolderPath(const QString &path)
{
    char *resolved = ::realpath(encodePath(path).constData(), nullptr);
    if (!resolved)
        return QString();
    QString real = decodeName(resolved);
    std::free(resolved);
    if (!real.endsWith(u'/'))
        real.append(u'/');
    return real;
}

} // namespace

void FolderWalk::collectSubfolders(FolderList &list, bool recurse)
{
    m_walked.clear();
    m_roots.clear();
    for (const QString &folder : std::as_const(list)) {
        if (const QString real = realFolderPath(folder); !real.isEmpty())
            m_roots.append(real);
    }
    walkLevel(list, recurse);
}

bool FolderWalk::mayFollowLink(const QString &path)
{
    if (m_followLinks)
        return true;
    QString target = realFolderPath(path);
    if (target.isEmpty())
        return true; // a dangling link leads nowhere; the tests after it drop it
    for (const QString &root : std::as_const(m_roots)) {
        if (target.startsWith(root))
            return true;
    }
    m_linksNotFollowed.append(path);
    return false;
}

QStringList FolderWalk::filesInFolder(const QString &folder, const WildcardPattern &pattern)
{
    QStringList links;
    QStringList names = listMatchingFiles(folder, pattern, &links);
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    for (const QString &link : std::as_const(links)) {
        if (!mayFollowLink(prefix + link))
            names.removeOne(link);
    }
    return names;
}

qsizetype FolderWalk::walkLevel(FolderList &list, bool recurse)
{
    namespace Site = ReportSites::FolderWalk;
    ReportingProcedure proc(m_reports, Site::Identifier);
    FolderList found;

    // Until a folder of this call passes the walkable test a failure is
    // reported and the walk goes on with the next statement; from then
    // on it only ends the listing of that folder.
    bool listing = false;
    auto step = [&](int number, auto &&statement) {
        if (listing) {
            statement();
            return;
        }
        proc.step(number, statement);
    };
    auto test = [&](int number, auto &&condition) {
        return listing ? bool(condition()) : proc.test(number, condition);
    };

    qsizetype index = 0;
    while (index < list.size()) {
        const QString folder = list[index];
        bool removed = false;
        try {
            struct stat st;
            bool statOk = false;
            if (test(Site::TestFolder,
                     [&] {
                         statOk = ::stat(encodePath(folder).constData(), &st) == 0;
                         return statOk && S_ISDIR(st.st_mode);
                     }) &&
                test(Site::TestPathLength, [&] { return encodePath(folder).size() < PATH_MAX; })) {
                step(Site::RecordFolder, [&] {
                    if (!statOk)
                        throw SystemFailure(ENOENT, folder);
                    m_walked.insert({st.st_dev, st.st_ino});
                });
                m_yield.point();
                if (test(Site::TestWalkable, [&] { return mayWalk(folder); })) {
                    listing = true;
                    listSubFolders(folder, found);
                }
            }
        } catch (...) {
            // Only listing failures arrive here.
            int error = 0;
            try {
                throw;
            } catch (const SystemFailure &failure) {
                error = failure.error();
            } catch (...) {
            }
            if (dropsFolder(error)) {
                const qsizetype at = list.indexOf(folder);
                if (at >= 0) {
                    list.removeAt(at);
                    removed = at <= index;
                }
            }
        }
        if (!removed)
            ++index;
    }

    // The deeper folders the recursive call appended to found passed the
    // tests below there; only this level's own are tested here.
    qsizetype ownFound = found.size();
    if (recurse && !found.isEmpty()) {
        try {
            ownFound = walkLevel(found, true);
        } catch (...) {
        }
    }

    const qsizetype kept = list.size();
    for (qsizetype i = 0; i < found.size(); ++i) {
        const QString &next = found[i];
        if (i >= ownFound) {
            list.append(next);
            continue;
        }
        if (proc.test(Site::TestFoundFolder, [&] { return isFolder(next); })) {
            m_yield.point();
            if (proc.test(Site::TestFoundWalkable, [&] { return mayWalk(next); }))
                list.append(next);
        }
    }
    return kept;
}

// Appends the sub-folders of folder to found, in listing order. Throws
// SystemFailure when the folder cannot be listed.
void FolderWalk::listSubFolders(const QString &folder, FolderList &found)
{
    DirectoryReader dir(encodePath(folder));
    for (const DirectoryReader::Entry &entry : dir.entries()) {
        struct stat st;
        bool haveStat = false;
        if (entry.type != DT_DIR) {
            if (entry.type != DT_LNK && entry.type != DT_UNKNOWN)
                continue;
            if (fstatat(dir.fd(), entry.cName, &st, 0) != 0 || !S_ISDIR(st.st_mode))
                continue;
            haveStat = true;
        }
        m_yield.point();
        if (entry.name.size() > NAME_MAX || hasUnsafeCharacters(entry.name))
            continue;
        if (isLink(dir.fd(), entry) && !mayFollowLink(folder + decodeName(entry.name)))
            continue;
        // A folder met before (a link back into the tree) is left out.
        if (!haveStat && fstatat(dir.fd(), entry.cName, &st, 0) != 0)
            continue;
        if (!m_walked.insert({st.st_dev, st.st_ino}).second)
            continue;
        found.append(folder + decodeName(entry.name) + u'/');
    }
    if (dir.error() != 0)
        throw SystemFailure(dir.error(), folder);
}

QString linkNotFollowedLine(const QString &link)
{
    return escapedText(link) + u": a link that leads outside the folder, not followed"_s;
}

QString linksNotFollowedReport(const QStringList &links)
{
    constexpr qsizetype Listed = 20;
    QString text =
        links.size() == 1
            ? u"1 link leads outside the folder and was not followed:"_s
            : u"%1 links lead outside the folder and were not followed:"_s.arg(links.size());
    for (qsizetype i = 0; i < std::min(links.size(), Listed); ++i)
        text += u"\r\n"_s + escapedText(links[i]);
    if (links.size() > Listed)
        text += u"\r\nand %1 more"_s.arg(links.size() - Listed);
    return text + u"\r\n(\"Follow links out of folders\" follows them.)"_s;
}

void collectSubfolders(FolderList &list, bool recurse, MessageBoxes &boxes, EventLoop *loop,
                       std::chrono::milliseconds yieldInterval)
{
    FolderWalk walk(boxes, loop, yieldInterval);
    walk.collectSubfolders(list, recurse);
}

} // namespace Quillfen
