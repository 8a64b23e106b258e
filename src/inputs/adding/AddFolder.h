#pragma once

#include "FillerServices.h"
#include "InputListTarget.h"

namespace Quillfen {

// "Add All File(s) In Folder": asks for an extension and a folder, keeps
// both in the settings, and appends every file of that extension in the
// folder and all folders below it, folder by folder in walk order. The
// pointer shows busy while the tree is walked and listed. A reporting
// procedure.
class AddFolderAction
{
public:
    static inline const QString ExtensionPrompt =
        QStringLiteral("Enter file extension to load:\r\r"
                       "(* for all files, txt for all txt files, doc for all doc files, etc.)");
    static inline const QString FolderPrompt = QStringLiteral("Please select folder:");
    static inline const QString ExtensionKey = QStringLiteral("Extension");
    static inline const QString LastFolderKey = QStringLiteral("LastFolder");

    static void run(const FillerServices &services, InputListTarget &target);
};

} // namespace Quillfen
