#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCollator>
#include <vector>

namespace Quillfen {

// The entries of one folder ("." and ".." left out), read whole in large
// blocks straight from the kernel and put in name order as a file manager
// shows them. A walk over many thousands of folders spends most of its time
// here.
class DirectoryReader
{
public:
    struct Entry
    {
        QByteArrayView name; // valid while the reader lives
        const char *cName = nullptr;
        unsigned char type = 0; // DT_DIR, DT_REG, DT_LNK, DT_UNKNOWN, ...
    };

    explicit DirectoryReader(const QByteArray &path);
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader &) = delete;
    DirectoryReader &operator=(const DirectoryReader &) = delete;

    // The errno value of a failed open or read; 0 when every entry was read.
    // A read that fails keeps the entries read before it.
    int error() const { return m_error; }
    // The open folder, for the *at() calls on its entries.
    int fd() const { return m_fd; }
    std::vector<Entry> &entries() { return m_entries; }

private:
    void sortByName();

    int m_fd = -1;
    int m_error = 0;
    QByteArray m_names; // every name, each ending in NUL
    std::vector<Entry> m_entries;
};

// The order a file manager shows a folder's names in: letters without
// regard to case, numbers by their value (a, b, c9, c10), by the user's
// locale.
QCollator fileNameCollator();

} // namespace Quillfen
