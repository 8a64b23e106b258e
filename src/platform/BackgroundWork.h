#pragma once

#include <functional>

namespace Quillfen {

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
};

class InlineWork final : public BackgroundWork
{
public:
    void run(const std::function<void()> &work) override { work(); }
};

} // namespace Quillfen
