#include "OutputFile.h"

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
        return m_saved.commit();
    }
    const bool ok = m_direct.flush() && m_direct.error() == QFileDevice::NoError;
    m_direct.close();
    return ok;
}

QString OutputFile::errorString() const
{
    if (!m_failure.isEmpty())
        return m_failure;
    return m_special ? m_direct.errorString() : m_saved.errorString();
}

} // namespace Quillfen
