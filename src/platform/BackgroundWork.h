#pragma once

#include <functional>
#include <memory>

namespace Quillfen {

// Work begun by BackgroundWork::start. wait() returns when it is done; the
// work itself must catch what it throws.
class StartedWork
{
public:
    virtual ~StartedWork() = default;
    virtual void wait() = 0;
};

// Runs a piece of work that touches nothing of the window (reading and
// decoding a file, cutting a text) and returns when it is done. The
// window's implementation runs it on a worker thread and keeps processing
// window events meanwhile, so a large file does not freeze the window;
// the plain one runs it inline.
class BackgroundWork
{
public:
    virtual ~BackgroundWork() = default;
    virtual void run(const std::function<void()> &work) = 0;

    // Begins work that the caller collects later with wait(), so that it
    // can go on meanwhile. The plain implementation does the work here and
    // now.
    virtual std::unique_ptr<StartedWork> start(std::function<void()> work)
    {
        try {
            work();
        } catch (...) {
            // As on a worker thread: nothing escapes to the caller.
        }
        struct Done final : StartedWork
        {
            void wait() override {}
        };
        return std::make_unique<Done>();
    }
};

class InlineWork final : public BackgroundWork
{
public:
    void run(const std::function<void()> &work) override { work(); }
};

} // namespace Quillfen
