#pragma once

#include "ExtractionChoices.h"
#include "Segmentation.h"
#include "platform/BackgroundWork.h"
#include "platform/FileIdentity.h"

#include <QString>
#include <memory>
#include <optional>

namespace Quillfen {

// A text file read, and cut with the choices of the moment, on a worker
// while the run handles the file before it.
struct PreparedFile
{
    QString text;
    ExtractMode mode = ExtractMode::None; // None: not cut
    QString abbreviations;                // the stored list it was cut with
    PieceList pieces;

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

    // Begins reading path and cutting it in mode (None: reading only), with
    // shield when mode is Sentence; abbreviations is the stored list the
    // shield was made from. Drops what was prepared before.
    void start(const QString &path, ExtractMode mode, const QString &abbreviations,
               const AbbreviationShield &shield);
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
