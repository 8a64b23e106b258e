// Hand-written: lists the bench tree 1.7x as fast as QDirIterator, names as bytes (bench/parts)
#include "DirectoryReader.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace Quillfen {

DirectoryReader::DirectoryReader(const QByteArray &path)
{
    m_fd = path.isEmpty() ? -1 : ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = path.isEmpty() ? ENOENT : errno;
        return;
    }
    struct Found
    {
        qsizetype offset;
        qsizetype length;
        unsigned char type;
    };
    std::vector<Found> found;
    alignas(8) std::array<char, 32768> buffer;
    for (;;) {
        const ssize_t read = ::getdents64(m_fd, buffer.data(), buffer.size());
        if (read < 0)
            m_error = errno;
        if (read <= 0)
            break;
        for (ssize_t at = 0; at < read;) {
            const auto *record = reinterpret_cast<const dirent64 *>(buffer.data() + at);
            at += record->d_reclen;
            const char *name = record->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            const qsizetype length = qsizetype(std::strlen(name));
            found.push_back({m_names.size(), length, record->d_type});
            m_names.append(name, length + 1);
        }
    }
    // The names move no more: the entries may point into them.
    m_entries.reserve(found.size());
    for (const Found &f : found) {
        const char *name = m_names.constData() + f.offset;
        m_entries.push_back({QByteArrayView(name, f.length), name, f.type});
    }
    sortByName();
}

QCollator fileNameCollator()
{
    // Qt's collation for the C locale knows no numbers: its names sort as
    // English ones.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// Names that collate alike keep the order of their bytes, so the order
// never depends on the file system's.
void DirectoryReader::sortByName()
{
    if (m_entries.size() < 2)
        return;
    const QCollator collator = fileNameCollator();
    std::vector<std::pair<QCollatorSortKey, size_t>> keys;
    keys.reserve(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i)
        keys.emplace_back(collator.sortKey(QString::fromUtf8(m_entries[i].name)), i);
    std::sort(keys.begin(), keys.end(), [this](const auto &a, const auto &b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : m_entries[a.second].name < m_entries[b.second].name;
    });
    std::vector<Entry> sorted;
    sorted.reserve(m_entries.size());
    for (const auto &key : keys)
        sorted.push_back(m_entries[key.second]);
    m_entries.swap(sorted);
}

DirectoryReader::~DirectoryReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace Quillfen
