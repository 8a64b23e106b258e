// Files cut several at a time, output written in their order.

#include "run/OrderedExtraction.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

constexpr qsizetype MiB = qsizetype(1) << 20;

// What the fake work writes for a path named "name:chunks:kilobytes:ms":
// chunks chunks of that many kilobytes, each marked with the name, after
// sleeping that many milliseconds; a name starting with "bad" fails.
struct FakeFile
{
    QString name;
    int chunks = 1;
    int kilobytes = 1;
    int sleepMs = 0;
};

FakeFile parse(const QString &path)
{
    const QStringList parts = path.section(u'/', -1).split(u':');
    return {parts.value(0), parts.value(1).toInt(), parts.value(2).toInt(), parts.value(3).toInt()};
}

QByteArray chunkOf(const FakeFile &file, int index)
{
    QByteArray chunk = (file.name + u'#' + QString::number(index) + u'|').toUtf8();
    chunk.append(QByteArray(qsizetype(file.kilobytes) * 1024, 'x'));
    return chunk;
}

class Recorder
{
public:
    FileWork work()
    {
        return [this](const QString &path, OutputChunks &output) -> std::optional<FileFailure> {
            {
                std::lock_guard lock(m_mutex);
                threads.insert(std::this_thread::get_id());
            }
            const FakeFile file = parse(path);
            std::this_thread::sleep_for(std::chrono::milliseconds(file.sleepMs));
            for (int i = 0; i < file.chunks; ++i) {
                // Both ways of handing output: written, and handed whole.
                if (i % 2 == 0)
                    output.write(chunkOf(file, i));
                else
                    output.hand(chunkOf(file, i));
            }
            if (file.name.startsWith(u"bad"_s))
                return FileFailure{file.name, file.name};
            return std::nullopt;
        };
    }
    std::set<std::thread::id> threads;

private:
    std::mutex m_mutex;
};

QByteArray expectedOutput(const QStringList &paths)
{
    QByteArray out;
    for (const QString &path : paths) {
        const FakeFile file = parse(path);
        for (int i = 0; i < file.chunks; ++i)
            out += chunkOf(file, i);
    }
    return out;
}

struct Outcome
{
    QByteArray out;
    QStringList events; // "start N" and "failed N name", in the order given
    std::set<std::thread::id> threads;
};

Outcome runInOrder(const QStringList &paths, int jobs)
{
    Outcome outcome;
    QBuffer buffer(&outcome.out);
    buffer.open(QIODevice::WriteOnly);
    Recorder recorder;
    OrderedReports reports;
    reports.starting = [&](qsizetype i) { outcome.events << u"start %1"_s.arg(i); };
    reports.failed = [&](qsizetype i, const FileFailure &failure) {
        outcome.events << u"failed %1 %2"_s.arg(i).arg(failure.description);
    };
    if (!extractInOrder(paths, jobs, buffer, recorder.work(), reports))
        qFatal("output not written");
    outcome.threads = recorder.threads;
    return outcome;
}

QStringList expectedEvents(const QStringList &paths)
{
    QStringList events;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        events << u"start %1"_s.arg(i);
        const FakeFile file = parse(paths[i]);
        if (file.name.startsWith(u"bad"_s))
            events << u"failed %1 %2"_s.arg(i).arg(file.name);
    }
    return events;
}

} // namespace

class OrderedExtractionTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    // Files that finish out of order, failures between them, outputs from
    // nothing to more than a worker may hold before it waits, and one file
    // too large on disk for the calling thread to hold its output whole.
    void outputAndReports_keepTheFilesOrder_atAnyNumberOfJobs()
    {
        const QString large = m_dir.filePath(u"large:3:64:2"_s);
        QFile file(large);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(5 * MiB));
        file.close();

        QStringList paths;
        for (int i = 0; i < 40; ++i) {
            const int sleepMs = (i * 7) % 5;
            const QString name = (i % 9 == 4 ? u"bad%1"_s : u"f%1"_s).arg(i);
            const int chunks = i % 6 == 0 ? 0 : 1 + i % 4;
            paths << u"%1:%2:%3:%4"_s.arg(name).arg(chunks).arg(1 + i % 3).arg(sleepMs);
        }
        paths.insert(3, u"big:12:1024:1"_s); // 12 MB, more than a worker holds
        paths.insert(10, large);
        paths.insert(11, u"slow:1:1:30"_s);

        const QByteArray expected = expectedOutput(paths);
        const QStringList events = expectedEvents(paths);
        for (int jobs : {1, 2, 3, 4, 8}) {
            const Outcome outcome = runInOrder(paths, jobs);
            QVERIFY2(outcome.out == expected, qPrintable(u"jobs %1"_s.arg(jobs)));
            QCOMPARE(outcome.events, events);
            QVERIFY(qsizetype(outcome.threads.size()) <= jobs);
        }
    }

    // The calling thread cuts files too: two jobs are the calling thread
    // and one worker, not two workers beside a thread that only writes.
    void twoJobs_areTheCallingThreadAndOneWorker()
    {
        QStringList paths{u"first:1:1:50"_s};
        for (int i = 0; i < 6; ++i)
            paths << u"f%1:1:1:5"_s.arg(i);
        Outcome outcome;
        std::thread::id caller;
        std::thread run([&] {
            caller = std::this_thread::get_id();
            outcome = runInOrder(paths, 2);
        });
        run.join();
        QCOMPARE(outcome.out, expectedOutput(paths));
        QCOMPARE(outcome.threads.size(), std::size_t(2));
        QVERIFY(outcome.threads.count(caller) == 1);
    }

    // The window's form: the caller takes what is ready when it likes, in
    // order; a work that throws is a failure like any other; a cancel lets
    // the file at hand finish and begins none after it.
    void orderedRun_handsInOrder_andCancelsAfterTheFileAtHand()
    {
        QStringList paths;
        for (int i = 0; i < 12; ++i)
            paths << QString::number(i);
        const FileWork work = [](const QString &path,
                                 OutputChunks &output) -> std::optional<FileFailure> {
            if (path == u"3"_s)
                throw std::runtime_error("out of memory");
            std::this_thread::sleep_for(std::chrono::milliseconds(path.toInt() % 3));
            output.write(path.toUtf8() + ';');
            return std::nullopt;
        };
        OrderedRun run(paths, 3, work);
        QByteArray out;
        QStringList events;
        const OrderedReports reports{[&](qsizetype i) { events << u"start %1"_s.arg(i); },
                                     [&](qsizetype i, const FileFailure &failure) {
                                         events << u"failed %1 %2"_s.arg(i).arg(failure.path);
                                     }};
        const auto take = [&](OutputChunk &&chunk) { out += chunk.bytes; };
        while (!run.handReady(take, reports, [] { return true; })) {
            if (events.last() == u"start 6"_s)
                run.cancel();
            run.waitForOutput(std::chrono::milliseconds(5));
        }
        QCOMPARE(out, QByteArray("0;1;2;4;5;6;"));
        QVERIFY(events.contains(u"failed 3 3"_s));
        QCOMPARE(events.last(), u"start 6"_s);
        run.end();
        QTRY_VERIFY(run.workersDone());
    }
};

QTEST_GUILESS_MAIN(OrderedExtractionTest)
#include "tst_orderedextraction.moc"
