#pragma once

#include "InputListTarget.h"
#include "platform/Dialogs.h"
#include "platform/MessageBoxes.h"

namespace Quillfen {

// "Add File(s)": the files chosen in the open dialog, in the dialog's
// order; one file as the dialog gave it, several through NormalizePath.
// A reporting procedure; cancel adds nothing.
class AddFilesAction
{
public:
    static inline const QString Title =
        QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
    // Every format Quillfen reads first ("Documents (*.txt *.htm ...)"),
    // then all files.
    static QString filters();

    static void run(Dialogs &dialogs, MessageBoxes &boxes, InputListTarget &target);
};

} // namespace Quillfen
