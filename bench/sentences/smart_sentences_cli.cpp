// Stands in for quillfen-cli --smart-sentences until the command line has
// it: prints the smart sentences of every file given, one row a line, in
// the order of the arguments, as `quillfen-cli --format lines` does.
// Files are decoded as the command line decodes them (byte-order mark,
// else UTF-8, else Windows-1252); files of 16 MB and more are taken as
// UTF-8 and cut block by block (their rows are held until written).
//
//   smart_sentences_cli [-j N] [--abbreviation TEXT]... FILE...
#include "extract/BlockExtraction.h"
#include "extract/FileExtraction.h"
#include "extract/SmartSentences.h"
#include "platform/FileReading.h"

#include <QFileInfo>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

using namespace Quillfen;

namespace {

struct Lines final : Utf8RowSink
{
    QByteArray out;
    qsizetype used = 0;
    void appendUtf8Row(QByteArrayView row) override
    {
        if (used + row.size() + 1 > out.size())
            out.resize(std::max(2 * out.size(), used + row.size() + 4096));
        std::memcpy(out.data() + used, row.data(), size_t(row.size()));
        used += row.size();
        out[used++] = '\n';
    }
    QByteArray take()
    {
        out.truncate(used);
        used = 0;
        return std::move(out);
    }
};

void rowsOfFile(const QString &path, const SmartSentences &choices, Lines &lines)
{
    thread_local Utf8Scratch scratch;
    thread_local QByteArray bytes;
    if (QFileInfo(path).size() >= BlockwiseFileBytes) {
        FileBlocks file(path);
        SmartSentenceStream stream(choices, lines);
        for (;;) {
            file.read(bytes, ExtractionBlockBytes);
            if (bytes.isEmpty())
                break;
            stream.feed(bytes);
        }
        stream.finish();
        return;
    }
    readWholeFile(path, bytes);
    choices.extract(utf8TextOfFile(QString(), bytes, scratch), lines);
    scratch.trim();
}

} // namespace

int main(int argc, char *argv[])
{
    int jobs = int(std::thread::hardware_concurrency());
    QStringList abbreviations;
    QStringList paths;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if ((arg == "-j" || arg == "--jobs") && i + 1 < argc)
            jobs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--abbreviation" && i + 1 < argc)
            abbreviations.append(QString::fromUtf8(argv[++i]));
        else
            paths.append(QString::fromLocal8Bit(argv[i]));
    }
    const SmartSentences choices(abbreviations, {LineFilterKind::All, {}});

    // jobs - 1 workers and the calling thread cut files in turn; the
    // calling thread writes them in order, cutting the next file itself
    // while the one it writes next is not ready.
    std::vector<QByteArray> outputs(size_t(paths.size()));
    std::vector<char> done(size_t(paths.size()), 0);
    std::vector<QByteArray> spare; // written buffers, used again
    std::atomic<qsizetype> next = 0;
    std::mutex mutex;
    std::condition_variable ready;
    auto cutOne = [&](qsizetype k) {
        Lines lines;
        {
            std::lock_guard lock(mutex);
            if (!spare.empty()) {
                lines.out = std::move(spare.back());
                spare.pop_back();
            }
        }
        bool failed = false;
        try {
            rowsOfFile(paths[k], choices, lines);
        } catch (...) {
            failed = true;
        }
        std::lock_guard lock(mutex);
        outputs[size_t(k)] = lines.take();
        done[size_t(k)] = failed ? 2 : 1;
        ready.notify_one();
    };
    auto work = [&] {
        for (qsizetype k; (k = next++) < paths.size();)
            cutOne(k);
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < jobs; ++t)
        workers.emplace_back(work);
    int failures = 0;
    for (qsizetype k = 0; k < paths.size(); ++k) {
        for (;;) {
            {
                std::unique_lock lock(mutex);
                if (done[size_t(k)] != 0 || next >= paths.size()) {
                    ready.wait(lock, [&] { return done[size_t(k)] != 0; });
                    break;
                }
            }
            const qsizetype own = next++;
            if (own < paths.size())
                cutOne(own);
        }
        QByteArray rows;
        {
            std::lock_guard lock(mutex);
            rows = std::move(outputs[size_t(k)]);
            if (done[size_t(k)] == 2) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(paths[k]));
                ++failures;
            }
        }
        std::fwrite(rows.constData(), 1, size_t(rows.size()), stdout);
        rows.resize(0);
        std::lock_guard lock(mutex);
        spare.push_back(std::move(rows));
    }
    for (std::thread &worker : workers)
        worker.join();
    return failures ? 1 : 0;
}
