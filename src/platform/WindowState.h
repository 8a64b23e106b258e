#pragma once

#include <QString>

namespace Quillfen {

enum class PointerMode { Default, Busy, Custom };

// The main window's pointer mode. The busy pointer marks a long action in
// progress; removals from the lists test it.
class WindowPointer
{
public:
    virtual ~WindowPointer() = default;
    virtual PointerMode pointerMode() const = 0;
    virtual void setPointerMode(PointerMode mode) = 0;
};

// The progress bar: a value from 0 to 100 (unrounded) and a caption on it.
class ProgressDisplay
{
public:
    virtual ~ProgressDisplay() = default;
    virtual void setProgressValue(double percent) = 0;
    virtual void setProgressCaption(const QString &caption) = 0;
};

// Processes pending window events, then returns.
class EventLoop
{
public:
    virtual ~EventLoop() = default;
    virtual void yield() = 0;
};

} // namespace Quillfen
