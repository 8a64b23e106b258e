#include "DirectoryReader.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace Quillfen {

DirectoryReader::DirectoryReader(const QByteArray &path)
{
    m_fd = path.isEmpty() ? -1 : ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        m_error = path.isEmpty() ? ENOENT : errno;
}

DirectoryReader::~DirectoryReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool DirectoryReader::next(Entry &entry)
{
    for (;;) {
        if (m_fd < 0 || m_error != 0)
            return false;
        if (m_offset >= m_size) {
            const ssize_t read = ::getdents64(m_fd, m_buffer.data(), m_buffer.size());
            if (read < 0)
                m_error = errno;
            if (read <= 0)
                return false;
            m_size = read;
            m_offset = 0;
        }
        const auto *record = reinterpret_cast<const dirent64 *>(m_buffer.data() + m_offset);
        m_offset += record->d_reclen;
        const char *name = record->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        entry.cName = name;
        entry.name = QByteArrayView(name, qsizetype(std::strlen(name)));
        entry.type = record->d_type;
        return true;
    }
}

} // namespace Quillfen
