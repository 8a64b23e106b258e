#pragma once

#include "RunInterfaces.h"
#include "Segmentation.h"
#include "platform/BackgroundWork.h"
#include "platform/MessageBoxes.h"
#include "platform/WindowState.h"
#include "reading/HtmlTextSource.h"

#include <QString>
#include <chrono>

namespace Quillfen {

struct RunEnvironment
{
    MessageBoxes &boxes;
    EventLoop &loop;
    WindowPointer &pointer;
    ProgressDisplay &progress;
    InputRows &inputs;
    ResultRows &results;
    ExtractionOptions &options;
    AbbreviationSource &abbreviations;
    HtmlTextSource &html;
    BackgroundWork &work;
};

// The part of a path after its last "/"; the whole path without one.
QString FileNameOfPath(const QString &path);

// "Start Extracting": walks the input rows in order, reads each file, cuts
// its text and appends the rows that pass the filter, with progress, the
// busy pointer and yields, and ends with "Done.". A second start while a
// run is in progress does nothing.
class ExtractionRun
{
public:
    explicit ExtractionRun(RunEnvironment environment) : m_env(environment) {}

    // Zero yields at every yield point; the window spaces them by time.
    void setYieldInterval(std::chrono::milliseconds interval) { m_yieldInterval = interval; }

    void start();
    bool isRunning() const { return m_running; }

private:
    class Pass;
    RunEnvironment m_env;
    std::chrono::milliseconds m_yieldInterval{0};
    bool m_running = false;
};

} // namespace Quillfen
