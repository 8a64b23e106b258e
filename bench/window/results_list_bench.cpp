// Fills the main window's results list (the real model and list control,
// offscreen) with many rows, then scrolls it, saves it through "Save
// Results As Text File" and empties it through its "Clear List", and prints
// for each action its time and the longest stretch in which the event loop
// did not run, measured by a heartbeat timer that ticks every 2 ms. Also
// prints the memory the rows are held in against the row texts' size; the
// rows come from files of 100 rows each, as a run's rows name their file.
//
// Every round fills the list anew and runs every action once; the table
// gives medians over the rounds and the largest gap of any round.
//
// Usage: results_list_bench [ROWS] [ROUNDS]   (defaults 2000000, 3)

#include "BenchWindow.h"
#include "ScriptedPlatform.h"
#include "platform/qt/ProcessEventsLoop.h"
#include "results/ResultsModel.h"
#include "windows/main/ListViewControl.h"
#include "windows/main/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

// Ticks every few milliseconds while the event loop runs; the longest time
// between two ticks is the longest the window could not answer.
class Heartbeat final : public QObject
{
public:
    Heartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(2);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_timer.start();
    }
    void restart()
    {
        m_longest = 0;
        m_sinceTick.start();
    }
    double longestGapMs()
    {
        tick(); // the stretch since the last tick counts too
        return double(m_longest) / 1e6;
    }

private:
    void tick()
    {
        if (m_sinceTick.isValid())
            m_longest = std::max(m_longest, m_sinceTick.nsecsElapsed());
        m_sinceTick.start();
    }

    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

const QStringList Words = {u"river"_s,    u"harbour"_s,  u"council"_s, u"winter"_s,  u"market"_s,
                           u"letter"_s,   u"evening"_s,  u"garden"_s,  u"station"_s, u"journey"_s,
                           u"the"_s,      u"of"_s,       u"and"_s,     u"to"_s,      u"in"_s,
                           u"Quillfen"_s, u"Tarnwick"_s, u"café"_s,    u"naïve"_s,   u"Ashby"_s};

// Rows like sentences, of 3 to 40 words; the same every time.
QString sentence(QRandomGenerator &random)
{
    QString text;
    const int words = 3 + int(random.bounded(38));
    for (int i = 0; i < words; ++i) {
        if (i)
            text += u' ';
        text += Words.at(int(random.bounded(qsizetype(Words.size()))));
    }
    text += u'.';
    return text;
}

// Times of each action over the rounds.
class Figures
{
public:
    void add(const QString &what, double seconds, double gapMs)
    {
        if (!m_order.contains(what))
            m_order << what;
        m_seconds[what] << seconds;
        m_gaps[what] << gapMs;
    }
    void print(int rows, int rounds) const
    {
        std::printf("| %d rows, %d rounds | median s | median longest gap ms | largest gap ms |\n"
                    "|---|---:|---:|---:|\n",
                    rows, rounds);
        for (const QString &what : m_order)
            std::printf("| %s | %.2f | %.1f | %.1f |\n", qPrintable(what), median(m_seconds[what]),
                        median(m_gaps[what]),
                        *std::max_element(m_gaps[what].begin(), m_gaps[what].end()));
    }

private:
    static double median(QList<double> values)
    {
        std::sort(values.begin(), values.end());
        return values.at(values.size() / 2);
    }

    QStringList m_order;
    QHash<QString, QList<double>> m_seconds;
    QHash<QString, QList<double>> m_gaps;
};

// Times the action and the longest gap of the event loop while it works.
template <typename Action>
void measure(Heartbeat &heart, Figures &figures, const QString &what, Action action)
{
    QCoreApplication::processEvents();
    heart.restart();
    QElapsedTimer timer;
    timer.start();
    action();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    figures.add(what, seconds, heart.longestGapMs());
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int rows = arguments.size() > 1 ? arguments.at(1).toInt() : 2'000'000;
    const int rounds = arguments.size() > 2 ? arguments.at(2).toInt() : 3;

    Bench::BenchWindow bench;
    ProcessEventsLoop loop;
    MainWindow &window = bench.open(loop);
    Testing::ScriptedPlatform &platform = bench.platform;
    QTemporaryDir data;
    Heartbeat heart;
    ResultsModel &results = window.results();
    ListViewControl &list = *window.resultsListView();
    QScrollBar &bar = *list.verticalScrollBar();

    Figures figures;
    std::size_t textBytes = 0;
    std::size_t held = 0;
    const QString saved = data.filePath(u"rows.txt"_s);
    for (int round = 0; round < rounds; ++round) {
        // What the machine alone costs: on a shared one, other work takes
        // the processor away now and then.
        measure(heart, figures, u"idle event loop, 1 s (the machine's own gaps)"_s, [] {
            QElapsedTimer idle;
            idle.start();
            while (idle.elapsed() < 1000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        });
        // As a run fills it: batches announced between yields.
        measure(heart, figures, u"fill (2,000 rows a batch)"_s, [&] {
            QRandomGenerator random(7);
            textBytes = 0;
            for (int row = 0; row < rows; ++row) {
                if (row % 100 == 0)
                    results.beginFile(u"/home/user/Documents/corpus/file-%1.txt"_s.arg(row / 100));
                const QString text = sentence(random);
                textBytes += std::size_t(text.size()) * sizeof(char16_t);
                results.append(text);
                if (row % 2'000 == 1'999) {
                    results.flushRows();
                    QCoreApplication::processEvents();
                }
            }
            results.flushRows();
        });
        held = results.bytesHeld();
        measure(heart, figures, u"scroll: to the end, 500 pages up, to the start"_s, [&] {
            bar.triggerAction(QAbstractSlider::SliderToMaximum);
            QCoreApplication::processEvents();
            for (int page = 0; page < 500; ++page) {
                bar.triggerAction(QAbstractSlider::SliderPageStepSub);
                QCoreApplication::processEvents();
            }
            bar.triggerAction(QAbstractSlider::SliderToMinimum);
            QCoreApplication::processEvents();
        });
        measure(heart, figures, u"scroll: 500 jumps of the thumb"_s, [&] {
            QRandomGenerator random(11);
            for (int jump = 0; jump < 500; ++jump) {
                bar.setValue(int(random.bounded(bar.maximum() + 1)));
                QCoreApplication::processEvents();
            }
        });
        QFile::remove(saved);
        platform.answerSaveFile(saved);
        measure(heart, figures, u"Save Results As Text File (new file)"_s,
                [&] { window.button(MainButton::SaveTextFile)->click(); });
        // The old file's room is given back when the new one replaces it.
        platform.answerSaveFile(saved);
        platform.answerNext(MessageAnswer::Yes);
        measure(heart, figures, u"Save Results As Text File (over the last)"_s,
                [&] { window.button(MainButton::SaveTextFile)->click(); });
        // Until the rows' memory is given back, a little per turn.
        measure(heart, figures, u"Clear List, memory given back"_s, [&] {
            window.button(MainButton::ClearResults)->click();
            while (results.retiredBytes() > 0)
                QCoreApplication::processEvents();
        });
    }
    figures.print(rows, rounds);
    QCoreApplication::processEvents();

    const double perRow = 32.0 * rows;
    std::printf("\nbytes a row: %.1f\n", double(held) / rows);
    std::printf("rows held in %.0f MB; allowed: 2 x %.0f MB of UTF-16 + 32 bytes a row = %.0f MB\n",
                double(held) / 1e6, double(textBytes) / 1e6,
                (2.0 * double(textBytes) + perRow) / 1e6);
    std::printf("saved file: %.0f MB; rows left after Clear List: %d; overwrite questions: %lld\n",
                double(QFileInfo(saved).size()) / 1e6, results.rowCount(),
                static_cast<long long>(platform.shownRequests().size()));
    return 0;
}
