// Hand-written: lists the bench tree 1.7x as fast as QDirIterator, names as bytes (bench/parts)
#include "DirectoryReader.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <array>
#include <cctype>
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

namespace {

bool isPlainNameByte(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.';
}

bool isPlainName(QByteArrayView name)
{
    return std::all_of(name.begin(), name.end(), isPlainNameByte);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The collator's order for names made of ASCII letters, digits and ".":
// "." before digits before letters, letters without regard to case, a run
// of digits by its value. Most names are such, and ICU takes a fifth of a
// large walk's time (bench/adding).
int comparePlainNames(QByteArrayView a, QByteArrayView b)
{
    auto rank = [](char c) { return c == '.' ? 0 : isDigit(c) ? 1 : 2; };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            while (i < a.size() && a[i] == '0')
                ++i;
            while (j < b.size() && b[j] == '0')
                ++j;
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            if (endA - i != endB - j)
                return endA - i < endB - j ? -1 : 1;
            for (; i < endA; ++i, ++j) {
                if (a[i] != b[j])
                    return a[i] < b[j] ? -1 : 1;
            }
            continue;
        }
        const char x = char(std::tolower(static_cast<unsigned char>(a[i])));
        const char y = char(std::tolower(static_cast<unsigned char>(b[j])));
        if (x != y)
            return rank(x) != rank(y) ? (rank(x) < rank(y) ? -1 : 1) : (x < y ? -1 : 1);
        ++i;
        ++j;
    }
    return (i < a.size()) - (j < b.size());
}

} // namespace

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
    static const QCollator collator = fileNameCollator();
    std::vector<std::pair<QString, size_t>> names;
    names.reserve(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i)
        names.emplace_back(QString::fromUtf8(m_entries[i].name), i);
    // Folders hold a few dozen names as a rule: comparing them costs less
    // than making a sort key for each.
    std::sort(names.begin(), names.end(), [this](const auto &a, const auto &b) {
        const QByteArrayView x = m_entries[a.second].name;
        const QByteArrayView y = m_entries[b.second].name;
        const int order = isPlainName(x) && isPlainName(y) ? comparePlainNames(x, y)
                                                           : collator.compare(a.first, b.first);
        return order != 0 ? order < 0 : x < y;
    });
    std::vector<Entry> sorted;
    sorted.reserve(m_entries.size());
    for (const auto &name : names)
        sorted.push_back(m_entries[name.second]);
    m_entries.swap(sorted);
}

DirectoryReader::~DirectoryReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace Quillfen
