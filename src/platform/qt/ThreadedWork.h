#pragma once

#include "platform/BackgroundWork.h"

namespace Quillfen {

// Runs the work on a worker thread and processes window events until it is
// done, so the window repaints and answers meanwhile. A failure thrown by
// the work is thrown again on the calling thread.
class ThreadedWork final : public BackgroundWork
{
public:
    void run(const std::function<void()> &work) override;
    // The work runs on a thread of its own; wait() processes window events
    // until it is done.
    std::unique_ptr<StartedWork> start(std::function<void()> work) override;
};

} // namespace Quillfen
