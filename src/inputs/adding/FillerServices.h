#pragma once

#include "core/SettingsStore.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/PacedYield.h"
#include "platform/WindowState.h"

namespace Quillfen {

// The settings key of the check box "Follow links out of folders".
inline const QString FollowLinksKey = QStringLiteral("FollowLinks");

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
    bool followLinks = false; // the folder walk follows links out of the folder chosen
};

} // namespace Quillfen
