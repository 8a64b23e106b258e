#include "OutputFile.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quillfen {

static bool namesSpecialFile(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

OutputFile::OutputFile(const QString &path)
    : m_special(namesSpecialFile(path)), m_saved(path), m_direct(path)
{}

OutputFile::~OutputFile()
{
    if (m_replaced >= 0)
        ::close(m_replaced);
}

bool OutputFile::open()
{
    if (m_special)
        return m_direct.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!m_saved.open(QIODevice::WriteOnly))
        return false;
    // Without write access the old file's room is simply given back at
    // the commit, all at once.
    m_replaced = ::open(QFile::encodeName(m_saved.fileName()).constData(),
                        O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat info;
    if (m_replaced >= 0 && (::fstat(m_replaced, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(m_replaced);
        m_replaced = -1;
    }
    m_replacedSize = m_replaced >= 0 ? qint64(info.st_size) : 0;
    return true;
}

QIODevice &OutputFile::device()
{
    if (m_special)
        return m_direct;
    return m_saved;
}

void OutputFile::writeBack()
{
    if (m_special)
        return;
    const qint64 written = m_saved.pos();
    if (written - m_started < WriteBackBytes || !m_saved.flush())
        return;
    const int handle = m_saved.handle();
    // Failures here only leave more for the commit's sync to do.
    if (m_started > m_waited) {
        ::sync_file_range(handle, m_waited, m_started - m_waited,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                              SYNC_FILE_RANGE_WAIT_AFTER);
        m_waited = m_started;
    }
    ::sync_file_range(handle, m_started, written - m_started, SYNC_FILE_RANGE_WRITE);
    m_started = written;
}

bool OutputFile::commit()
{
    if (!m_special) {
        // QSaveFile's commit renames the new file over the old one even when
        // its last flush fails (a full disk), and calls that a success: the
        // old file would be lost to an empty or cut one. Flush first, and on
        // failure throw the new file away.
        if (!m_saved.flush()) {
            m_failure = m_saved.errorString();
            m_saved.cancelWriting();
            m_saved.commit();
            return false;
        }
        m_committed = m_saved.commit();
        return m_committed;
    }
    const bool ok = m_direct.flush() && m_direct.error() == QFileDevice::NoError;
    m_direct.close();
    return ok;
}

bool OutputFile::releaseReplacedPart()
{
    if (m_replaced < 0 || !m_committed)
        return false;
    // Only a file that has no name left is cut: one with another name
    // (a second hard link) lives on and must keep its content.
    struct stat info;
    const bool nameless = ::fstat(m_replaced, &info) == 0 && info.st_nlink == 0;
    m_replacedSize = std::max<qint64>(0, m_replacedSize - ReleaseBytes);
    if (!nameless || m_replacedSize == 0 || ::ftruncate(m_replaced, m_replacedSize) != 0) {
        ::close(m_replaced);
        m_replaced = -1;
        return false;
    }
    return true;
}

QString OutputFile::errorString() const
{
    if (!m_failure.isEmpty())
        return m_failure;
    return m_special ? m_direct.errorString() : m_saved.errorString();
}

} // namespace Quillfen
