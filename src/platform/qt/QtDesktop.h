#pragma once

#include "platform/Desktop.h"

namespace Quillfen {

// The desktop through QDesktopServices, QClipboard and the applications
// registered for .xlsx workbooks.
class QtDesktop final : public Desktop
{
public:
    bool openLocation(const QString &folderOrAddress) override;
    bool openFile(const QString &path) override;
    bool showInFolder(const QString &path) override;
    bool clearClipboard() override;
    bool setClipboardText(const QString &text) override;
    bool spreadsheetApplicationAvailable() override;
    bool openWorkbook(const QString &path) override;
};

} // namespace Quillfen
