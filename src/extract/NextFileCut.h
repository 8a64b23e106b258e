#pragma once

#include "ExtractionChoices.h"
#include "Segmentation.h"
#include "platform/BackgroundWork.h"
#include "platform/FileIdentity.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace Quillfen {

// The rows of every piece of a text, in one buffer.
class PreparedRows final : public RowSink
{
public:
    void append(QStringView row) override
    {
        m_units.append(row);
        m_rowEnds.push_back(m_units.size());
    }
    void endPiece() { m_pieceEnds.push_back(m_rowEnds.size()); }
    // Appends the rows of piece m to sink.
    void appendRowsOfPiece(qsizetype m, RowSink &sink) const
    {
        size_t row = m == 0 ? 0 : m_pieceEnds[size_t(m - 1)];
        for (const size_t end = m_pieceEnds[size_t(m)]; row < end; ++row) {
            const qsizetype from = row == 0 ? 0 : m_rowEnds[row - 1];
            sink.append(QStringView(m_units).sliced(from, m_rowEnds[row] - from));
        }
    }

private:
    QString m_units;
    std::vector<qsizetype> m_rowEnds;
    std::vector<size_t> m_pieceEnds;
};

// A text file read, cut and handled with the choices of the moment, on a
// worker while the run handles the file before it.
struct PreparedFile
{
    QString text;
    ExtractMode mode = ExtractMode::None; // None: not cut
    QString abbreviations;                // the stored list it was cut with
    LineFilter filter;                    // the filter its rows passed
    PieceList pieces;
    PreparedRows rows;

    // The rows of a piece, when it would be handled now as they were.
    bool rowsFor(ExtractMode nowMode, const LineFilter &nowFilter) const
    {
        return mode != ExtractMode::None && mode == nowMode && filter == nowFilter;
    }

    // The pieces, when they were cut as the run would cut them now.
    bool cutFor(ExtractMode nowMode, const QString &nowAbbreviations) const
    {
        return mode != ExtractMode::None && mode == nowMode &&
               (mode == ExtractMode::Paragraph || abbreviations == nowAbbreviations);
    }
};

// Prepares one file ahead. What it prepared is handed out only while the
// file is still the one it read, so a file replaced, changed or removed
// meanwhile is read again at its turn, as if nothing had been prepared.
class NextFileCut
{
public:
    explicit NextFileCut(BackgroundWork &work) : m_work(work) {}
    ~NextFileCut() { drop(); }
    Q_DISABLE_COPY_MOVE(NextFileCut)

    // Begins reading path, cutting it in mode (None: reading only), with
    // shield when mode is Sentence, and handling its pieces with filter;
    // abbreviations is the stored list the shield was made from. Drops what
    // was prepared before.
    void start(const QString &path, ExtractMode mode, const QString &abbreviations,
               const AbbreviationShield &shield, const LineFilter &filter);
    // What was prepared for path, when it is still that file's content.
    std::optional<PreparedFile> take(const QString &path);

private:
    struct Job
    {
        QString path;
        std::optional<FileIdentity> identity; // of the file as read; none: failed
        PreparedFile prepared;
    };
    void drop();

    BackgroundWork &m_work;
    std::shared_ptr<Job> m_job;
    std::unique_ptr<StartedWork> m_started;
};

} // namespace Quillfen
