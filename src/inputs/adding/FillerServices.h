#pragma once

#include "core/SettingsStore.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/PacedYield.h"
#include "platform/WindowState.h"

namespace Quillfen {

// What the input-list buttons reach of the window and the platform.
struct FillerServices
{
    MessageBoxes &boxes;
    Dialogs &dialogs;
    WindowPointer &pointer;
    Desktop &desktop;
    SettingsStore &settings;
    EventLoop *loop = nullptr; // null: never yields
    std::chrono::milliseconds yieldInterval = PacedYield::DefaultInterval;
};

} // namespace Quillfen
