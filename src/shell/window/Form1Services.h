#pragma once

#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>

namespace Quillfen {

class BackgroundWork;
class EventLoop;
class HtmlTextSource;
class MessageBoxes;
class SettingsArea;

// What the main window needs from outside: the platform services, the
// data folder and the few choices a test wants to make.
struct Form1Services
{
    MessageBoxes &boxes;
    SettingsArea &settings;
    EventLoop &loop;
    BackgroundWork &work;
    HtmlTextSource &html;
    // The folder that holds the data files (Samples, skin, pointers).
    QString applicationFolder{};
    // The maker's home page for the start-up draw; empty opens nothing.
    QString homePageAddress{};
    std::function<void(const QUrl &)> openUrl{};
    // Seeds the start-up draw; seconds since midnight when unset.
    std::function<quint32()> drawSeed{};
    // Records the sample files at a first start. Stand-in until the
    // sample files ship: unset does nothing.
    std::function<void()> takeSampleSnapshot{};
    // Least time between two yields of a run; zero yields at every point.
    std::chrono::milliseconds yieldInterval{10};
};

} // namespace Quillfen
