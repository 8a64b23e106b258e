#pragma once

#include "InputListTarget.h"
#include "platform/Dialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsArea.h"

namespace Quillfen {

// "Add File(s)": the files chosen in the open dialog, in the dialog's
// order; one file as the dialog gave it, several through collapseSlashes.
// A reporting procedure; cancel adds nothing.
class AddFilesAction
{
public:
    static inline const QString Title =
        QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
    // Every format Quillfen reads first ("Documents (*.txt *.htm ...)"),
    // then all files.
    static QString filters();

    // The folder the dialog opens in: that of the last file added.
    static inline const QString LastFolderKey = QStringLiteral("LastFileFolder");

    // settings, when given, keeps the dialog's folder between uses.
    static void run(Dialogs &dialogs, MessageBoxes &boxes, InputListTarget &target,
                    SettingsArea *settings = nullptr);
};

} // namespace Quillfen
