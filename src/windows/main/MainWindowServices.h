#pragma once

#include <QString>
#include <chrono>
#include <functional>

namespace Quillfen {

class Desktop;
class Dialogs;
class EventLoop;
class MessageBoxes;
class SettingsArea;

// What the main window needs from outside: the platform services, the
// data folder and the few choices a test wants to make.
struct MainWindowServices
{
    MessageBoxes &boxes;
    SettingsArea &settings;
    EventLoop &loop;
    Dialogs &dialogs;
    // The file manager, the browser, the clipboard, the spreadsheet program.
    Desktop &desktop;
    // The folder that holds the data files (Samples, skin, pointers).
    QString applicationFolder{};
    // The maker's home page for the start-up draw; empty opens nothing.
    QString homePageAddress{};
    // Seeds the start-up draw; seconds since midnight when unset.
    std::function<quint32()> drawSeed{};
    // Least time between two yields of a run, a folder walk or a drop;
    // zero yields at every point.
    std::chrono::milliseconds yieldInterval{10};
    // The same for the three exports.
    std::chrono::milliseconds exportYieldInterval{30};
    // Where new workbooks are written; empty: the user's cache folder.
    QString workbookFolder{};
};

} // namespace Quillfen
