#include "NextFileCut.h"

#include "FileExtraction.h"
#include "platform/FileReading.h"
#include "reading/TextDecoding.h"
#include "reading/encodings/TextFileDecoding.h"

#include <QFileInfo>

namespace Quillfen {

namespace {
// Buffers kept for reading later files: more than files are read ahead,
// and none of the rare large ones.
constexpr qsizetype RecycledBytes = 4 << 20;
constexpr std::size_t Recycled = 24;
} // namespace

void PreparedRows::appendRowsOfPieces(qsizetype m, qsizetype n, ResultRows &results) const
{
    results.appendRows(m_texts, rowsBefore(m), rowsBefore(n));
}

const QString &PreparedFile::text()
{
    // The bytes were found to be text when they were cut.
    if (!m_decoded)
        setText(decodeTextOfFile(QString(), m_bytes));
    return m_text;
}

void NextFileCut::start(const QString &path, ExtractMode mode, const QString &abbreviations,
                        const AbbreviationShield &shield, const LineFilter &filter)
{
    auto job = std::make_shared<Job>();
    job->path = path;
    job->size = QFileInfo(path).size();
    m_bytesPending += job->size;
    job->prepared.rows.continueIn(std::exchange(m_spare, nullptr));
    // The worker owns copies of everything it reads; the shield's matchers
    // are shared and never change.
    QByteArray buffer;
    if (!m_buffers.empty()) {
        buffer = std::move(m_buffers.back());
        m_buffers.pop_back();
    }
    auto started = m_work.start(
        [job, mode, abbreviations, shield, filter, bytes = std::move(buffer)]() mutable {
            const auto before = fileIdentity(job->path);
            if (!before)
                return;
            try {
                readWholeFile(job->path, bytes);
            } catch (...) {
                return; // read again at its turn, which reports the failure
            }
            if (fileIdentity(job->path) != before)
                return;
            PreparedFile &prepared = job->prepared;
            prepared.mode = mode;
            prepared.abbreviations = abbreviations;
            prepared.filter = filter;
            try {
                if (mode != ExtractMode::None && canCutUtf8(mode, shield, filter)) {
                    // The text is decoded only if the run needs it after all.
                    cutUtf8TextOfFile(job->path, bytes, mode, shield, filter, prepared.rows);
                    prepared.setBytes(std::move(bytes));
                    job->identity = before;
                    return;
                }
                prepared.setText(decodeTextOfFile(job->path, bytes));
            } catch (...) {
                return; // a binary file: its turn reports it
            }
            if (mode != ExtractMode::None) {
                prepared.pieces = cutText(prepared.text(), mode, shield);
                PieceHandler handler;
                const PieceList &pieces = prepared.pieces;
                for (qsizetype m = 0; m < pieces.size(); ++m) {
                    handler.handle(pieces.piece(m), mode == ExtractMode::Paragraph,
                                   pieces.shielded ? &pieces.occurrences : nullptr, filter,
                                   prepared.rows, pieces.isPlain(m));
                    prepared.rows.pieceEnded();
                }
            }
            job->identity = before;
        });
    m_jobs.push_back({std::move(job), std::move(started)});
}

std::optional<PreparedFile> NextFileCut::take(const QString &path)
{
    dropUntil(&path);
    if (m_jobs.empty())
        return std::nullopt;
    Running running = std::move(m_jobs.front());
    m_jobs.pop_front();
    m_bytesPending -= running.job->size;
    running.started->wait();
    const Job &job = *running.job;
    m_spare = job.prepared.rows.writingBlock();
    if (job.identity && fileIdentity(path) == job.identity)
        return std::move(running.job->prepared);
    return std::nullopt;
}

void NextFileCut::recycle(PreparedFile &done)
{
    QByteArray bytes = done.takeBytes();
    if (bytes.isDetached() && bytes.capacity() <= RecycledBytes && m_buffers.size() < Recycled)
        m_buffers.push_back(std::move(bytes));
}

void NextFileCut::dropUntil(const QString *path)
{
    while (!m_jobs.empty() && (!path || m_jobs.front().job->path != *path)) {
        m_jobs.front().started->wait();
        m_bytesPending -= m_jobs.front().job->size;
        m_jobs.pop_front();
    }
}

} // namespace Quillfen
