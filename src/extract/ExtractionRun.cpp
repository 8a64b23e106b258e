#include "ExtractionRun.h"

#include "FileExtraction.h"
#include "NextFileCut.h"
#include "abbrev/AbbreviationStore.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "platform/EscapedText.h"
#include "platform/PacedYield.h"
#include "reading/IncompleteText.h"
#include "reading/documents/DocumentFormats.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// Reading or cutting less than this runs inline: handing it to a worker
// would cost more than the pause it saves.
constexpr qint64 InlineFileBytes = 4 << 20;
constexpr qsizetype InlineTextChars = 2 << 20;
// Larger files are not prepared ahead: their bytes and rows would be held
// before their turn, several of them at once.
constexpr qint64 PreparedFileBytes = 16 << 20;
// Files prepared ahead of the one handled: enough that the workers still
// have files to read while the window repaints, but not too many bytes held
// before their turn (each file in flight holds a buffer of fresh memory;
// 8 measured faster than 16).
constexpr int FilesAhead = 8;
constexpr qint64 BytesAhead = 32 << 20;

class RunningFlag
{
public:
    explicit RunningFlag(bool &flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    Q_DISABLE_COPY_MOVE(RunningFlag)

private:
    bool &m_flag;
};

namespace Site = ReportSites::StartExtracting;

bool usesAbbreviations(ExtractMode mode)
{
    return mode == ExtractMode::Sentence || mode == ExtractMode::SmartSentence;
}

double share(qsizetype part, qsizetype whole)
{
    return whole == 0 ? 0.0 : double(part) / double(whole) * 100.0;
}

// The description of the one report of a run's unread files: how many, then
// a line for each of the first few.
QString unreadFilesReport(const std::vector<FileFailure> &failures)
{
    constexpr std::size_t Listed = 20;
    const std::size_t count = failures.size();
    QString text = count == 1 ? u"1 file could not be read:"_s
                              : u"%1 files could not be read:"_s.arg(count);
    for (std::size_t i = 0; i < std::min(count, Listed); ++i)
        text += u"\r\n"_s + failureLine(failures[i]);
    if (count > Listed)
        text += u"\r\nand %1 more"_s.arg(count - Listed);
    return text;
}

// The results list, counting the rows the run hands it.
class CountedRows final : public ResultRows
{
public:
    explicit CountedRows(ResultRows &rows) : m_rows(rows) {}
    void beginFile(const QString &path) override { m_rows.beginFile(path); }
    void append(QStringView row) override
    {
        m_rows.append(row);
        ++count;
    }
    void appendRows(const std::shared_ptr<RowTexts> &texts, qsizetype from, qsizetype to) override
    {
        m_rows.appendRows(texts, from, to);
        count += to - from;
    }
    void clearRows() override { m_rows.clearRows(); }
    void flushRows() override { m_rows.flushRows(); }

    qsizetype count = 0;

private:
    ResultRows &m_rows;
};

} // namespace

QString runSummary(qsizetype rows, int files, int unread, double seconds)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QString text = rows == 1 ? u"1 row"_s : english.toString(rows) + u" rows"_s;
    text += files == 1 ? u" from 1 file"_s : u" from "_s + english.toString(files) + u" files"_s;
    if (unread > 0)
        text += u" ("_s + english.toString(unread) + u" could not be read)"_s;
    return text + u" in "_s + english.toString(seconds, 'f', 1) + u" s"_s;
}

QString FileNameOfPath(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}


// One press of "Start Extracting", from the first input row to "Done.".
class ExtractionRun::Pass
{
public:
    Pass(const RunEnvironment &env, std::chrono::milliseconds yieldInterval,
         const bool &stopRequested, const std::function<void(bool)> &changed)
        : m_env(env), m_proc(env.boxes, Site::Identifier), m_pacer(&env.loop, yieldInterval),
          m_next(env.work), m_rows(env.results), m_stopRequested(stopRequested), m_changed(changed)
    {}

    void run()
    {
        if (m_env.inputs.rowCount() == 0) {
            m_proc.step(Site::NoFilesMessage,
                        [&] { showMessage(m_env.boxes, u"No files added."_s); });
            return;
        }
        if (const auto problem = m_env.options.filter().problem()) {
            m_proc.step(Site::InvalidPatternMessage,
                        [&] { showMessage(m_env.boxes, problem->message()); });
            return;
        }
        QElapsedTimer clock;
        clock.start();
        if (m_changed)
            m_changed(true);
        m_env.progress.setProgressCaption(u"Progress Bar"_s);
        m_env.loop.yield();
        m_rows.clearRows();
        const int fileCount = m_env.inputs.rowCount();
        prepareNext(1);
        int files = 0;
        for (int i = 1; i <= fileCount && !m_stopRequested; ++i)
            files += processFile(i) ? 1 : 0;
        const bool stopped = m_stopRequested;
        m_rows.flushRows();
        m_env.pointer.setPointerMode(PointerMode::Default);
        m_env.progress.setProgressValue(0);
        m_env.progress.setProgressCaption(runSummary(m_rows.count, files, int(m_failures.size()),
                                                     double(clock.elapsed()) / 1000.0));
        if (m_changed)
            m_changed(false);
        if (!m_failures.empty()) {
            ShowApplicationError(m_env.boxes, Site::Identifier, m_firstFailureSite,
                                 unreadFilesReport(m_failures));
        }
        m_proc.step(Site::DoneMessage,
                    [&] { showMessage(m_env.boxes, stopped ? u"Stopped."_s : u"Done."_s); });
    }

private:
    // False for a row that vanished during a yield, which is skipped.
    bool processFile(int row)
    {
        QString path;
        if (!m_proc.step(Site::ReadInputRow, [&] { path = m_env.inputs.rowText(row); }))
            return false;
        m_env.progress.setProgressValue(share(row, m_env.inputs.rowCount()));
        m_env.progress.setProgressCaption(u"Processing: "_s + escapedText(FileNameOfPath(path)));
        yieldIfDue();
        m_env.pointer.setPointerMode(PointerMode::Busy);

        QStringList texts;
        std::optional<PreparedFile> prepared;
        // A file that cannot be read is reported once and gives no rows.
        const DocumentFormat &format = formatOfFile(path);
        const auto recordFailure = [&] {
            // Pages and other documents are read where pages always were.
            if (m_failures.empty())
                m_firstFailureSite = isPlainText(format) ? Site::ReadTextFile : Site::ReadHtmlFile;
            m_failures.push_back({path, describeCurrentException()});
        };
        try {
            if (isPlainText(format))
                prepared = m_next.take(path);
            if (!prepared)
                texts = readInBackground(path, format);
        } catch (const IncompleteText &read) {
            // Reported, and the part read still gives its rows.
            recordFailure();
            texts = {read.text()};
        } catch (...) {
            recordFailure();
            prepareNext(row + 1);
            return true;
        }
        prepareNext(row + 1);
        m_rows.beginFile(path);
        if (prepared) {
            processText(nullptr, &*prepared);
            m_next.recycle(*prepared);
        }
        for (const QString &text : std::as_const(texts))
            processText(&text, nullptr);
        return true;
    }

    // Reads and cuts the next text files on workers while this one's pieces
    // are handled; each is used only if nothing it depends on changes.
    void prepareNext(int row)
    {
        for (int ahead = std::max(row, m_preparedThrough + 1);
             ahead < row + FilesAhead && m_next.bytesPending() < BytesAhead; ++ahead) {
            prepare(ahead);
            m_preparedThrough = ahead;
        }
    }

    void prepare(int row)
    {
        if (row > m_env.inputs.rowCount())
            return;
        QString path;
        try {
            path = m_env.inputs.rowText(row);
        } catch (...) {
            return; // its own turn reports it
        }
        if (!isPlainText(formatOfFile(path)) || QFileInfo(path).size() >= PreparedFileBytes)
            return;
        const ExtractMode mode = m_env.options.mode();
        const QString abbreviations =
            usesAbbreviations(mode) ? m_env.abbreviations.storedValue() : QString();
        m_next.start(path, mode, abbreviations,
                     usesAbbreviations(mode) ? shieldFor(abbreviations)
                                                   : AbbreviationShield(),
                     m_env.options.filter());
    }

    // A document's reader may work long even on a small file: only text
    // files are read on the window's thread, and only small ones.
    QStringList readInBackground(const QString &path, const DocumentFormat &format)
    {
        QStringList texts;
        const ReadingChoices choices = m_env.options.readingChoices();
        auto read = [&] { texts = readInputFile(path, format, m_env.html, choices); };
        if (isPlainText(format) && QFileInfo(path).size() < InlineFileBytes)
            read();
        else
            m_env.work.run(read);
        return texts;
    }

    // One text: given, or the prepared file's, whose rows stand for as long
    // as the choices they were made with hold.
    void processText(const QString *given, PreparedFile *prepared)
    {
        auto text = [&]() -> const QString & { return given ? *given : prepared->text(); };
        PieceList pieces;
        const AbbreviationShield *shield = nullptr;
        ExtractMode cutMode = ExtractMode::None;
        static const AbbreviationShield noShield;
        auto cutNow = [&] { return cutText(text(), cutMode, shield ? *shield : noShield); };
        bool cutAhead = false;
        qsizetype count = 0;
        m_proc.step(Site::CutText, [&] {
            cutMode = m_env.options.mode();
            if (cutMode == ExtractMode::None)
                return;
            QString abbreviations;
            if (usesAbbreviations(cutMode)) {
                abbreviations = m_env.abbreviations.storedValue();
                shield = &shieldFor(abbreviations);
            }
            if (prepared && prepared->cutFor(cutMode, abbreviations)) {
                pieces = std::move(prepared->pieces);
                count = prepared->rows.pieceCount();
                cutAhead = true;
                return;
            }
            auto cut = [&] { pieces = cutNow(); };
            if (text().size() < InlineTextChars)
                cut();
            else
                m_env.work.run(cut);
            count = pieces.size();
        });

        refreshOptions();
        for (qsizetype m = 0; m < count; ++m) {
            if (m_pacer.dueAmongMany()) {
                m_env.progress.setProgressValue(share(m + 1, count));
                yieldNow();
            }
            m_proc.step(Site::HandlePiece, [&] {
                if (cutAhead && prepared->rowsFor(m_mode, m_filter)) {
                    // Prepared rows are only handed over: the pieces up to
                    // the next look at the clock go at once, which yields
                    // where piece by piece would.
                    const qsizetype more =
                        std::min(qsizetype(m_pacer.manyWithoutClock()), count - m - 1);
                    prepared->rows.appendRowsOfPieces(m, m + 1 + more, m_rows);
                    m_pacer.skipMany(quint32(more));
                    m += more;
                    return;
                }
                // Rows cut from UTF-8 leave no pieces: the same cut of the
                // decoded text gives them, numbered alike.
                if (pieces.size() < count)
                    pieces = cutNow();
                m_handler.handle(pieces.piece(m), m_mode == ExtractMode::Paragraph,
                                 pieces.shielded ? &pieces.occurrences : nullptr, m_filter, m_rows,
                                 pieces.isPlain(m));
            });
        }
        if (count > 0)
            m_env.progress.setProgressValue(100.0);
    }

    const AbbreviationShield &shieldFor(const QString &storedValue)
    {
        if (!m_shieldValid || storedValue != m_shieldValue) {
            m_shield = AbbreviationShield(extractionAbbreviations(storedValue));
            m_shieldValue = storedValue;
            m_shieldValid = true;
        }
        return m_shield;
    }

    // The options can only change while the run yields, so reading them
    // after each yield is reading them at every use.
    void refreshOptions()
    {
        m_mode = m_env.options.mode();
        // A pattern being typed while the run yields is taken once it is
        // whole.
        LineFilter filter = m_env.options.filter();
        if (!filter.problem())
            m_filter = std::move(filter);
    }

    void yieldIfDue()
    {
        if (m_pacer.due())
            yieldNow();
    }

    void yieldNow()
    {
        m_rows.flushRows();
        m_pacer.yieldNow();
        refreshOptions();
    }

    const RunEnvironment &m_env;
    ReportingProcedure m_proc;
    PacedYield m_pacer;
    NextFileCut m_next;
    CountedRows m_rows;
    const bool &m_stopRequested;
    const std::function<void(bool)> &m_changed;
    int m_preparedThrough = 0;
    PieceHandler m_handler;
    ExtractMode m_mode = ExtractMode::None;
    LineFilter m_filter;
    AbbreviationShield m_shield;
    QString m_shieldValue;
    bool m_shieldValid = false;
    // Files that could not be read, reported together when the run ends.
    std::vector<FileFailure> m_failures;
    int m_firstFailureSite = 0;
};

void ExtractionRun::start()
{
    if (m_running)
        return;
    const RunningFlag flag(m_running);
    m_stopRequested = false;
    Pass(m_env, m_yieldInterval, m_stopRequested, m_changed).run();
}

} // namespace Quillfen
