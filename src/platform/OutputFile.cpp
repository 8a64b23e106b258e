#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>

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

bool OutputFile::open()
{
    if (m_special)
        return m_direct.open(QIODevice::WriteOnly | QIODevice::Truncate);
    return m_saved.open(QIODevice::WriteOnly);
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
    if (!m_special)
        return m_saved.commit();
    const bool ok = m_direct.flush() && m_direct.error() == QFileDevice::NoError;
    m_direct.close();
    return ok;
}

QString OutputFile::errorString() const
{
    return m_special ? m_direct.errorString() : m_saved.errorString();
}

} // namespace Quillfen
