// Runs "Start Extracting" in the real main window (offscreen) over the
// files given, with the window's own yields and worker thread, and prints
// the run's wall time, the longest gap between two yields and the number
// of rows. Options and dialogs are answered by the scripted platform.
// --hidden runs it in a window never shown: all but the painting.
// --pause waits the given seconds before pressing the button, as a user
// does: a virtual machine may meanwhile hand the memory other programs freed
// back to its host, which makes fresh memory slower to fill.
//
// --screenshot FILE saves the window as it shows while the run goes (its
// rows half in), to look at what the user sees; QT_QPA_PLATFORM=xcb under
// xvfb-run shows it on a display, offscreen is the default.
//
// Usage: window_run_bench [--sentences] [--hidden] [--pause SECONDS]
//                         [--screenshot FILE] FILE...

#include "BenchWindow.h"
#include "abbrev/AbbreviationStore.h"
#include "inputs/InputListModel.h"
#include "results/ResultsModel.h"
#include "windows/main/CaptionedProgressBar.h"
#include "windows/main/HomePage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <thread>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

// The real event processing, timing the stretches between yields.
class TimedLoop final : public EventLoop
{
public:
    void yield() override
    {
        if (m_sinceYield.isValid())
            m_longestGap = std::max(m_longestGap, m_sinceYield.nsecsElapsed());
        QElapsedTimer events;
        events.start();
        QCoreApplication::processEvents();
        m_inEvents += events.nsecsElapsed();
        ++m_yields;
        if (onYield)
            onYield();
        m_sinceYield.start();
    }
    std::function<void()> onYield;
    double longestGapMs() const { return double(m_longestGap) / 1e6; }
    qint64 yields() const { return m_yields; }
    double inEventsMs() const { return double(m_inEvents) / 1e6; }

private:
    QElapsedTimer m_sinceYield;
    qint64 m_longestGap = 0;
    qint64 m_yields = 0;
    qint64 m_inEvents = 0;
};

// Processor time so far of the whole process (every thread included) or of
// the calling thread.
double processorSeconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Page faults so far that needed no reading (fresh memory among them).
long pageFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    const bool sentences = files.removeAll(u"--sentences"_s) > 0;
    const bool hidden = files.removeAll(u"--hidden"_s) > 0;
    double pauseSeconds = 0;
    if (const qsizetype at = files.indexOf(u"--pause"_s); at >= 0 && at + 1 < files.size()) {
        pauseSeconds = files.at(at + 1).toDouble();
        files.remove(at, 2);
    }
    QString screenshot;
    if (const qsizetype at = files.indexOf(u"--screenshot"_s); at >= 0 && at + 1 < files.size()) {
        screenshot = files.at(at + 1);
        files.remove(at, 2);
    }

    Bench::BenchWindow bench;
    bench.store.saveBoolean(u"Option1"_s, !sentences);
    bench.store.saveBoolean(u"Option2"_s, sentences);
    bench.store.save(u"Abbreviations"_s, encodeAbbreviations(defaultAbbreviations()));
    TimedLoop loop;
    MainWindow &window = bench.open(loop, !hidden);
    for (const QString &file : std::as_const(files))
        window.inputList().appendRow(file);
    QCoreApplication::processEvents();
    if (pauseSeconds > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(pauseSeconds));
        QCoreApplication::processEvents();
    }

    QElapsedTimer timer;
    const double processorBefore = processorSeconds();
    const double windowBefore = processorSeconds(RUSAGE_THREAD);
    const long faultsBefore = pageFaults();
    timer.start();
    if (!screenshot.isEmpty()) {
        loop.onYield = [&, taken = false]() mutable {
            if (!taken && window.results().rowCount() > 0 &&
                window.progressBar()->percent() >= 50.0)
                taken = window.grab().save(screenshot);
        };
    }
    window.startExtracting();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double processor = processorSeconds() - processorBefore;
    const double windowThread = processorSeconds(RUSAGE_THREAD) - windowBefore;
    const long faults = pageFaults() - faultsBefore;

    std::fprintf(
        stderr,
        "window run: %.3f s (processor %.3f s, window's thread %.3f s), %lld yields (%.1f ms in "
        "events), longest gap %.1f ms, %d rows, %lld boxes, %ld page faults\n",
        seconds, processor, windowThread, static_cast<long long>(loop.yields()), loop.inEventsMs(),
        loop.longestGapMs(), window.results().rowCount(),
        static_cast<long long>(bench.platform.shownRequests().size()), faults);
    return 0;
}
