#pragma once

#include "ExportServices.h"
#include "ListData.h"
#include "platform/PacedYield.h"

#include <QList>
#include <QString>

namespace Quillfen {

inline const QString ResultsCopiedMessage =
    QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where you "
                   "normally type and press Ctrl+V to paste the clipboard.");
inline const QString ClipboardBusyMessage =
    QStringLiteral("Nothing was copied: another program kept the clipboard busy.\r\rClose or "
                   "wait for that program, then try again.");

// How often the clipboard routines try before they give up.
constexpr int ClipboardAttempts = 1000;

// Each tries up to ClipboardAttempts times, stopping at the first success;
// failures of the platform are swallowed.
bool clearClipboardRetrying(Desktop &desktop);
bool setClipboardTextRetrying(Desktop &desktop, const QString &text);

// The checked rows laid out as a table: each cell padded with blanks to
// its column's width and followed by a tab, the line's last tab and
// trailing blanks removed, CR LF after every line. Throws Failure when a
// row vanishes while it is read.
QString clipboardText(const ListData &list, PacedYield &pacer);

enum class ClipboardCopy {
    NothingToCopy, // the list has no rows; the clipboard was not touched
    Copied,
    ClipboardBusy, // the text could not be placed in any attempt
};

// Builds the text of the checked rows and puts it on the clipboard.
// Throws Failure, leaving the clipboard alone, when the text cannot be built.
ClipboardCopy copyCheckedRowsToClipboard(const ListData &list, Desktop &desktop, PacedYield &pacer);

// "Copy Results To Clipboard": copies and then says so, or says that
// nothing was copied when the clipboard stayed busy. A failure while the
// text is built is reported and followed by no further message.
void copyResultsToClipboard(const ExportServices &services, const ListData &list);

} // namespace Quillfen
