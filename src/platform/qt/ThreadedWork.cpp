#include "ThreadedWork.h"

#include <QEventLoop>
#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace Quillfen {

namespace {

class ThreadedStart final : public StartedWork
{
public:
    explicit ThreadedStart(std::function<void()> work)
        : m_worker([this, work = std::move(work)] {
              try {
                  work();
              } catch (...) {
                  // Nothing may escape a thread: kept for run() to throw again.
                  m_failure = std::current_exception();
              }
              const std::lock_guard lock(m_mutex);
              m_done = true;
              m_finished.notify_all();
              if (m_loop)
                  QMetaObject::invokeMethod(m_loop, &QEventLoop::quit, Qt::QueuedConnection);
          })
    {}
    ~ThreadedStart() override
    {
        if (m_worker.joinable())
            m_worker.join();
    }
    Q_DISABLE_COPY_MOVE(ThreadedStart)

    void wait() override
    {
        if (!m_worker.joinable())
            return;
        QEventLoop loop;
        bool done = false;
        {
            // A short wait is shorter than a pause the window would notice,
            // and cheaper than repainting it: only a longer one runs events.
            std::unique_lock lock(m_mutex);
            done = m_finished.wait_for(lock, QuietWait, [this] { return m_done; });
            if (!done)
                m_loop = &loop;
        }
        if (!done)
            loop.exec();
        {
            const std::lock_guard lock(m_mutex);
            m_loop = nullptr;
        }
        m_worker.join();
    }

    // After wait(): what the work threw, if anything.
    std::exception_ptr failure() const { return m_failure; }

private:
    static constexpr std::chrono::milliseconds QuietWait{15};

    std::exception_ptr m_failure;
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    QEventLoop *m_loop = nullptr;
    std::thread m_worker; // last: it starts once the members above exist
};

} // namespace

void ThreadedWork::run(const std::function<void()> &work)
{
    ThreadedStart started(work);
    started.wait();
    if (const std::exception_ptr failure = started.failure())
        std::rethrow_exception(failure);
}

std::unique_ptr<StartedWork> ThreadedWork::start(std::function<void()> work)
{
    return std::make_unique<ThreadedStart>(std::move(work));
}

} // namespace Quillfen
