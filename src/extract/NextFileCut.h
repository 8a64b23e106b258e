#pragma once

#include "ExtractionChoices.h"
#include "RunInterfaces.h"
#include "Segmentation.h"
#include "Utf8Paragraphs.h"
#include "platform/BackgroundWork.h"
#include "platform/FileIdentity.h"

#include <QByteArray>
#include <QString>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace Quillfen {

// The rows of every piece of a text, as the results list will hold them.
class PreparedRows final : public RowSink, public Utf8RowSink
{
public:
    void append(QStringView row) override { m_texts->append(row); }
    void appendUtf8Row(QByteArrayView row) override { m_texts->appendUtf8(row); }
    void pieceEnded() override { m_pieceEnds.push_back(m_texts->size()); }
    // Rows are written after what block holds (see RowTexts::continueIn).
    void continueIn(RowTexts::SharedBlock block) { m_texts->continueIn(std::move(block)); }
    RowTexts::SharedBlock writingBlock() const { return m_texts->writingBlock(); }

    qsizetype pieceCount() const { return qsizetype(m_pieceEnds.size()); }
    // Appends the rows of pieces [m, n) to results.
    void appendRowsOfPieces(qsizetype m, qsizetype n, ResultRows &results) const;

private:
    qsizetype rowsBefore(qsizetype m) const { return m == 0 ? 0 : m_pieceEnds[size_t(m - 1)]; }

    std::shared_ptr<RowTexts> m_texts = std::make_shared<RowTexts>();
    std::vector<qsizetype> m_pieceEnds;
};

// A text file read, cut and handled with the choices of the moment, on a
// worker while the run handles the file before it.
class PreparedFile
{
public:
    ExtractMode mode = ExtractMode::None; // None: read only
    QString abbreviations;                // the stored list it was cut with
    LineFilter filter;                    // the filter its rows passed
    PieceList pieces;                     // empty when the rows were cut from UTF-8
    PreparedRows rows;

    // The file's text, decoded when first asked for.
    const QString &text();
    void setBytes(QByteArray bytes) { m_bytes = std::move(bytes); }
    QByteArray takeBytes() { return std::exchange(m_bytes, {}); }
    void setText(QString text)
    {
        m_text = std::move(text);
        m_decoded = true;
    }

    // The cut stands when it is the one the run would make now.
    bool cutFor(ExtractMode nowMode, const QString &nowAbbreviations) const
    {
        return mode != ExtractMode::None && mode == nowMode &&
               (mode == ExtractMode::Paragraph || abbreviations == nowAbbreviations);
    }
    // The rows of a piece stand while it would be handled as they were.
    bool rowsFor(ExtractMode nowMode, const LineFilter &nowFilter) const
    {
        return mode != ExtractMode::None && mode == nowMode && filter == nowFilter;
    }

private:
    QByteArray m_bytes;
    QString m_text;
    bool m_decoded = false;
};

// Prepares files ahead, each on a worker of its own, in the order they will
// be taken. What it prepared is handed out only while the file is still the
// one it read, so a file replaced, changed or removed meanwhile is read
// again at its turn, as if nothing had been prepared.
class NextFileCut
{
public:
    explicit NextFileCut(BackgroundWork &work) : m_work(work) {}
    ~NextFileCut() { dropUntil(nullptr); }
    Q_DISABLE_COPY_MOVE(NextFileCut)

    // Begins reading path, cutting it in mode (None: reading only), with
    // shield when mode is Sentence, and handling its pieces with filter;
    // abbreviations is the stored list the shield was made from.
    void start(const QString &path, ExtractMode mode, const QString &abbreviations,
               const AbbreviationShield &shield, const LineFilter &filter);
    // What was prepared for path, when it is still that file's content.
    // Drops whatever was begun before it.
    std::optional<PreparedFile> take(const QString &path);
    // A prepared file the run is done with: its buffer reads a later file.
    void recycle(PreparedFile &done);
    qsizetype pending() const { return qsizetype(m_jobs.size()); }
    // The sizes of the files begun and not yet taken or dropped.
    qint64 bytesPending() const { return m_bytesPending; }

private:
    struct Job
    {
        QString path;
        qint64 size = 0;                      // when begun
        std::optional<FileIdentity> identity; // of the file as read; none: failed
        PreparedFile prepared;
    };
    struct Running
    {
        std::shared_ptr<Job> job;
        std::unique_ptr<StartedWork> started;
    };
    // Drops the jobs before the first for path (all of them for null).
    void dropUntil(const QString *path);

    BackgroundWork &m_work;
    std::deque<Running> m_jobs;
    // The free room of the rows of the last file taken, for the next file
    // begun to go on in.
    RowTexts::SharedBlock m_spare;
    qint64 m_bytesPending = 0;
    std::vector<QByteArray> m_buffers; // read into before, free again
};

} // namespace Quillfen
