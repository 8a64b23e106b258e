#pragma once

#include <QByteArrayView>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace Quillfen {

// A document's bytes in an anonymous in-memory file that poppler opens by
// its /proc path, so that reading it can be cut off from another thread:
// the file is emptied, poppler's next read finds its end, and the page at
// hand ends soon after. poppler's C++ interface has no other way to stop a
// page whose content never ends.
class CuttablePdfFile
{
public:
    // Throws Failure when the system has no room for it.
    explicit CuttablePdfFile(QByteArrayView bytes);
    ~CuttablePdfFile();
    CuttablePdfFile(const CuttablePdfFile &) = delete;
    CuttablePdfFile &operator=(const CuttablePdfFile &) = delete;

    const std::string &path() const { return m_path; }
    // Safe from any thread.
    void cutOff();

private:
    int m_fd = -1;
    std::string m_path;
};

// Cuts a file off when its time is up, watching from a thread of its own
// (none for a zero budget).
class PdfDeadline
{
public:
    PdfDeadline(std::chrono::milliseconds budget, CuttablePdfFile &file);
    ~PdfDeadline();
    PdfDeadline(const PdfDeadline &) = delete;
    PdfDeadline &operator=(const PdfDeadline &) = delete;

    bool passed() const { return m_passed.load(std::memory_order_acquire); }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_finished = false;
    std::atomic<bool> m_passed{false};
    std::thread m_watch;
};

} // namespace Quillfen
