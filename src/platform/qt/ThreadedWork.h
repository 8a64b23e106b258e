#pragma once

#include "platform/BackgroundWork.h"

#include <QThreadPool>
#include <memory>

namespace Quillfen {

// Runs the work on worker threads and processes window events until it is
// done, so the window repaints and answers meanwhile. A failure thrown by
// the work is thrown again on the calling thread.
class ThreadedWork final : public BackgroundWork
{
public:
    ThreadedWork();
    ~ThreadedWork() override;
    Q_DISABLE_COPY_MOVE(ThreadedWork)

    void run(const std::function<void()> &work) override;
    // The work waits for a free worker, one per processor, kept for the
    // next work; wait() processes window events until it is done.
    std::unique_ptr<StartedWork> start(std::function<void()> work) override;

private:
    QThreadPool m_pool;
};

} // namespace Quillfen
