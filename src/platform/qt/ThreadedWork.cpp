#include "ThreadedWork.h"

#include <QEventLoop>
#include <QMetaObject>
#include <atomic>
#include <exception>
#include <thread>

namespace Quillfen {

void ThreadedWork::run(const std::function<void()> &work)
{
    QEventLoop loop;
    std::exception_ptr failure;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The quit may be posted before exec() starts; exec() still receives it.
    if (!done)
        loop.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace Quillfen
