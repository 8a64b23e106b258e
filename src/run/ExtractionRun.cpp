#include "ExtractionRun.h"

#include "OrderedExtraction.h"
#include "RunSummary.h"
#include "core/ApplicationError.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "platform/EscapedText.h"
#include "reading/documents/DocumentFormats.h"

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <thread>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace Quillfen {

namespace {

namespace Site = ReportSites::StartExtracting;

// A file's rows as the results list keeps them, handed on in chunks while
// the file is cut: the list shows a large file's rows as they come, and
// holds them without copying.
class RowChunks final : public RowSink, public Utf8RowSink
{
public:
    explicit RowChunks(OutputChunks &output) : m_output(output) { begin(); }

    void append(QStringView row) override
    {
        m_rows->append(row);
        added(row.size());
    }
    void appendUtf8Row(QByteArrayView row) override
    {
        m_rows->appendUtf8(row);
        added(row.size());
    }
    void finish()
    {
        spareBlock() = m_rows->writingBlock();
        m_output.handChunk({{}, std::move(m_rows), m_bytes});
    }

private:
    // Enough rows that handing them on costs little beside cutting them.
    static constexpr qsizetype ChunkBytes = qsizetype(1) << 20;

    // The free room of the rows this thread cut last: the next file's rows
    // go on in it, so that many small files share blocks.
    static RowTexts::SharedBlock &spareBlock()
    {
        thread_local RowTexts::SharedBlock spare;
        return spare;
    }
    void begin()
    {
        m_rows = std::make_shared<RowTexts>();
        m_rows->continueIn(spareBlock());
        m_bytes = 0;
    }
    void added(qsizetype bytes)
    {
        m_bytes += bytes;
        if (m_bytes >= ChunkBytes) {
            finish();
            begin();
        }
    }

    OutputChunks &m_output;
    std::shared_ptr<RowTexts> m_rows;
    qsizetype m_bytes = 0;
};

double share(qsizetype part, qsizetype whole)
{
    return whole == 0 ? 0.0 : double(part) / double(whole) * 100.0;
}

class RunningFlag
{
public:
    explicit RunningFlag(bool &flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    Q_DISABLE_COPY_MOVE(RunningFlag)

private:
    bool &m_flag;
};

} // namespace

// One press of "Start Extracting", from the first input row to "Done.".
class ExtractionRun::Pass
{
public:
    explicit Pass(ExtractionRun &run)
        : m_run(run), m_env(run.m_env), m_proc(m_env.boxes, Site::Identifier)
    {}

    // A file that cannot be read is no fault of the program: one plain
    // box says how many and lists each with its reason, in full.
    void tellUnreadFiles()
    {
        m_env.boxes.show({unreadFilesHeading(m_failures.size()), applicationTitle(),
                          MessageButtons::Ok, MessageIcon::Warning,
                          unreadFilesDetails(m_failures)});
    }

    void run()
    {
        if (m_env.inputs.rowCount() == 0) {
            m_proc.step(Site::NoFilesMessage,
                        [&] { showMessage(m_env.boxes, u"No files added."_s); });
            return;
        }
        // The options are taken once: a run is made with one set of them.
        RunChoices choices;
        if (!m_proc.step(Site::TakeOptions, [&] { choices = m_env.options.choices(); }))
            return;
        if (const auto problem = choices.filter.problem()) {
            m_proc.step(Site::InvalidPatternMessage,
                        [&] { showMessage(m_env.boxes, problem->message()); });
            return;
        }
        choices.reading.cancelled = &m_run.m_stopRequested;
        m_run.m_choices = choices;
        // The files as listed now: rows added or removed later are not
        // this run's.
        for (int row = 1; row <= m_env.inputs.rowCount(); ++row)
            m_proc.step(Site::ReadInputRow, [&] { m_paths << m_env.inputs.rowText(row); });

        QElapsedTimer clock;
        clock.start();
        if (m_run.m_changed)
            m_run.m_changed(true);
        m_env.progress.setProgressCaption(u"Progress Bar"_s);
        m_env.inputs.clearUnreadMarks();
        m_env.loop.yield();
        m_env.results.clearRows();
        handFiles(m_run.m_choices);
        const bool stopped = m_run.m_stopRequested;
        m_env.results.flushRows();
        m_env.pointer.setPointerMode(PointerMode::Default);
        m_env.progress.setProgressValue(0);
        m_run.m_summaryTail =
            runSummaryTail(m_files, int(m_failures.size()), double(clock.elapsed()) / 1000.0);
        m_env.progress.setProgressCaption(rowsSummary(m_rows, m_rows, m_rows) +
                                          m_run.m_summaryTail);
        if (m_run.m_changed)
            m_run.m_changed(false);
        if (!m_failures.empty())
            tellUnreadFiles();
        m_proc.step(Site::DoneMessage,
                    [&] { showMessage(m_env.boxes, stopped ? u"Stopped."_s : u"Done."_s); });
    }

private:
    // Workers read and cut; this thread hands their rows to the list in
    // order and yields in between, never waiting long for either.
    void handFiles(const RunChoices &choices)
    {
        const FileWork work = [&choices](const QString &path, OutputChunks &output) {
            RowChunks rows(output);
            std::optional<FileFailure> failure = extractFileAsUtf8(path, choices, rows, rows);
            rows.finish();
            return failure;
        };
        const int workers = m_run.m_workers > 0 ? m_run.m_workers : QThread::idealThreadCount();
        OrderedRun files(m_paths, workers, work);
        const auto take = [&](OutputChunk &&chunk) {
            m_env.results.appendRows(chunk.rows, 0, chunk.rows->size());
            m_rows += chunk.rows->size();
        };
        OrderedReports reports;
        reports.starting = [&](qsizetype i) {
            const QString &path = m_paths[i];
            ++m_files;
            m_env.results.beginFile(path);
            m_env.progress.setProgressValue(share(i + 1, m_paths.size()));
            m_env.progress.setProgressCaption(u"Processing: "_s +
                                              escapedText(fileNameOfPath(path)));
            m_env.pointer.setPointerMode(PointerMode::Busy);
        };
        reports.failed = [&](qsizetype, const FileFailure &failure) {
            m_failures.push_back(failure);
            m_env.inputs.markUnread(failure.path, failureLine(failure));
        };

        const std::chrono::milliseconds interval = m_run.m_yieldInterval;
        const bool stepwise = interval.count() == 0;
        // The longest this thread waits or hands rows over between yields.
        const auto slice = stepwise ? 5ms : std::clamp(interval / 2, 1ms, 5ms);
        QElapsedTimer sinceHand;
        bool allCut = false;
        for (bool finished = false; !finished;) {
            if (m_run.m_stopRequested)
                files.cancel();
            // Between batches, the rest of the rows go as soon as all is cut.
            if (!stepwise && !allCut && sinceHand.isValid() &&
                sinceHand.elapsed() < HandInterval.count()) {
                allCut = files.waitUntilAllCut(slice);
            } else {
                sinceHand.start();
                bool handed = false;
                const auto enough = [&] {
                    handed = true;
                    return stepwise || sinceHand.elapsed() >= slice.count();
                };
                // A list that refuses rows (it is full) ends the run.
                finished = !m_proc.step(Site::HandlePiece, [&] {
                    finished = files.handReady(take, reports, enough);
                }) || finished;
                m_env.results.flushRows();
                if (!finished && !handed)
                    files.waitForOutput(slice);
            }
            if (!finished)
                m_env.loop.yield();
        }
        // Files begun before a stop are finished by their workers, whose
        // output is dropped; the window goes on meanwhile.
        files.end();
        while (!files.workersDone()) {
            std::this_thread::sleep_for(slice);
            m_env.loop.yield();
        }
    }

    ExtractionRun &m_run;
    const RunEnvironment &m_env;
    ReportingProcedure m_proc;
    QStringList m_paths;
    qsizetype m_rows = 0;
    int m_files = 0;
    // Files that could not be read, reported together when the run ends.
    std::vector<FileFailure> m_failures;
};

void ExtractionRun::start()
{
    if (m_running)
        return;
    const RunningFlag flag(m_running);
    m_stopRequested = false;
    Pass(*this).run();
}

} // namespace Quillfen
