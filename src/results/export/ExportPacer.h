#pragma once

#include "platform/WindowState.h"

#include <QElapsedTimer>
#include <chrono>

namespace Quillfen {

// A yield point of an export loop: yields when the interval has passed
// since the last yield (at every point for an interval of zero).
class ExportPacer
{
public:
    ExportPacer(EventLoop *loop, std::chrono::milliseconds interval)
        : m_loop(loop), m_interval(interval.count())
    {
        m_sinceYield.start();
    }
    Q_DISABLE_COPY_MOVE(ExportPacer)

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
