#pragma once

#include "platform/WindowState.h"

#include <QElapsedTimer>
#include <chrono>

namespace Quillfen {

// A yield point of a long loop. It yields only once the interval has passed
// since the last yield (at every point with an interval of zero), so that a
// loop over millions of items costs little while the window still repaints
// and answers input. Without an event loop it never yields.
class PacedYield
{
public:
    static constexpr std::chrono::milliseconds DefaultInterval{10};

    explicit PacedYield(EventLoop *loop, std::chrono::milliseconds interval = DefaultInterval)
        : m_loop(loop), m_interval(interval.count())
    {
        m_sinceYield.start();
    }
    Q_DISABLE_COPY_MOVE(PacedYield)

    bool due() const { return m_loop && (m_interval == 0 || m_sinceYield.elapsed() >= m_interval); }
    void yieldNow()
    {
        if (m_loop)
            m_loop->yield();
        m_sinceYield.restart();
    }
    void point()
    {
        if (due())
            yieldNow();
    }

private:
    EventLoop *m_loop;
    qint64 m_interval;
    QElapsedTimer m_sinceYield;
};

} // namespace Quillfen
