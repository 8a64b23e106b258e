#pragma once

#include "FolderListing.h"
#include "core/ReportingProcedure.h"
#include "platform/MessageBoxes.h"
#include "platform/PacedYield.h"

#include <QStringList>
#include <optional>
#include <sys/types.h>
#include <unordered_set>

namespace Quillfen {

// Folder paths, each ending in "/", in walk order.
using FolderList = QStringList;

// The folder walk. Reports its general failures with its own identifier
// and goes on; folders that cannot be listed are dropped without a report.
class FolderWalk
{
public:
    FolderWalk(MessageBoxes &boxes, EventLoop *loop,
               std::chrono::milliseconds yieldInterval = PacedYield::DefaultInterval)
        : m_boxes(std::in_place, boxes), m_reports(*m_boxes), m_yield(loop, yieldInterval)
    {}
    FolderWalk(FailureReports &reports, EventLoop *loop,
               std::chrono::milliseconds yieldInterval = PacedYield::DefaultInterval)
        : m_reports(reports), m_yield(loop, yieldInterval)
    {}

    // Extends list, breadth first, with the folders below its entries
    // (with recurse false, one level only). Hidden folders are walked;
    // names that are not valid UTF-8 or hold control characters are not,
    // and a folder reached again through a link is neither walked nor
    // appended again. An entry that cannot be listed for lack of permission
    // or because it vanished is removed from list.
    //
    // A symbolic link that leads outside the folders list held at the call
    // (its target's real path is not below theirs) is not followed, unless
    // links are followed: it is noted in linksNotFollowed() instead. Links
    // inside are walked as any folder.
    void collectSubfolders(FolderList &list, bool recurse);

    // Whether links that lead outside the folders given are followed
    // (loops are still found: a folder is walked once).
    void setFollowLinks(bool follow) { m_followLinks = follow; }

    // The names listMatchingFiles gives for folder, less the links to files
    // outside the folders the last walk was given, which are noted, unless
    // links are followed.
    QStringList filesInFolder(const QString &folder, const WildcardPattern &pattern);

    // The paths of the links not followed, in the order met, over every
    // walk of this object.
    const QStringList &linksNotFollowed() const { return m_linksNotFollowed; }

private:
    // Returns how many of the entries list held at the call remain in it.
    qsizetype walkLevel(FolderList &list, bool recurse);
    void listSubFolders(const QString &folder, FolderList &found);
    // True when the link at path may be followed; else notes it.
    bool mayFollowLink(const QString &path);

    std::optional<ReportBoxes> m_boxes;
    FailureReports &m_reports;
    PacedYield m_yield;
    struct FolderId
    {
        dev_t device;
        ino_t inode;
        bool operator==(const FolderId &) const = default;
    };
    struct FolderIdHash
    {
        size_t operator()(const FolderId &id) const
        {
            return std::hash<ino_t>()(id.inode) ^ (std::hash<dev_t>()(id.device) << 1);
        }
    };
    std::unordered_set<FolderId, FolderIdHash> m_walked; // folders walked or queued
    bool m_followLinks = false;
    QStringList m_roots; // the real paths of the folders given, each ending in "/"
    QStringList m_linksNotFollowed;
};

// The one-line notice of a link not followed, its path escaped.
QString linkNotFollowedLine(const QString &link);

// The window's one report of the links an add did not follow: how many, then
// a line for each of the first few.
QString linksNotFollowedReport(const QStringList &links);

// One walk with a fresh FolderWalk.
void collectSubfolders(FolderList &list, bool recurse, MessageBoxes &boxes, EventLoop *loop,
                       std::chrono::milliseconds yieldInterval = PacedYield::DefaultInterval);

} // namespace Quillfen
