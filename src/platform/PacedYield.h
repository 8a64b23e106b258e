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
    // dueAmongMany reads the clock at every CallsPerClock-th call.
    static constexpr quint32 CallsPerClock = 64;

    explicit PacedYield(EventLoop *loop, std::chrono::milliseconds interval = DefaultInterval)
        : m_loop(loop), m_interval(interval.count())
    {
        m_sinceYield.start();
    }
    Q_DISABLE_COPY_MOVE(PacedYield)

    bool due() const
    {
        return m_loop && (m_interval == 0 || m_sinceYield.elapsed() >= m_interval);
    }
    // due() for a loop over many small items: reads the clock at every
    // CallsPerClock-th call only, which keeps the clock out of the loop's
    // cost (a run hands over a sentence in well under a microsecond).
    bool dueAmongMany()
    {
        if (m_interval != 0 && (++m_calls % CallsPerClock) != 0)
            return false;
        return due();
    }
    // How many calls of dueAmongMany after this one would not read the
    // clock, and so return false: a loop may handle that many more items at
    // once and pass them with skipMany.
    quint32 manyWithoutClock() const
    {
        return m_interval == 0 ? 0 : CallsPerClock - 1 - m_calls % CallsPerClock;
    }
    void skipMany(quint32 calls) { m_calls += calls; }
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
    quint32 m_calls = 0;
    QElapsedTimer m_sinceYield;
};

} // namespace Quillfen
