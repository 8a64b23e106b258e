#include "NextFileCut.h"

#include "reading/TextFileReader.h"

namespace Quillfen {

void NextFileCut::start(const QString &path, ExtractMode mode, const QString &abbreviations,
                        const AbbreviationShield &shield)
{
    drop();
    auto job = std::make_shared<Job>();
    job->path = path;
    // The worker owns copies of everything it reads; the shield's matchers
    // are shared and never change.
    m_started = m_work.start([job, mode, abbreviations, shield] {
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
            job->prepared.pieces = cutText(job->prepared.text, mode, shield);
            job->prepared.mode = mode;
            job->prepared.abbreviations = abbreviations;
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
