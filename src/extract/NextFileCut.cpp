#include "NextFileCut.h"

#include "reading/TextFileReader.h"

namespace Quillfen {

void NextFileCut::start(const QString &path, ExtractMode mode, const QString &abbreviations,
                        const AbbreviationShield &shield, const LineFilter &filter)
{
    drop();
    auto job = std::make_shared<Job>();
    job->path = path;
    // The worker owns copies of everything it reads; the shield's matchers
    // are shared and never change.
    m_started = m_work.start([job, mode, abbreviations, shield, filter] {
        const auto before = fileIdentity(job->path);
        if (!before)
            return;
        try {
            job->prepared.text = ReadTextFile(job->path).value(0);
        } catch (...) {
            return; // read again at its turn, which reports the failure
        }
        if (fileIdentity(job->path) != before)
            return;
        if (mode != ExtractMode::None) {
            PreparedFile &prepared = job->prepared;
            prepared.pieces = cutText(prepared.text, mode, shield);
            prepared.mode = mode;
            prepared.abbreviations = abbreviations;
            prepared.filter = filter;
            PieceHandler handler;
            const PieceList &pieces = prepared.pieces;
            for (qsizetype m = 0; m < pieces.size(); ++m) {
                handler.handle(pieces.piece(m), mode == ExtractMode::Paragraph,
                               pieces.shielded ? &shield : nullptr, filter, prepared.rows,
                               pieces.isPlain(m));
                prepared.rows.endPiece();
            }
        }
        job->identity = before;
    });
    m_job = std::move(job);
}

std::optional<PreparedFile> NextFileCut::take(const QString &path)
{
    if (!m_job || m_job->path != path) {
        drop();
        return std::nullopt;
    }
    m_started->wait();
    std::optional<PreparedFile> prepared;
    if (m_job->identity && fileIdentity(path) == m_job->identity)
        prepared = std::move(m_job->prepared);
    drop();
    return prepared;
}

void NextFileCut::drop()
{
    if (m_started)
        m_started->wait();
    m_started.reset();
    m_job.reset();
}

} // namespace Quillfen
