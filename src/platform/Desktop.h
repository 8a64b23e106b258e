#pragma once

#include <QString>

namespace Quillfen {

// The desktop around the program: the file manager and browser, the
// clipboard, and the application that opens spreadsheets.
class Desktop
{
public:
    virtual ~Desktop() = default;
    // Opens a folder in the file manager or an address in the browser;
    // false when nothing could be asked to open it.
    virtual bool openLocation(const QString &folderOrAddress) = 0;
    // Opens a file with the desktop's application for its type.
    virtual bool openFile(const QString &path) = 0;
    // Shows the file in the file manager, selected where it can be.
    virtual bool showInFolder(const QString &path) = 0;

    // One attempt each; false when the clipboard could not be written.
    virtual bool clearClipboard() = 0;
    virtual bool setClipboardText(const QString &text) = 0;

    // Whether an application that shows .xlsx workbooks is available: one
    // without a display (a headless LibreOffice) does not count.
    virtual bool spreadsheetApplicationAvailable() = 0;
    // Shows the workbook to the user as a new, unsaved workbook.
    virtual bool openWorkbook(const QString &path) = 0;
};

} // namespace Quillfen
