#include "FolderWalk.h"

#include "PathTests.h"
#include "shell/core/ReportingProcedure.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
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

// Permission denied and path not found drop the folder from the list.
bool dropsFolder(int error)
{
    return error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR;
}

struct DirCloser
{
    void operator()(DIR *dir) const { closedir(dir); }
};

} // namespace

void FolderWalk::GetSubDirectories2016(FolderList &list, bool recurse)
{
    m_walked.clear();
    walkLevel(list, recurse);
}

void FolderWalk::walkLevel(FolderList &list, bool recurse)
{
    ReportingProcedure proc(m_boxes, Identifier);
    FolderList found;
    proc.step(104, [&] { found.clear(); });

    // Until a folder of this call passes statement 116 a failure is
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
    while (index < list.size()) { // 106
        const QString folder = list[index];
        bool removed = false;
        try {
            if (test(108, [&] { return IsFolder(folder); }) &&
                test(110, [&] { return encodePath(folder).size() < PATH_MAX; })) {
                step(112, [&] {
                    struct stat st;
                    if (::stat(encodePath(folder).constData(), &st) != 0)
                        throw SystemFailure(errno, folder);
                    m_walked.insert({st.st_dev, st.st_ino});
                });
                step(114, [&] { m_yield.point(); });
                if (test(116, [&] { return mayWalk(folder); })) {
                    listing = true;
                    listSubFolders(folder, found); // 118-134
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
            if (dropsFolder(error)) { // 138-148
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

    if (recurse && !found.isEmpty()) { // 150
        try {
            walkLevel(found, true);
        } catch (...) {
        }
    }

    for (const QString &next : std::as_const(found)) { // 152
        if (proc.test(154, [&] { return IsFolder(next); })) {
            proc.step(156, [&] { m_yield.point(); });
            if (proc.test(158, [&] { return mayWalk(next); }))
                proc.step(160, [&] { list.append(next); });
        }
    }
}

// Statements 118 to 134: appends the sub-folders of folder to found, in
// listing order. Throws SystemFailure when the folder cannot be listed.
void FolderWalk::listSubFolders(const QString &folder, FolderList &found)
{
    std::unique_ptr<DIR, DirCloser> dir(opendir(encodePath(folder).constData()));
    if (!dir)
        throw SystemFailure(errno, folder);
    const int fd = dirfd(dir.get());
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir.get());
        if (!entry)
            break;
        const QByteArrayView name(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        if (name == "." || name == "..")
            continue;
        struct stat st;
        bool haveStat = false;
        if (entry->d_type != DT_DIR) {
            if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
                continue;
            if (fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISDIR(st.st_mode))
                continue;
            haveStat = true;
        }
        m_yield.point();                                         // 120
        if (name.size() > NAME_MAX || HasUnsafeCharacters(name)) // 124-130
            continue;
        // A folder met before (a link back into the tree) is left out.
        if (!haveStat && fstatat(fd, entry->d_name, &st, 0) != 0)
            continue;
        if (!m_walked.insert({st.st_dev, st.st_ino}).second)
            continue;
        found.append(folder + decodeName(name) + u'/'); // 132-134
    }
    if (errno != 0)
        throw SystemFailure(errno, folder);
}

void GetSubDirectories2016(FolderList &list, bool recurse, MessageBoxes &boxes, EventLoop *loop,
                           std::chrono::milliseconds yieldInterval)
{
    FolderWalk walk(boxes, loop, yieldInterval);
    walk.GetSubDirectories2016(list, recurse);
}

} // namespace Quillfen
