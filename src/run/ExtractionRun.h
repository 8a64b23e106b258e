#pragma once

#include "RunInterfaces.h"
#include "platform/MessageBoxes.h"
#include "platform/WindowState.h"

#include <QString>
#include <atomic>
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
};

// "Start Extracting": takes the options and the input list as they stand,
// reads and cuts the files on worker threads (the pipeline of
// quillfen-cli, OrderedExtraction.h) and appends their rows to the results
// list in input order, in batches, with the progress bar following the
// files handed over; ends with the summary on the progress bar and "Done.".
// The window's thread only hands rows over and yields, never for long. A
// second start while a run is in progress does nothing; a stop ends it
// after the file at hand, with "Stopped.".
class ExtractionRun
{
public:
    explicit ExtractionRun(RunEnvironment environment) : m_env(environment) {}

    // Zero hands over one step (a file's start, its rows, its end) at each
    // yield; otherwise rows are handed over every HandInterval, and the
    // window's thread never goes longer than about interval without a
    // yield.
    void setYieldInterval(std::chrono::milliseconds interval) { m_yieldInterval = interval; }
    static constexpr std::chrono::milliseconds HandInterval{40};
    // Worker threads; zero: one per processor.
    void setWorkers(int workers) { m_workers = workers; }

    // Told true when a run has taken its choices, before its files, and
    // false when it is through them, before its closing messages.
    void setRunningChanged(std::function<void(bool)> changed) { m_changed = std::move(changed); }

    void start();
    bool isRunning() const { return m_running; }
    // The choices of the run in progress, or of the last one.
    const RunChoices &choices() const { return m_choices; }
    // No file after the one at hand is begun; a document read by OCR stops
    // at its next page.
    void requestStop() { m_stopRequested = true; }
    // What the last run's summary says after its rows (" from 3 files in
    // 0.1 s"); empty before the first run ends.
    const QString &summaryTail() const { return m_summaryTail; }

private:
    class Pass;
    RunEnvironment m_env;
    std::chrono::milliseconds m_yieldInterval{0};
    int m_workers = 0;
    std::function<void(bool)> m_changed;
    RunChoices m_choices;
    QString m_summaryTail;
    bool m_running = false;
    std::atomic<bool> m_stopRequested = false;
};

} // namespace Quillfen
