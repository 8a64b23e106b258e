#pragma once

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
    void GetSubDirectories2016(FolderList &list, bool recurse);

private:
    // Returns how many of the entries list held at the call remain in it.
    qsizetype walkLevel(FolderList &list, bool recurse);
    void listSubFolders(const QString &folder, FolderList &found);

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
};

// One walk with a fresh FolderWalk.
void GetSubDirectories2016(FolderList &list, bool recurse, MessageBoxes &boxes, EventLoop *loop,
                           std::chrono::milliseconds yieldInterval = PacedYield::DefaultInterval);

} // namespace Quillfen
