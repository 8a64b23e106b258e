#pragma once

#include "extract/FileExtraction.h"
#include "extract/RowTexts.h"

#include <QIODevice>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace Quillfen {

// A piece of one file's output as the run hands it on: bytes to write (the
// command line) or rows for the results list (the window), which are
// complete and never change again.
struct OutputChunk
{
    QByteArray bytes;
    std::shared_ptr<RowTexts> rows;
    qsizetype rowBytes = 0; // the rows' texts in UTF-8
    qsizetype heldBytes() const { return rows ? rowBytes : bytes.size(); }
    bool isEmpty() const { return rows ? rows->size() == 0 : bytes.isEmpty(); }
};

// Where one file's output goes: written like to any device, or handed on
// whole, which spares copying it.
class OutputChunks : public QIODevice
{
public:
    virtual void handChunk(OutputChunk &&chunk) = 0;
    void hand(QByteArray &&bytes) { handChunk({std::move(bytes), {}, 0}); }
};

// One file's work: writes the file's output to output and returns its
// failure, if any. Runs on any thread, several files at once.
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
// other on this thread, which is one of the jobs), and writes their output
// to out strictly in the order of paths, with the reports in that order
// too. Output waiting for an earlier file is held back in bounded memory.
// Returns false when out took less than it was given: then no file is
// begun after the one whose output failed, and no later report is made.
bool extractInOrder(const QStringList &paths, int jobs, QIODevice &out, const FileWork &work,
                    const OrderedReports &reports);

class OrderedPipeline;

// The same pipeline for a caller that must never wait long (the window's
// thread): workers threads read and cut, and the caller takes the output
// that is ready, in the order of paths, whenever it likes.
class OrderedRun
{
public:
    OrderedRun(const QStringList &paths, int workers, const FileWork &work);
    // Cancels and waits for the workers.
    ~OrderedRun();
    Q_DISABLE_COPY_MOVE(OrderedRun)

    // Hands on the output ready now, in order: reports.starting before a
    // file's output, take for each chunk, reports.failed after it. Returns
    // after a file begins, a chunk or a file ends once enough() says so, or
    // when nothing more is ready. True once the last file is handed on
    // (after cancel(), the file at hand).
    bool handReady(const std::function<void(OutputChunk &&)> &take, const OrderedReports &reports,
                   const std::function<bool()> &enough);
    // Returns when more output may be ready, or after timeout.
    void waitForOutput(std::chrono::milliseconds timeout);
    // Returns true once every file is cut (or none will be begun any more),
    // false after timeout.
    bool waitUntilAllCut(std::chrono::milliseconds timeout);
    // No file is begun any more; the file being handed on is finished, the
    // output of later ones is dropped.
    void cancel();
    // No file is begun any more and all output is dropped; the workers end
    // once the files they cut are through.
    void end();
    // True once every worker has ended.
    bool workersDone() const;

private:
    std::unique_ptr<OrderedPipeline> m_pipeline;
};

} // namespace Quillfen
