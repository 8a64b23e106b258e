// document_text [-j N] [-0] FILE...: each file's text as the document
// readers give it, in UTF-8, in the order given, read by N threads (as
// quillfen-cli --text -j N will); a failure goes to standard error.
#include "platform/Failure.h"
#include "reading/documents/DocumentFormats.h"

#include <QCoreApplication>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

using namespace Quillfen;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int jobs = 1;
    bool nul = false;
    while (!args.isEmpty() && args.first().startsWith(u'-')) {
        const QString option = args.takeFirst();
        if (option == QStringLiteral("-j") && !args.isEmpty())
            jobs = std::max(1, args.takeFirst().toInt());
        else if (option == QStringLiteral("-0"))
            nul = true;
    }
    const QStringList files = args;
    struct Result
    {
        QByteArray text;
        QString failure;
        bool done = false;
    };
    std::vector<Result> results(std::size_t(files.size()));
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<qsizetype> next{0};
    auto work = [&] {
        for (qsizetype i = next++; i < files.size(); i = next++) {
            Result result;
            try {
                result.text = readDocumentText(files[i]).toUtf8();
            } catch (...) {
                result.failure = describeCurrentException();
            }
            result.done = true;
            std::lock_guard lock(mutex);
            results[std::size_t(i)] = std::move(result);
            ready.notify_all();
        }
    };
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; ++j)
        workers.emplace_back(work);
    int status = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        Result result;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return results[i].done; });
            result = std::move(results[i]);
            results[i].text = QByteArray();
        }
        if (!result.failure.isEmpty()) {
            std::fprintf(stderr, "%s\n", result.failure.toLocal8Bit().constData());
            status = 1;
            continue;
        }
        std::fwrite(result.text.constData(), 1, size_t(result.text.size()), stdout);
        if (nul)
            std::fputc(0, stdout);
    }
    for (auto &worker : workers)
        worker.join();
    return status;
}
