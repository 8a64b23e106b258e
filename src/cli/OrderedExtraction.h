#pragma once

#include "extract/FileExtraction.h"

#include <QIODevice>
#include <QStringList>
#include <functional>
#include <optional>

namespace Quillfen {

// Where one file's output goes: written like to any device, or handed on
// whole, which spares copying it.
class OutputChunks : public QIODevice
{
public:
    virtual void hand(QByteArray &&chunk) = 0;
};

// One file's work: writes the file's output to output and returns its
// failure, if any. May run on any thread, several files at once.
using FileWork =
    std::function<std::optional<FileFailure>(const QString &path, OutputChunks &output)>;

struct OrderedReports
{
    // Before the output of file index (for a progress line).
    std::function<void(qsizetype index)> starting;
    // After the output of file index, when its work failed.
    std::function<void(qsizetype index, const FileFailure &failure)> failed;
};

// Runs work for every path, up to jobs files at a time (1: one after the
// other on this thread), and writes their output to out strictly in the
// order of paths, with the reports in that order too. Output waiting for
// an earlier file is held back in bounded memory. Returns false when out
// took less than it was given: then no file is begun after the one whose
// output failed, and no later report is made.
bool extractInOrder(const QStringList &paths, int jobs, QIODevice &out, const FileWork &work,
                    const OrderedReports &reports);

} // namespace Quillfen
