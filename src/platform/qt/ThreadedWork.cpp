#include "ThreadedWork.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>

namespace Quillfen {

namespace {

// One piece of work and what became of it.
class Task
{
public:
    explicit Task(std::function<void()> work) : m_work(std::move(work)) {}

    // On a worker.
    void perform()
    {
        try {
            m_work();
        } catch (...) {
            // Nothing may escape a thread: kept for run() to throw again.
            m_failure = std::current_exception();
        }
        m_work = nullptr; // what it holds is let go on the worker
        const std::lock_guard lock(m_mutex);
        m_done = true;
        m_finished.notify_all();
        if (m_loop)
            QMetaObject::invokeMethod(m_loop, &QEventLoop::quit, Qt::QueuedConnection);
    }

    // On the window's thread.
    void wait()
    {
        QEventLoop loop;
        {
            // A short wait is shorter than a pause the window would notice,
            // and cheaper than repainting it: only a longer one runs events.
            std::unique_lock lock(m_mutex);
            if (m_finished.wait_for(lock, QuietWait, [this] { return m_done; }))
                return;
            m_loop = &loop;
        }
        loop.exec();
        const std::lock_guard lock(m_mutex);
        m_loop = nullptr;
    }

    // Without events, for a handle let go before its work was waited for.
    void waitQuietly()
    {
        std::unique_lock lock(m_mutex);
        m_finished.wait(lock, [this] { return m_done; });
    }

    // After wait(): what the work threw, if anything.
    std::exception_ptr failure() const { return m_failure; }

private:
    static constexpr std::chrono::milliseconds QuietWait{15};

    std::function<void()> m_work;
    std::exception_ptr m_failure;
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    QEventLoop *m_loop = nullptr;
};

class PooledStart final : public StartedWork
{
public:
    explicit PooledStart(std::shared_ptr<Task> task) : m_task(std::move(task)) {}
    ~PooledStart() override
    {
        if (!m_waited)
            m_task->waitQuietly();
    }
    Q_DISABLE_COPY_MOVE(PooledStart)

    void wait() override
    {
        if (!m_waited)
            m_task->wait();
        m_waited = true;
    }
    std::exception_ptr failure() const { return m_task->failure(); }

private:
    std::shared_ptr<Task> m_task;
    bool m_waited = false;
};

} // namespace

// Threads kept until the end, one per processor: starting a thread for
// each small file would cost more than reading it.
ThreadedWork::ThreadedWork()
{
    m_pool.setMaxThreadCount(QThread::idealThreadCount());
    m_pool.setExpiryTimeout(-1);
}

// The pool waits for every work queued.
ThreadedWork::~ThreadedWork() = default;

void ThreadedWork::run(const std::function<void()> &work)
{
    auto task = std::make_shared<Task>(work);
    m_pool.start([task] { task->perform(); });
    PooledStart started(std::move(task));
    started.wait();
    if (const std::exception_ptr failure = started.failure())
        std::rethrow_exception(failure);
}

std::unique_ptr<StartedWork> ThreadedWork::start(std::function<void()> work)
{
    auto task = std::make_shared<Task>(std::move(work));
    m_pool.start([task] { task->perform(); });
    return std::make_unique<PooledStart>(std::move(task));
}

} // namespace Quillfen
