// Runs "Start Extracting" in the real main window (offscreen) over the
// files given, with the window's own yields and worker thread, and prints
// the run's wall time, the longest gap between two yields and the number
// of rows. Options and dialogs are answered by the scripted platform.
//
// Usage: window_run_bench [--sentences] FILE...

#include "abbrev/AbbreviationStore.h"
#include "platform/fake/MemorySettingsArea.h"
#include "platform/fake/ScriptedPlatform.h"
#include "platform/qt/ThreadedWork.h"
#include "reading/html/GumboHtml.h"
#include "results/ResultsModel.h"
#include "inputs/InputListModel.h"
#include "shell/core/SettingsStore.h"
#include "shell/window/Form1.h"
#include "shell/window/HomePage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

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
        QCoreApplication::processEvents();
        ++m_yields;
        m_sinceYield.start();
    }
    double longestGapMs() const { return double(m_longestGap) / 1e6; }
    qint64 yields() const { return m_yields; }

private:
    QElapsedTimer m_sinceYield;
    qint64 m_longestGap = 0;
    qint64 m_yields = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    const bool sentences = files.removeAll(u"--sentences"_s) > 0;

    ScriptedPlatform platform;
    MemorySettingsArea settings;
    SettingsStore store(settings);
    store.saveBoolean(u"Option1"_s, !sentences);
    store.saveBoolean(u"Option2"_s, sentences);
    store.save(u"Abbreviations"_s, encodeAbbreviations(DefaultAbbreviations()));
    store.save(u"Snapshot"_s, u"-"_s);
    TimedLoop loop;
    ThreadedWork work;
    GumboHtml html;
    QTemporaryDir data;

    Form1 window({.boxes = platform,
                  .settings = settings,
                  .loop = loop,
                  .work = work,
                  .html = html,
                  .dialogs = platform,
                  .desktop = platform,
                  .applicationFolder = data.path(),
                  .homePageAddress = {},
                  .drawSeed = {},
                  .yieldInterval = std::chrono::milliseconds(10),
                  .exportYieldInterval = std::chrono::milliseconds(30)});
    window.Form_Load();
    window.resize(1280, 800);
    window.show();
    for (const QString &file : std::as_const(files))
        window.inputList().appendRow(file);
    QCoreApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    window.PushButton1_Click();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;

    std::fprintf(stderr, "window run: %.3f s, %lld yields, longest gap %.1f ms, %d rows, %lld boxes\n",
                 seconds, static_cast<long long>(loop.yields()), loop.longestGapMs(),
                 window.results().rowCount(), static_cast<long long>(platform.shownRequests().size()));
    return 0;
}
