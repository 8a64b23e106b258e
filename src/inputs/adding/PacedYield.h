#pragma once

#include "platform/WindowState.h"

#include <QElapsedTimer>
#include <chrono>

namespace Quillfen {

// A yield point that yields only when the interval has passed since the
// last yield (at every point with an interval of zero), so that a walk over
// many thousands of folders costs little and the window still repaints.
// Without an event loop it never yields.
class PacedYield
{
public:
    static constexpr std::chrono::milliseconds DefaultInterval{10};

    explicit PacedYield(EventLoop *loop, std::chrono::milliseconds interval = DefaultInterval)
        : m_loop(loop), m_interval(interval.count())
    {
        m_sinceYield.start();
    }

    void point()
    {
        if (!m_loop || (m_interval > 0 && m_sinceYield.elapsed() < m_interval))
            return;
        m_loop->yield();
        m_sinceYield.restart();
    }

private:
    EventLoop *m_loop;
    qint64 m_interval;
    QElapsedTimer m_sinceYield;
};

} // namespace Quillfen
