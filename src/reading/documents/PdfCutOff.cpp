#include "PdfCutOff.h"

#include "platform/Failure.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace Quillfen {

CuttablePdfFile::CuttablePdfFile(QByteArrayView bytes)
{
    m_fd = memfd_create("quillfen-pdf", MFD_CLOEXEC);
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (m_fd >= 0 && left > 0) {
        const ssize_t written = ::write(m_fd, data, std::size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            ::close(m_fd);
            m_fd = -1;
            break;
        }
        data += written;
        left -= written;
    }
    if (m_fd < 0)
        throw Failure(QStringLiteral("there is no memory left to read it: ") +
                      QString::fromLocal8Bit(std::strerror(errno)));
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
}

CuttablePdfFile::~CuttablePdfFile()
{
    ::close(m_fd);
}

void CuttablePdfFile::cutOff()
{
    while (::ftruncate(m_fd, 0) < 0 && errno == EINTR) {
    }
}

PdfDeadline::PdfDeadline(std::chrono::milliseconds budget, CuttablePdfFile &file)
{
    if (budget.count() <= 0)
        return;
    const auto end = std::chrono::steady_clock::now() + budget;
    m_watch = std::thread([this, end, &file] {
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_until(lock, end, [this] { return m_finished; }))
            return;
        m_passed.store(true, std::memory_order_release);
        file.cutOff();
    });
}

PdfDeadline::~PdfDeadline()
{
    if (!m_watch.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_wake.notify_one();
    m_watch.join();
}

} // namespace Quillfen
