#pragma once

#include "RunInterfaces.h"
#include "Segmentation.h"
#include "platform/BackgroundWork.h"
#include "platform/MessageBoxes.h"
#include "platform/WindowState.h"
#include "reading/HtmlTextSource.h"

#include <QString>
#include <chrono>
#include <functional>

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

// The progress bar's caption after a run: "1,234 rows from 56 files (2 could
// not be read) in 0.8 s". One row, one file, no failures: "1 row from 1
// file in 0.0 s". Counts are grouped by thousands with ",", the time has
// one decimal.
QString runSummary(qsizetype rows, int files, int unread, double seconds);

// "Start Extracting": walks the input rows in order, reads each file, cuts
// its text and appends the rows that pass the filter, with progress, the
// busy pointer and yields, and ends with the summary on the progress bar
// and "Done.". A second start while a run is in progress does nothing; a
// stop asked for meanwhile ends it after the file at hand, with
// "Stopped.".
class ExtractionRun
{
public:
    explicit ExtractionRun(RunEnvironment environment) : m_env(environment) {}

    // Zero yields at every yield point; the window spaces them by time.
    void setYieldInterval(std::chrono::milliseconds interval) { m_yieldInterval = interval; }

    // Told true when a run begins its files and false when it is through
    // them, before its closing messages.
    void setRunningChanged(std::function<void(bool)> changed) { m_changed = std::move(changed); }

    void start();
    bool isRunning() const { return m_running; }
    // No file after the one at hand is begun.
    void requestStop() { m_stopRequested = true; }

private:
    class Pass;
    RunEnvironment m_env;
    std::chrono::milliseconds m_yieldInterval{0};
    std::function<void(bool)> m_changed;
    bool m_running = false;
    bool m_stopRequested = false;
};

} // namespace Quillfen
