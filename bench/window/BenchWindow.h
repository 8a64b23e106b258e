#pragma once

// The main window as the window benchmarks drive it: offscreen, dialogs
// answered by the scripted platform, settings in memory, the real worker
// thread and HTML reader, 1280 x 800 and shown.

#include "MemorySettingsArea.h"
#include "ScriptedPlatform.h"
#include "core/SettingsStore.h"
#include "windows/main/MainWindow.h"

#include <QTemporaryDir>
#include <chrono>
#include <memory>

namespace Quillfen::Bench {

class BenchWindow
{
public:
    Testing::ScriptedPlatform platform;
    Testing::MemorySettingsArea settings;
    SettingsStore store{settings};

    // Builds, loads and shows the window (unless told not to: a window never
    // shown never paints); fill settings first.
    MainWindow &open(EventLoop &loop, bool shown = true)
    {
        store.save(QStringLiteral("Snapshot"), QStringLiteral("-"));
        m_window = std::make_unique<MainWindow>(
            MainWindowServices{.boxes = platform,
                               .settings = settings,
                               .loop = loop,
                               .dialogs = platform,
                               .desktop = platform,
                               .applicationFolder = m_data.path(),
                               .homePageAddress = {},
                               .drawSeed = {},
                               .yieldInterval = std::chrono::milliseconds(10),
                               .exportYieldInterval = std::chrono::milliseconds(30)});
        m_window->startUp();
        m_window->resize(1280, 800);
        if (shown)
            m_window->show();
        return *m_window;
    }

private:
    QTemporaryDir m_data;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace Quillfen::Bench
