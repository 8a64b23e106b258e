#pragma once

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsArea.h"
#include "platform/WindowState.h"

#include <chrono>

namespace Quillfen {

// What the three exports reach of the platform: the main window's boxes,
// dialogs, pointer and event loop, and the desktop.
struct ExportServices
{
    MessageBoxes &boxes;
    Dialogs &dialogs;
    Desktop &desktop;
    WindowPointer &pointer;
    // Pending window events are processed while an export works; without
    // a loop it never yields.
    EventLoop *loop = nullptr;
    // Zero yields at every row and cell; a window passes a few tens of
    // milliseconds, which keeps it as responsive at a fraction of the cost.
    std::chrono::milliseconds yieldInterval{0};
    // Where the save dialogs remember their last folder; none: they
    // remember nothing.
    SettingsArea *settings = nullptr;
};

} // namespace Quillfen
