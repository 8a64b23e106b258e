#pragma once

#include "platform/WindowState.h"

#include <QElapsedTimer>

#include <chrono>

namespace Quillfen {

// Decides at each yield point whether to yield now. With an interval of
// zero it yields at every point; otherwise only once the interval has
// passed since the last yield, which keeps the window as responsive while
// costing far less on runs of millions of pieces. Without an event loop it
// never yields.
class YieldPacer
{
public:
    YieldPacer(EventLoop *loop, std::chrono::milliseconds interval)
        : m_loop(loop), m_interval(interval.count())
    {
        m_sinceYield.start();
    }

    bool due() const
    {
        return m_loop && (m_interval == 0 || m_sinceYield.elapsed() >= m_interval);
    }
    void yieldNow()
    {
        if (m_loop)
            m_loop->yield();
        m_sinceYield.restart();
    }

private:
    EventLoop *m_loop;
    qint64 m_interval;
    QElapsedTimer m_sinceYield;
};

} // namespace Quillfen
