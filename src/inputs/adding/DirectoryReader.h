#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>

namespace Quillfen {

// The entries of one folder in the order the file system lists them, read
// in large blocks straight from the kernel ("." and ".." left out). A walk
// over many thousands of folders spends most of its time here.
class DirectoryReader
{
public:
    struct Entry
    {
        QByteArrayView name; // valid until the next call of next()
        const char *cName = nullptr;
        unsigned char type = 0; // DT_DIR, DT_REG, DT_LNK, DT_UNKNOWN, ...
    };

    explicit DirectoryReader(const QByteArray &path);
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader &) = delete;
    DirectoryReader &operator=(const DirectoryReader &) = delete;

    // The errno value of a failed open or read; 0 while all is well.
    int error() const { return m_error; }
    // The open folder, for the *at() calls on its entries.
    int fd() const { return m_fd; }
    // The next entry; false at the end of the folder or on a failure.
    bool next(Entry &entry);

private:
    int m_fd = -1;
    int m_error = 0;
    long m_size = 0;
    long m_offset = 0;
    alignas(8) std::array<char, 32768> m_buffer;
};

} // namespace Quillfen
